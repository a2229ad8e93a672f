#pragma once
// TPanel: a container with bevels, a border and an optional centred caption.
//
//   TPanel pnlTop{&pnlBackground};
//   pnlTop.SetAlign(alTop); pnlTop.SetHeight(57);
//   pnlTop.SetBevelKind(bkTile); pnlTop.SetBevelOuter(bvNone); pnlTop.SetBorderWidth(1);
//   pnlTop.SetColor(clWindow);
//
// Aligned children fill the area inside the bevels and the border width.
#include "gui/Control.h"

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
// bkTile: a sunken two-pixel frame drawn around the panel, outside its own bevels.
enum TBevelKind : uint8_t { bkNone, bkTile, bkSoft, bkFlat };

// The width of a bevel kind's frame, and the frame drawn inside r, which it then leaves out.
int BevelKindWidth(TBevelKind Kind);
void DrawBevelKind(HDC DC, RECT& R, TBevelKind Kind);

class TPanel : public TControl {
public:
    explicit TPanel(TControl* Parent);

    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value) { FBevelOuter = Value, Changed(); }
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value) { FBevelInner = Value, Changed(); }
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value) { FBevelKind = Value, Changed(); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value) { FBorderWidth = Value, Changed(); }

protected:
    // For panels of other window classes.
    TPanel(TControl* Parent, const char* ClassName);
    void CreateWnd() override;
    void Paint(HDC DC, const RECT& ClientRect) override;
    void AdjustClientRect(RECT& Rect) const override;

private:
    void Changed();
    const char* FClassName;
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    TBevelKind FBevelKind = bkNone;
    int FBorderWidth = 0;
};
