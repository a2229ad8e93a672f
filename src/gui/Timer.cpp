#include "gui/Timer.h"

TTimer::TTimer()
    : FWindow([this](UINT Msg, WPARAM, LPARAM, LRESULT&) {
          if (Msg != WM_TIMER)
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

void TTimer::SetEnabled(bool Value) {
    if (FEnabled != Value) {
        FEnabled = Value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned Value) {
    if (FInterval != Value) {
        FInterval = Value;
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
