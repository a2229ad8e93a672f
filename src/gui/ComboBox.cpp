#include "gui/ComboBox.h"

#include <algorithm>

TComboBox::TComboBox(TControl* Parent, TComboBoxStyle Style) : TControl(Parent), FStyle(Style) {
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
void TComboBox::SetBounds(int Left, int Top, int Width, int Height) {
    TControl::SetBounds(Left, Top, Width, Height + ListHeight());
}

void TComboBox::SetDropDownCount(int Value) {
    FDropDownCount = Value;
    SetBounds(Left(), Top(), Width(), Height());
}

int TComboBox::ItemIndex() const {
    const LRESULT index = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int Value) {
    if (Value < 0 || Value >= FItems.Count())
        Value = -1;
    SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

bool TComboBox::CNCommand(WORD Code) {
    if (Code != CBN_SELCHANGE)
        return false;
    if (OnChange)
        OnChange(this);
    return true;
}

int TComboBox::TItems::Add(const std::string& Text) {
    const LRESULT index =
        SendMessageA(FOwner.Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text.c_str()));
    return index < 0 ? -1 : static_cast<int>(index);
}

void TComboBox::TItems::Clear() {
    SendMessageA(FOwner.Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::TItems::Count() const {
    const LRESULT n = SendMessageA(FOwner.Handle(), CB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

std::string TComboBox::TItems::operator[](int Index) const {
    const LRESULT n = SendMessageA(FOwner.Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (n < 0)
        return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    const LRESULT got = SendMessageA(FOwner.Handle(), CB_GETLBTEXT, static_cast<WPARAM>(Index),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}
