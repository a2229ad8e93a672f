#pragma once
// TLabel: a line (or with WordWrap a paragraph) of text on the parent's colour.
//
//   TLabel Label1{&gbGeneral};
//   Label1.SetBounds(200, 56, 0, 0); Label1.SetCaption("my workstation at");   // AutoSize
//
// With AutoSize (the default) the label takes the size of its text; with WordWrap as well, it
// keeps its width and takes the height of the wrapped text. A Transparent label shows its
// parent and the sibling controls beneath it (a picture, say) around its text.
#include "gui/Control.h"

class TLabel : public TControl {
public:
    explicit TLabel(TControl* Parent);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value) { FAlignment = Value, Invalidate(); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value) { FTransparent = Value, Invalidate(); }
    // Sizes the label to its text (done by itself when AutoSize is on).
    void AdjustSize();

protected:
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void CreateWnd() override;
    void Paint(HDC DC, const RECT& ClientRect) override;
    void FontChanged() override;
    void TextChanged() override;

private:
    UINT TextFormat() const;
    void PaintBeneath(HDC DC);
    bool FAutoSize = true;
    bool FWordWrap = false;
    TAlignment FAlignment = taLeftJustify;
    bool FTransparent = false;
};
