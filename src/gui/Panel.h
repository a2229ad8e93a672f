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
int BevelKindWidth(TBevelKind kind);
void DrawBevelKind(HDC dc, RECT& r, TBevelKind kind);

class TPanel : public TControl {
public:
    explicit TPanel(TControl* parent);

    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value) { FBevelOuter = value, Changed(); }
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value) { FBevelInner = value, Changed(); }
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind value) { FBevelKind = value, Changed(); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value) { FBorderWidth = value, Changed(); }

protected:
    // For panels of other window classes.
    TPanel(TControl* parent, const char* className);
    void CreateWnd() override;
    void Paint(HDC dc, const RECT& clientRect) override;
    void AdjustClientRect(RECT& rect) const override;

private:
    void Changed();
    const char* FClassName;
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    TBevelKind FBevelKind = bkNone;
    int FBorderWidth = 0;
};
