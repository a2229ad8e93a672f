#pragma once
// TBitBtn: a push button with a picture (its glyph) left of the caption. The glyph's bottom-left
// pixel gives its transparent colour; the glyph is drawn greyed while the button is disabled.
//
//   TBitBtn btnCancel{&pnlMain};
//   btnCancel.SetBounds(162, 83, 75, 25); btnCancel.SetAction(&ActionCancel);
//   btnCancel.LoadGlyphFromResource(IDB_AUTOUPDATECANCEL);
#include "gui/Button.h"

#include <commctrl.h>

class TBitBtn : public TCustomButton {
public:
    explicit TBitBtn(TControl* Parent);

    // A bitmap resource of the program; false when there is none of that id.
    bool LoadGlyphFromResource(int ResourceId);
    bool HasGlyph() const { return FGlyph != nullptr; }
    int GlyphWidth() const { return FGlyphWidth; }
    int GlyphHeight() const { return FGlyphHeight; }

protected:
    void CreateWnd() override;
    bool CNCommand(WORD Code) override;
    bool CNDrawItem(DRAWITEMSTRUCT* Item) override;

private:
    ImageListHandle FGlyph;
    int FGlyphWidth = 0;
    int FGlyphHeight = 0;
};
