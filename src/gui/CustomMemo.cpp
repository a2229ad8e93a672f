#include "gui/CustomMemo.h"

TCustomMemo::TCustomMemo(TControl* Parent, const char* ClassName)
    : TControl(Parent), FClassName(ClassName) {
    SetColor(clWindow);
}

void TCustomMemo::CreateWnd() {
    CreateSystemHandle(FClassName, WindowStyle(), WindowExStyle(), 0, 0, 185, 89);
    ApplySettings();
}

DWORD TCustomMemo::EditStyle() const {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | ES_MULTILINE;
    if (!FWordWrap)
        style |= ES_AUTOHSCROLL;
    if (FReadOnly)
        style |= ES_READONLY;
    if (FAlignment == taCenter)
        style |= ES_CENTER;
    else if (FAlignment == taRightJustify)
        style |= ES_RIGHT;
    return style;
}

void TCustomMemo::RecreateHandle() {
    if (!HandleAllocated())
        return;
    RecreateSystemHandle(FClassName, WindowStyle(), WindowExStyle(), [this] { ApplySettings(); });
}

void TCustomMemo::SetWordWrap(bool Value) {
    if (FWordWrap == Value)
        return;
    FWordWrap = Value;
    RecreateHandle();
}

void TCustomMemo::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (HandleAllocated())
        Perform(EM_SETREADONLY, Value, 0);
}

// Not the edit box's own answer to WM_GETDLGCODE: that takes every key, Tab and Esc included, and
// its Esc would close the parent panel. Arrows and characters go into the text, and Enter does
// too unless the box is read-only, when it presses the form's default button.
LRESULT TCustomMemo::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg != WM_GETDLGCODE)
        return TControl::WndProc(Msg, WParam, LParam);
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    const auto* m = reinterpret_cast<const MSG*>(LParam);
    if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN && !FReadOnly)
        code |= DLGC_WANTMESSAGE;
    return code;
}
