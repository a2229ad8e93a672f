#include "update/TimerThread.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>

#include "base/Assert.h"
#include "base/DateTime.h"
#include "base/FormatDateTime.h"
#include "base/Exception.h"
#include "base/Handles.h"
#include "base/ScopeExit.h"
#include "base/SystemError.h"
#include "gui/Application.h"

namespace {

// The timer thread's hand-over of a due check to the main thread.
const UINT WM_TIMERTHREAD_SYNC = WM_APP + 0x51;
// Its answers: the check ran, raised (the thread's loop ends), or must wait for a later step.
enum : LRESULT { SyncDone = 0, SyncRaised = 1, SyncDeferred = 2 };

// The timer thread's "ended" event (manual reset, not set). Raises when the system gives none: the
// thread's destructor waits on it and could never tell that the thread has ended.
KernelHandle NewDoneEvent() {
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        throw Exception("Cannot create the update timer's event. " +
                        SysErrorMessage(GetLastError()));
    return event;
}

} // namespace

// --- Timer thread

struct TTimerThread::TShared {
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Signalled = false; // the sleep's wake-up, used up by one wait
    bool Terminated = false;
    int Suspended = 0;
    TDateTime LastCheck = 0;
    int IntervalHours = 0;
    TTimerClock Clock;
    HWND Window = nullptr;
    KernelHandle Done{NewDoneEvent()};

    TDateTime Now() const { return Clock.Now ? Clock.Now() : ::Now(); }
};

TTimerThread::TTimerThread(int AIntervalHours, TTimerClock AClock)
    : FShared(std::make_shared<TShared>()), FAlive(std::make_shared<bool>(true)),
      FWindow(
          [this](UINT Msg, WPARAM, LPARAM, LRESULT& Result) { return Synchronized(Msg, Result); }) {
    ASSERT(InMainThread());
    FShared->IntervalHours = AIntervalHours;
    FShared->Clock = std::move(AClock);
    FShared->Window = FWindow.Handle();
    FThread = std::thread(&TTimerThread::Execute, FShared);
}

TTimerThread::~TTimerThread() {
    ASSERT(InMainThread());
    {
        std::lock_guard<std::mutex> lock(FShared->Mutex);
        FShared->Terminated = true;
        FShared->Signalled = true;
    }
    FShared->Wake.notify_all();
    if (FInSync) {
        // Destroyed from inside its own hand-over: the thread waits for this very call, so it
        // cannot be waited for here. It ends by itself once the call returns.
        *FAlive = false;
        FThread.detach();
        return;
    }
    // Wait for the thread, running what it hands over meanwhile (a due check still runs).
    HANDLE done = FShared->Done.get();
    for (;;) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
            WAIT_OBJECT_0)
            break;
    }
    FThread.join();
    *FAlive = false;
}

int TTimerThread::IntervalHours() const {
    return FShared->IntervalHours;
}

TDateTime TTimerThread::LastCheck() const {
    std::lock_guard<std::mutex> lock(FShared->Mutex);
    return FShared->LastCheck;
}

bool TTimerThread::Finished() const {
    return WaitForSingleObject(FShared->Done.get(), 0) == WAIT_OBJECT_0;
}

void TTimerThread::Suspend() {
    std::lock_guard<std::mutex> lock(FShared->Mutex);
    ++FShared->Suspended;
}

void TTimerThread::Resume() {
    std::lock_guard<std::mutex> lock(FShared->Mutex);
    if (FShared->Suspended > 0)
        --FShared->Suspended;
}

void TTimerThread::Execute(std::shared_ptr<TShared> Shared) {
    const TScopeExit signalDone([Done = Shared->Done.get()] { SetEvent(Done); });
    try {
        std::unique_lock<std::mutex> lock(Shared->Mutex);
        while (!Shared->Terminated) {
            const TDateTime now = Shared->Now();
            const auto hours = static_cast<int64_t>(std::fabs(now - Shared->LastCheck) * 24);
            if (hours >= Shared->IntervalHours && Shared->Suspended == 0) {
                const TDateTime previous = Shared->LastCheck;
                Shared->LastCheck = Shared->Now();
                lock.unlock();
                // Waits until the main thread has run the check.
                const LRESULT outcome = SendMessageA(Shared->Window, WM_TIMERTHREAD_SYNC, 0, 0);
                lock.lock();
                if (outcome == SyncRaised)
                    break;
                if (outcome == SyncDeferred)
                    Shared->LastCheck = previous; // still due: tried again at the next step
            }
            Shared->Wake.wait_for(lock, std::chrono::milliseconds(Shared->Clock.StepMilliseconds),
                                  [&] { return Shared->Signalled; });
            Shared->Signalled = false;
        }
    } catch (...) {
        // Nothing may leave the thread; its loop simply ends.
    }
}

bool TTimerThread::Synchronized(UINT Msg, LRESULT& Result) {
    if (Msg != WM_TIMERTHREAD_SYNC)
        return false;
    // A check run from inside a modal window's loop would hold that window's end (the countdown's
    // exit among them) until the transfer ends: it waits until no modal window runs.
    if (Application().ModalForm()) {
        Result = SyncDeferred;
        return true;
    }
    const std::shared_ptr<bool> alive = FAlive;
    FInSync = true;
    Result = SyncDone;
    try {
        DoTimer();
    } catch (...) {
        // A check that raised ends the thread's loop; the error is shown like any other.
        Result = SyncRaised;
        Application().HandleException(nullptr);
    }
    if (*alive)
        FInSync = false;
    return true;
}

void TTimerThread::DoTimer() {
    ASSERT(InMainThread());
    if (OnTimer)
        OnTimer(this);
}
