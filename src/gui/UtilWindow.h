#pragma once
// A hidden window that hands its messages to a function: the receiver of timers, tray-icon
// callbacks and popup-menu commands. The window is made when its handle is first asked for.
// Exceptions thrown by the function are caught here and shown by the application's default
// error box.
//
//   TUtilWindow w([this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
//       if (msg != WM_TIMER) return false;   // false: default handling
//       Tick(); return true;
//   });
//   SetTimer(w.Handle(), 1, 450, nullptr);
#include <windows.h>

#include <functional>

class TUtilWindow {
public:
    using THandler = std::function<bool(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result)>;

    // A message-only window, or with topLevel a hidden top-level one (which also gets the
    // messages broadcast to all top-level windows).
    explicit TUtilWindow(THandler Handler, bool TopLevel = false);
    ~TUtilWindow();
    TUtilWindow(const TUtilWindow&) = delete;
    TUtilWindow& operator=(const TUtilWindow&) = delete;

    // The window, made on first use; raises when it cannot be made.
    HWND Handle() const;
    bool HandleAllocated() const { return FHandle != nullptr; }

private:
    void CreateHandle();
    static LRESULT CALLBACK WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
    THandler FHandler;
    bool FTopLevel;
    HWND FHandle = nullptr;
};
