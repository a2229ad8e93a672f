#pragma once
// TBevel: a decorative line or frame in the lowered or raised look, drawn on the parent's
// colour beneath every sibling control.
//
//   TBevel Bevel{&pnlBottom};
//   Bevel.SetAlign(alTop); Bevel.SetHeight(9); Bevel.SetShape(bsTopLine);
#include "gui/Control.h"

enum TBevelShape : uint8_t {
    bsBox,
    bsFrame,
    bsTopLine,
    bsBottomLine,
    bsLeftLine,
    bsRightLine,
    bsSpacer,
};
enum TBevelStyle : uint8_t { bsLowered, bsRaised };

class TBevel : public TControl {
public:
    explicit TBevel(TControl* Parent);

    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape Value) { FShape = Value, Invalidate(); }
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle Value) { FStyle = Value, Invalidate(); }

protected:
    void CreateWnd() override;
    void Paint(HDC DC, const RECT& ClientRect) override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};
