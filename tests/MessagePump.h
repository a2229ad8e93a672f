#pragma once
// Waiting in a test while the application's messages are handled.
#include <windows.h>

#include <functional>

#include "gui/Application.h"

namespace pump {

// Handles messages until cond holds or ms have passed; false if it never held.
inline bool WaitFor(const std::function<bool()>& cond, int ms = 5000) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (!cond()) {
        if (static_cast<int>(end - GetTickCount()) <= 0)
            return false;
        Application().ProcessMessages();
        Sleep(5);
    }
    return true;
}

} // namespace pump
