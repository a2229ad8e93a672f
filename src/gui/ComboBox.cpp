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
    for (const std::string& text : FItems.FList)
        SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    TControl::SetBounds(Left(), Top(), Width(), FBoxHeight + ListHeight());
}

int TComboBox::ListHeight() const {
    const LRESULT item = SendMessageA(Handle(), CB_GETITEMHEIGHT, 0, 0);
    return std::max(FDropDownCount, 1) * static_cast<int>(item > 0 ? item : 13) + 2;
}

// The window's height includes the drop-down list; the box itself is as high as its font makes
// it.
void TComboBox::SetBounds(int Left, int Top, int Width, int Height) {
    FBoxHeight = Height;
    TControl::SetBounds(Left, Top, Width, HandleAllocated() ? Height + ListHeight() : Height);
}

void TComboBox::SetDropDownCount(int Value) {
    FDropDownCount = Value;
    if (HandleAllocated())
        SetBounds(Left(), Top(), Width(), FBoxHeight);
}

int TComboBox::ItemIndex() const {
    if (!HandleAllocated())
        return FItemIndex;
    const LRESULT index = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int Value) {
    if (Value < 0 || Value >= FItems.Count())
        Value = -1;
    FItemIndex = Value;
    if (HandleAllocated())
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
    if (FOwner.HandleAllocated() &&
        SendMessageA(FOwner.Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text.c_str())) < 0)
        return -1;
    FList.push_back(Text);
    return static_cast<int>(FList.size()) - 1;
}

void TComboBox::TItems::Clear() {
    FList.clear();
    FOwner.FItemIndex = -1;
    if (FOwner.HandleAllocated())
        SendMessageA(FOwner.Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::TItems::Count() const {
    return static_cast<int>(FList.size());
}

std::string TComboBox::TItems::operator[](int Index) const {
    if (Index < 0 || Index >= Count())
        return std::string();
    return FList[static_cast<size_t>(Index)];
}
