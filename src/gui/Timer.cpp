#include "gui/Timer.h"

TTimer::TTimer()
    : FWindow([this](UINT msg, WPARAM, LPARAM, LRESULT&) {
          if (msg != WM_TIMER)
              return false;
          if (FEnabled && OnTimer)
              OnTimer(this);
          return true;
      }) {
    UpdateTimer();
}

TTimer::~TTimer() {
    if (FWindow.HandleAllocated())
        KillTimer(FWindow.Handle(), 1);
}

void TTimer::SetEnabled(bool value) {
    if (FEnabled != value) {
        FEnabled = value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned value) {
    if (FInterval != value) {
        FInterval = value;
        UpdateTimer();
    }
}

// A timer that never ran needs no window.
void TTimer::UpdateTimer() {
    if (FWindow.HandleAllocated())
        KillTimer(FWindow.Handle(), 1);
    if (FEnabled && FInterval > 0)
        SetTimer(FWindow.Handle(), 1, FInterval, nullptr);
}
