#pragma once
// TGroupBox: an etched frame with a caption in its top edge, holding other controls.
//
//   TGroupBox gbGeneral{&pnlMain};
//   gbGeneral.SetAlign(alClient); gbGeneral.SetCaption("Options");
//   TCheckBox cbAutoRun{&gbGeneral};     // positions relative to the group box's window
//
// Tab and the arrow keys reach the controls inside it; the box itself takes no focus. Aligned
// children fill the area inside the frame, below the caption.
#include "gui/Control.h"

class TGroupBox : public TControl {
public:
    explicit TGroupBox(TControl* Parent);

protected:
    void CreateWnd() override;
    void Paint(HDC DC, const RECT& ClientRect) override;
    void AdjustClientRect(RECT& Rect) const override;
    void TextChanged() override;

private:
    int CaptionHeight() const;
};
