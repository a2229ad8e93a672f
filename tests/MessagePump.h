#pragma once
// Waiting in a test while the application's messages are handled.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "gui/Application.h"
#include "gui/Timer.h"
#include "gui/UtilWindow.h"

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

// Handles messages for about ms milliseconds.
inline void For(int ms) {
    WaitFor([] { return false; }, ms);
}

// Watches a long call on this thread from its own messages: a timer ticks every 40 ms while the
// messages are handled, so the longest gap between ticks is the longest the program went deaf.
// An action runs from a timer message ActAfterMs (when above 0) after the start: a click on
// Cancel, say.
class TWatch {
public:
    explicit TWatch(int ActAfterMs = 0, std::function<void()> Action = nullptr)
        : FAction(std::move(Action)) {
        FTicker.SetInterval(40);
        FTicker.OnTimer = [this](TObject*) { Tick(); };
        FActor.SetEnabled(false);
        FActor.SetInterval(static_cast<unsigned>(std::max(ActAfterMs, 1)));
        FActor.OnTimer = [this](TObject*) {
            FActor.SetEnabled(false);
            FAction();
        };
        FActor.SetEnabled(FAction && ActAfterMs > 0);
    }
    // Ends the watch; milliseconds since the start.
    long long Stop() {
        Tick();
        FTicker.SetEnabled(false);
        FActor.SetEnabled(false);
        return Ms(FLast - FStart);
    }
    long long LongestGapMs() const { return Ms(FGap); }

private:
    using clock = std::chrono::steady_clock;
    static long long Ms(clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    }
    void Tick() {
        const clock::time_point now = clock::now();
        FGap = std::max(FGap, now - FLast);
        FLast = now;
    }

    std::function<void()> FAction;
    TTimer FTicker;
    TTimer FActor;
    clock::time_point FStart = clock::now();
    clock::time_point FLast = FStart;
    clock::duration FGap{};
};

// Keeps a posted message always waiting, so the system makes no timer message while it runs; each
// message handled calls OnMessage.
class TFlood {
public:
    void Start() {
        FOn = true;
        PostMessageA(FWindow.Handle(), WM_APP, 0, 0);
    }
    void Stop() { FOn = false; }
    std::function<void()> OnMessage;

private:
    bool FOn = false;
    TUtilWindow FWindow{[this](UINT Msg, WPARAM, LPARAM, LRESULT&) {
        if (Msg != WM_APP || !FOn)
            return false;
        PostMessageA(FWindow.Handle(), WM_APP, 0, 0);
        OnMessage();
        return true;
    }};
};

} // namespace pump
