#pragma once
// TCheckBox: the system's check box with its caption to the right of the box.
//
//   TCheckBox cbAutoRun{&gbGeneral};
//   cbAutoRun.SetBounds(8, 24, 137, 17); cbAutoRun.SetCaption("Load on system startup");
//   cbAutoRun.SetChecked(true);
//   cbAutoRun.OnClick = [this](TObject*) { ... };   // the user toggled it
//
// Clicking it or pressing the space bar while it has the focus toggles it. SetChecked fires no
// event.
#include "gui/Control.h"

class TCheckBox : public TControl {
public:
    explicit TCheckBox(TControl* Parent);

    bool Checked() const;
    void SetChecked(bool Value);

    TNotifyEvent OnClick;

protected:
    void CreateWnd() override;
    bool CNCommand(WORD Code) override;

private:
    bool FChecked = false; // while there is no window
};
