#pragma once
// The update component's timer thread: it looks at the clock every step and hands each due check
// to the main thread, where it runs; the thread itself never touches the component.
//
//   TTimerThread thread(12);                        // a check at once, then every 12 hours
//   thread.OnTimer = [&](TObject*) { Check(); };    // runs on the main thread
#include <windows.h>

#include <functional>
#include <memory>
#include <thread>

#include "base/Object.h"
#include "base/Variant.h"
#include "gui/Classes.h"
#include "gui/UtilWindow.h"

// What the timer thread reads the time from and how long it sleeps between looks; tests put in a
// clock of their own and a short step.
struct TTimerClock {
    std::function<TDateTime()> Now; // local time; empty: the system's
    unsigned StepMilliseconds = 60000;
};

// Looks at the clock every step and, every IntervalHours whole hours (the first time at once),
// hands OnTimer to the main thread and waits until it has run there. Destroying it stops the
// thread and waits for it; calls it hands over meanwhile still run. Made and destroyed on the
// main thread.
class TTimerThread : public TObject {
public:
    explicit TTimerThread(int AIntervalHours, TTimerClock AClock = {});
    ~TTimerThread() override;

    int IntervalHours() const;
    // When the last due check was handed over; 0 before the first.
    TDateTime LastCheck() const;
    // The thread's loop has ended (stopped, or a check raised).
    bool Finished() const;
    // While suspended (counted), due checks are not handed over; the clock still runs.
    void Suspend();
    void Resume();

    TNotifyEvent OnTimer;

private:
    struct TShared;
    static void Execute(std::shared_ptr<TShared> Shared);
    bool Synchronized(UINT Msg, LRESULT& Result);
    void DoTimer();

    std::shared_ptr<TShared> FShared;
    std::shared_ptr<bool> FAlive;
    bool FInSync = false;
    TUtilWindow FWindow;
    std::thread FThread;
};
