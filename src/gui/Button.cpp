#include "gui/Button.h"

#include "gui/Form.h"

void TCustomButton::Click() {
    if (FModalResult != mrNone)
        if (TForm* form = ParentForm())
            form->SetModalResult(FModalResult);
    if (Action())
        Action()->Execute();
    else if (OnClick)
        OnClick(this);
}

void TCustomButton::ActionChanged() {
    TAction* a = Action();
    SetCaption(a->Caption());
    SetEnabled(a->Enabled());
    SetVisible(a->Visible());
}

TButton::TButton(TControl* Parent) : TCustomButton(Parent) {}

void TButton::CreateWnd() {
    CreateSystemHandle("BUTTON",
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                           (Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                       0, 0, 0, 75, 25);
}

void TButton::SetDefault(bool Value) {
    TCustomButton::SetDefault(Value);
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool TButton::CNCommand(WORD Code) {
    if (Code != BN_CLICKED)
        return false;
    Click();
    return true;
}
