#pragma once
// TTimer: OnTimer every Interval milliseconds on the GUI thread while Enabled (a window timer, so
// ticks arrive through the message loop, modal loops included).
//
//   TTimer TimerConfirm;
//   TimerConfirm.SetEnabled(false); TimerConfirm.SetInterval(1000);
//   TimerConfirm.OnTimer = [this](TObject* s) { TimerConfirmTimer(s); };
//   TimerConfirm.SetEnabled(true);          // the first tick comes one interval later
//
// Enabled from the start, but nothing runs until Enabled or Interval is first set: the helper
// window is made then, when the timer is enabled, so a timer switched off at once makes none.
// Raises when the window or the system's timer cannot be had.
#include "gui/Classes.h"
#include "gui/UtilWindow.h"

class TTimer : public TObject {
public:
    TTimer();
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned Value);

    TNotifyEvent OnTimer;

private:
    void UpdateTimer();
    TUtilWindow FWindow;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    bool FRunning = false;
};
