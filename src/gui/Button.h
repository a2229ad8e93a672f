#pragma once
// Push buttons. TCustomButton holds what every button shares (OnClick, ModalResult, the action,
// Default/Cancel for Enter/Esc); TButton is the system's push button.
//
//   TButton btnOk{&pnlButtons};
//   btnOk.SetBounds(264, 8, 73, 21); btnOk.SetCaption("Ok"); btnOk.SetModalResult(mrOk);
//   btnOk.OnClick = [this](TObject*) { ... };   // or btnOk.SetAction(&ActionOk)
//
// A click first sets the form's ModalResult to the button's (when not mrNone), then runs the
// action (when bound) or OnClick.
#include "gui/Action.h"
#include "gui/Control.h"

class TCustomButton : public TControl, public TActionClient {
public:
    explicit TCustomButton(TControl* Parent) : TControl(Parent) {}

    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    // Enter presses this button when the focus is on no other button.
    bool Default() const { return FDefault; }
    virtual void SetDefault(bool Value) { FDefault = Value; }
    // Esc presses this button.
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }

    virtual void Click();

    TNotifyEvent OnClick;

protected:
    void ActionChanged() override;

private:
    int FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

class TButton : public TCustomButton {
public:
    explicit TButton(TControl* Parent);
    void SetDefault(bool Value) override;

protected:
    void CreateWnd() override;
    bool CNCommand(WORD Code) override;
};
