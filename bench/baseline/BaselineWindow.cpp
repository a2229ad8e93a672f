// Sundown's main window in plain Win32, the floor its start-up is measured against: the same
// borderless 491 x 271 window in the work area's corner, a header with the title and a close
// box, a clock that ticks each second with the date under it, the Options button, and a calendar
// of two months with week numbers. Common controls 6 come through the same manifest. At its
// first activation it adds its icon to the tray, with the tip and armed image from the start,
// and hides, as Sundown does; SUNDOWN_BENCH_READY_EVENT, when it exists, is set then.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>

#include "BaselineCommon.h"

namespace {

using namespace baseline;

constexpr char kClassName[] = "TfrmSundownWindow";
constexpr int kWidth = 491, kHeight = 271, kHeader = 22, kTop = 57, kClockWidth = 216;
constexpr int kTrayIcon = 2; // the armed tray image in BaselineWindow.rc

struct GdiDeleter {
    void operator()(HGDIOBJ o) const { DeleteObject(o); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiDeleter>;

struct TWindow {
    UniqueFont Font, Bold, Big;
    HICON TrayIcon = nullptr;
    bool Activated = false;
};
TWindow* state = nullptr;

UniqueFont MakeFont(int Height, int Weight) {
    return UniqueFont(CreateFontA(Height, 0, 0, 0, Weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, "Tahoma"));
}

void AddTrayIcon(HWND Wnd) {
    NOTIFYICONDATAA nid = IconData(Wnd);
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = state->TrayIcon;
    std::strcpy(nid.szTip, "Workstation will logoff at 20:00");
    Shell_NotifyIconA(NIM_ADD, &nid);
}

void Paint(HWND Wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Wnd, &ps);
    RECT header{0, 0, kWidth, kHeader};
    FillRect(dc, &header, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, state->Bold.get());
    RECT title{6, 0, kWidth - kHeader, kHeader};
    DrawTextA(dc, "Sundown", -1, &title, DT_SINGLELINE | DT_VCENTER);
    RECT close{kWidth - kHeader + 3, 3, kWidth - 3, kHeader - 3};
    DrawFrameControl(dc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_FLAT);
    RECT top{0, kHeader, kWidth, kHeader + kTop};
    FillRect(dc, &top, GetSysColorBrush(COLOR_WINDOW));
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    const int hour = now.wHour % 12 ? now.wHour % 12 : 12;
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour, now.wMinute, now.wSecond,
                  now.wHour < 12 ? "AM" : "PM");
    RECT clock{0, kHeader + 2, kClockWidth, kHeader + 36};
    SelectObject(dc, state->Big.get());
    DrawTextA(dc, text, -1, &clock, DT_CENTER | DT_SINGLELINE | DT_BOTTOM);
    std::snprintf(text, sizeof text, "%d/%02d/%04d", now.wDay, now.wMonth, now.wYear);
    RECT date{0, kHeader + 36, kClockWidth, kHeader + kTop};
    SelectObject(dc, state->Font.get());
    DrawTextA(dc, text, -1, &date, DT_CENTER | DT_SINGLELINE | DT_TOP);
    SelectObject(dc, old);
    EndPaint(Wnd, &ps);
}

void MakeControls(HWND Wnd, HINSTANCE Instance) {
    HWND button =
        CreateWindowExA(0, "BUTTON", "Options", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                        kClockWidth + 95, kHeader + 8, 77, 29, Wnd, nullptr, Instance, nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(state->Font.get()), FALSE);
    HWND calendar = CreateWindowExA(0, MONTHCAL_CLASSA, "", WS_CHILD | WS_VISIBLE | MCS_WEEKNUMBERS,
                                    0, kHeader + kTop, kWidth, kHeight - kHeader - kTop, Wnd,
                                    nullptr, Instance, nullptr);
    SendMessageA(calendar, WM_SETFONT, reinterpret_cast<WPARAM>(state->Font.get()), FALSE);
}

LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (HandleEnd(Wnd, Msg, WParam))
        return 0;
    switch (Msg) {
    case WM_ACTIVATE:
        // Sundown's first activation: the icon goes to the tray and the window hides.
        if (LOWORD(WParam) != WA_INACTIVE && !state->Activated) {
            state->Activated = true;
            AddTrayIcon(Wnd);
            ShowWindow(Wnd, SW_HIDE);
            SignalReady();
        }
        break;
    case WM_PAINT:
        Paint(Wnd);
        return 0;
    case WM_TIMER: {
        RECT clock{0, kHeader, kClockWidth, kHeader + kTop};
        InvalidateRect(Wnd, &clock, FALSE);
        return 0;
    }
    }
    return DefWindowProcA(Wnd, Msg, WParam, LParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    TWindow window;
    state = &window;
    window.Font = MakeFont(-11, FW_NORMAL);
    window.Bold = MakeFont(-11, FW_BOLD);
    window.Big = MakeFont(-24, FW_BOLD);
    window.TrayIcon = static_cast<HICON>(
        LoadImageA(Instance, MAKEINTRESOURCEA(kTrayIcon), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Instance;
    wc.hIcon = LoadIconA(Instance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return 1;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    HWND wnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, "Sundown", WS_POPUP,
                               work.right - kWidth, work.bottom - kHeight, kWidth, kHeight, nullptr,
                               nullptr, Instance, nullptr);
    if (!wnd)
        return 1;
    MakeControls(wnd, Instance);
    SetTimer(wnd, kClockTimer, 1000, nullptr);
    ShowWindow(wnd, SW_SHOW);
    UpdateWindow(wnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(wnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (window.TrayIcon)
        DestroyIcon(window.TrayIcon);
    return 0;
}
