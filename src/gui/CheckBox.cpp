#include "gui/CheckBox.h"

TCheckBox::TCheckBox(TControl* parent) : TControl(parent) {}

void TCheckBox::CreateWnd() {
    CreateSystemHandle("BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 0, 97,
                       17);
}

bool TCheckBox::Checked() const {
    return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool value) {
    SendMessageA(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::CNCommand(WORD code) {
    if (code != BN_CLICKED)
        return false;
    if (OnClick)
        OnClick(this);
    return true;
}
