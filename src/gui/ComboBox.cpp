#include "gui/ComboBox.h"

#include <algorithm>

TComboBox::TComboBox(TControl* parent, TComboBoxStyle style) : TControl(parent), FStyle(style) {
    SetColor(clWindow);
}

void TComboBox::CreateWnd() {
    const DWORD kind =
        FStyle == csDropDownList ? CBS_DROPDOWNLIST : (CBS_DROPDOWN | CBS_AUTOHSCROLL);
    CreateSystemHandle("COMBOBOX", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | kind, 0, 0, 0,
                       145, 21);
    SetBounds(0, 0, 145, 21);
}

int TComboBox::ListHeight() const {
    const LRESULT item = SendMessageA(Handle(), CB_GETITEMHEIGHT, 0, 0);
    return std::max(FDropDownCount, 1) * static_cast<int>(item > 0 ? item : 13) + 2;
}

// The window's height includes the drop-down list; the box itself is as high as its font makes
// it.
void TComboBox::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height + ListHeight());
}

void TComboBox::SetDropDownCount(int value) {
    FDropDownCount = value;
    SetBounds(Left(), Top(), Width(), Height());
}

int TComboBox::ItemIndex() const {
    const LRESULT index = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int value) {
    if (value < 0 || value >= FItems.Count())
        value = -1;
    SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

bool TComboBox::CNCommand(WORD code) {
    if (code != CBN_SELCHANGE)
        return false;
    if (OnChange)
        OnChange(this);
    return true;
}

int TComboBox::TItems::Add(const std::string& text) {
    const LRESULT index =
        SendMessageA(FOwner.Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return index < 0 ? -1 : static_cast<int>(index);
}

void TComboBox::TItems::Clear() {
    SendMessageA(FOwner.Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::TItems::Count() const {
    const LRESULT n = SendMessageA(FOwner.Handle(), CB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

std::string TComboBox::TItems::operator[](int index) const {
    const LRESULT n = SendMessageA(FOwner.Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 0)
        return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    const LRESULT got = SendMessageA(FOwner.Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}
