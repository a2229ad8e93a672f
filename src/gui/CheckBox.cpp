#include "gui/CheckBox.h"

TCheckBox::TCheckBox(TControl* Parent) : TControl(Parent) {}

void TCheckBox::CreateWnd() {
    CreateSystemHandle("BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 0, 97,
                       17);
    if (FChecked)
        SendMessageA(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

bool TCheckBox::Checked() const {
    if (!HandleAllocated())
        return FChecked;
    return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool Value) {
    FChecked = Value;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::CNCommand(WORD Code) {
    if (Code != BN_CLICKED)
        return false;
    if (OnClick)
        OnClick(this);
    return true;
}
