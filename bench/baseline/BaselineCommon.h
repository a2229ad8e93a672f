#pragma once
// What the baseline programs share with one another and with Sundown: the hand-over exit
// command, the tray icon's identity, the end of the program and the signal to the probe that
// start-up is over.
#include <windows.h>
#include <shellapi.h>

#include <memory>

namespace baseline {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kInstanceCommand = WM_USER + 1; // the same hand-over message as Sundown
constexpr WPARAM kCommandExit = 3;
constexpr UINT_PTR kClockTimer = 1;

inline NOTIFYICONDATAA IconData(HWND Wnd) {
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = Wnd;
    nid.uID = 1;
    return nid;
}

// Sets the event named in SUNDOWN_BENCH_READY_EVENT, when there is one.
inline void SignalReady() {
    struct HandleCloser {
        void operator()(HANDLE h) const { CloseHandle(h); }
    };
    char name[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("SUNDOWN_BENCH_READY_EVENT", name, sizeof name);
    if (n == 0 || n >= sizeof name)
        return;
    std::unique_ptr<void, HandleCloser> ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, name));
    if (ready)
        SetEvent(ready.get());
}

// The messages that end a baseline: the hand-over exit, the session's end, and the window's
// destruction, which takes the clock and the icon away. True when Msg was one of them.
inline bool HandleEnd(HWND Wnd, UINT Msg, WPARAM WParam) {
    switch (Msg) {
    case kInstanceCommand:
        if (WParam == kCommandExit)
            DestroyWindow(Wnd);
        return true;
    case WM_ENDSESSION:
        DestroyWindow(Wnd);
        return true;
    case WM_DESTROY: {
        KillTimer(Wnd, kClockTimer);
        NOTIFYICONDATAA nid = IconData(Wnd);
        Shell_NotifyIconA(NIM_DELETE, &nid);
        PostQuitMessage(0);
        return true;
    }
    default:
        return false;
    }
}

} // namespace baseline
