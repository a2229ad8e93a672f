// The least a program of Sundown's kind can cost: one hidden window, a notification-area icon, a
// message loop and a clock tick every 450 ms. The benchmark measures Sundown.exe against it.
//
// Command line (all optional):
//   /flash  show the window at start and hide it once the icon is in the tray, the way Sundown
//           does at its first activation (lets the runner check its own hide detection).
// When the event named in SUNDOWN_BENCH_READY_EVENT exists, it is set once the icon is added.
//
// Built with BASELINE_SHAPE (BaselineShape.exe, with common controls 6 in its manifest) it has
// Sundown's shape instead: common controls loaded, the window shown at start, and at its first
// activation the icon added and the window hidden to the tray.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <cstring>
#include <memory>

#include "BaselineCommon.h"

namespace {

using namespace baseline;

#ifdef BASELINE_SHAPE
constexpr char kClassName[] = "TfrmSundownShape";
#else
constexpr char kClassName[] = "TfrmSundownBaseline";
#endif
constexpr UINT kClockInterval = 450;

struct WindowDestroyer {
    void operator()(HWND w) const { DestroyWindow(w); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

#ifdef BASELINE_SHAPE
bool AddTrayIcon(HWND wnd);
bool activated = false;
#endif

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HandleEnd(wnd, msg, wParam))
        return 0;
    switch (msg) {
#ifdef BASELINE_SHAPE
    case WM_ACTIVATE:
        // Sundown's first activation: the icon goes to the tray and the window hides.
        if (LOWORD(wParam) != WA_INACTIVE && !activated) {
            activated = true;
            AddTrayIcon(wnd);
            SetTimer(wnd, kClockTimer, kClockInterval, nullptr);
            ShowWindow(wnd, SW_HIDE);
            SignalReady();
        }
        break;
#endif
    case WM_TIMER: {
        // What a clock does on each tick when nobody looks at it: read the time of day.
        SYSTEMTIME now;
        GetLocalTime(&now);
        return 0;
    }
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

bool AddTrayIcon(HWND wnd) {
    NOTIFYICONDATAA nid = IconData(wnd);
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    std::strcpy(nid.szTip, "Sundown baseline");
    return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    const bool flash = cmdLine && std::strstr(cmdLine, "/flash") != nullptr;
#ifdef BASELINE_SHAPE
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
#endif

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return 1;
    UniqueWindow wnd(CreateWindowExA(0, kClassName, "Sundown baseline", WS_POPUP, 0, 0, 200, 100,
                                     nullptr, nullptr, instance, nullptr));
    if (!wnd)
        return 1;
#ifdef BASELINE_SHAPE
    (void)flash;
    ShowWindow(wnd.get(), SW_SHOW);
    UpdateWindow(wnd.get());
#else
    if (flash) {
        ShowWindow(wnd.get(), SW_SHOW);
        UpdateWindow(wnd.get());
    }
    if (!AddTrayIcon(wnd.get()))
        return 1;
    SetTimer(wnd.get(), kClockTimer, kClockInterval, nullptr);
    if (flash)
        ShowWindow(wnd.get(), SW_HIDE);
    SignalReady();
#endif

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    wnd.release(); // destroyed by the exit command, which ended the loop
    return 0;
}
