#pragma once
// Windows that only decorate (labels, pictures, scrolling text) never keep the focus. The dialog
// manager's arrow keys hand it to any enabled window of the group, and these show no focus mark
// and take no keys: the focus goes back where it came from, else on to the next stop.
//
//   LRESULT TLabel::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
//       if (PassFocusOn(Handle(), Msg, WParam))
//           return 0;
//       return TControl::WndProc(Msg, WParam, LParam);
//   }
#include <windows.h>

// True when Msg was the focus arriving at Self, and the focus has been handed on.
inline bool PassFocusOn(HWND Self, UINT Msg, WPARAM WParam) {
    if (Msg != WM_SETFOCUS)
        return false;
    HWND next = reinterpret_cast<HWND>(WParam);
    if (!next || next == Self || !IsWindow(next) || !IsWindowVisible(next) ||
        !IsWindowEnabled(next))
        next = GetNextDlgTabItem(GetAncestor(Self, GA_ROOT), Self, FALSE);
    if (next && next != Self)
        SetFocus(next);
    return true;
}
