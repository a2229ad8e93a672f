#include "gui/Timer.h"

#include "base/Exception.h"

TTimer::TTimer()
    : FWindow([this](UINT Msg, WPARAM, LPARAM, LRESULT&) {
          if (Msg != WM_TIMER)
              return false;
          if (FEnabled && OnTimer)
              OnTimer(this);
          return true;
      }) {}

TTimer::~TTimer() {
    if (FRunning)
        KillTimer(FWindow.Handle(), 1);
}

void TTimer::SetEnabled(bool Value) {
    if (FEnabled != Value || (Value && !FRunning)) {
        FEnabled = Value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned Value) {
    if (FInterval != Value || (FEnabled && !FRunning)) {
        FInterval = Value;
        UpdateTimer();
    }
}

void TTimer::UpdateTimer() {
    if (FRunning) {
        KillTimer(FWindow.Handle(), 1);
        FRunning = false;
    }
    if (!FEnabled || FInterval == 0)
        return;
    if (!SetTimer(FWindow.Handle(), 1, FInterval, nullptr))
        throw Exception("Not enough timers available");
    FRunning = true;
}
