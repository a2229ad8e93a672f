#pragma once
// The keys a multi-line edit box takes from the form's dialog keys, its answer to WM_GETDLGCODE.
#include <windows.h>

// Not the edit box's own answer: that takes every key, Tab and Esc included, and its Esc would
// close the parent panel. Arrows and characters go into the text, and Enter does too unless the
// box is read-only, when it presses the form's default button.
inline LRESULT MultiLineEditDialogCode(LPARAM LParam, bool ReadOnly) {
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    const auto* m = reinterpret_cast<const MSG*>(LParam);
    if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN && !ReadOnly)
        code |= DLGC_WANTMESSAGE;
    return code;
}
