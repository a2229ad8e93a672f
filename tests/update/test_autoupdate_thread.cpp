// The timer thread and switching the component on and off: due checks reach the main thread at
// the interval (on a clock of the test's own, one step lasting milliseconds), stopping never
// deadlocks, whether the thread sleeps, waits to hand a check over, or waits inside one.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gui/Application.h"
#include "gui/Form.h"
#include "gui/Timer.h"
#include "base/Exception.h"
#include "update/OrbAutoUpdate.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr TDateTime Base = 45000.5;

struct FakeClock {
    std::atomic<int64_t> Minutes{0};
    TTimerClock Make(unsigned step = 5) {
        return {[this] { return Base + static_cast<double>(Minutes.load()) / 1440.0; }, step};
    }
};

long long Elapsed(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

TEST(TimerThread, FirstCheckAtOnceThenEveryIntervalOnTheMainThread) {
    FakeClock clock;
    int count = 0;
    DWORD thread = 0;
    TTimerThread t(2, clock.Make());
    t.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &t);
        thread = GetCurrentThreadId();
        ++count;
    };
    EXPECT_EQ(t.IntervalHours(), 2);
    ASSERT_TRUE(pump::WaitFor([&] { return count == 1; }));
    EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_DOUBLE_EQ(t.LastCheck(), Base);

    clock.Minutes = 119; // one hour and 59 minutes: not yet two whole hours
    pump::For(150);
    EXPECT_EQ(count, 1);
    clock.Minutes = 120;
    ASSERT_TRUE(pump::WaitFor([&] { return count == 2; }));
    pump::For(100);
    EXPECT_EQ(count, 2);

    // The clock set back by the interval makes a check due as well.
    clock.Minutes = 0;
    ASSERT_TRUE(pump::WaitFor([&] { return count == 3; }));
    pump::For(100);
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(t.Finished());
}

TEST(TimerThread, IntervalOfZeroOrLessChecksAtEveryWakeUp) {
    for (int interval : {0, -5}) {
        FakeClock clock;
        int count = 0;
        TTimerThread t(interval, clock.Make(10));
        t.OnTimer = [&](TObject*) { ++count; };
        EXPECT_TRUE(pump::WaitFor([&] { return count >= 5; })) << interval;
    }
}

TEST(TimerThread, StopWhileSleepingReturnsAtOnce) {
    int count = 0;
    auto t = std::make_unique<TTimerThread>(12); // the real clock and one-minute sleeps
    t->OnTimer = [&](TObject*) { ++count; };
    ASSERT_TRUE(pump::WaitFor([&] { return count == 1; }));
    pump::For(50);
    const auto start = Clock::now();
    t.reset();
    EXPECT_LT(Elapsed(start), support::NoticeableMs);
    EXPECT_EQ(count, 1);
}

TEST(TimerThread, StopWhileACheckWaitsToBeDeliveredRunsItFirst) {
    int count = 0;
    auto t = std::make_unique<TTimerThread>(12, TTimerClock{nullptr, 60000});
    t->OnTimer = [&](TObject*) { ++count; };
    // No messages are handled here: the thread stays blocked handing its first check over.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(count, 0);
    const auto start = Clock::now();
    t.reset();
    EXPECT_LT(Elapsed(start), support::NoticeableMs);
    EXPECT_EQ(count, 1);
}

TEST(TimerThread, StopFromInsideTheCheckDoesNotDeadlock) {
    FakeClock clock;
    int count = 0;
    auto t = std::make_unique<TTimerThread>(0, clock.Make());
    t->OnTimer = [&](TObject*) {
        ++count;
        const auto start = Clock::now();
        t.reset(); // the thread is waiting for this very call
        EXPECT_LT(Elapsed(start), support::NoticeableMs);
    };
    ASSERT_TRUE(pump::WaitFor([&] { return t == nullptr; }));
    pump::For(100);
    EXPECT_EQ(count, 1);
}

TEST(TimerThread, CheckThatRaisesIsReportedAndEndsTheLoop) {
    support::TBoxRecorder boxes;
    FakeClock clock;
    int count = 0;
    {
        TTimerThread t(0, clock.Make());
        t.OnTimer = [&](TObject*) {
            ++count;
            throw Exception("Cannot create file \"x\".");
        };
        ASSERT_TRUE(pump::WaitFor([&] { return t.Finished(); }));
        pump::For(100);
        EXPECT_EQ(count, 1);
    }
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Cannot create file \"x\"."});
}

TEST(TimerThread, SuspendedThreadHandsNothingOver) {
    FakeClock clock;
    int count = 0;
    TTimerThread t(0, clock.Make());
    t.OnTimer = [&](TObject*) { ++count; };
    ASSERT_TRUE(pump::WaitFor([&] { return count >= 1; }));
    t.Suspend();
    t.Suspend();
    pump::For(100); // a check already on its way still arrives
    const int held = count;
    pump::For(200);
    EXPECT_EQ(count, held);
    t.Resume();
    pump::For(100);
    EXPECT_EQ(count, held);
    t.Resume();
    EXPECT_TRUE(pump::WaitFor([&] { return count > held; }));
}

TEST(TimerThread, DueCheckWaitsUntilNoModalWindowRuns) {
    FakeClock clock;
    int count = 0;
    TTimerThread t(12, clock.Make());
    t.OnTimer = [&](TObject*) { ++count; };
    // The first check falls due while the dialog runs modally: it must not run inside that loop.
    TForm dialog("TTimerThreadTestDialog");
    TTimer end;
    end.SetInterval(400);
    int seenDuringModal = -1;
    end.OnTimer = [&](TObject*) {
        end.SetEnabled(false);
        seenDuringModal = count;
        dialog.SetModalResult(mrCancel);
    };
    dialog.ShowModal();
    EXPECT_EQ(seenDuringModal, 0);
    // Deferred, not dropped: it runs once the modal run is over, and only once.
    ASSERT_TRUE(pump::WaitFor([&] { return count == 1; }));
    pump::For(100);
    EXPECT_EQ(count, 1);
}

// The component: an empty address makes each check end at once with a failure event.
struct Component {
    TOrbAutoUpdate Update;
    int Checks = 0;
    FakeClock Time;
    Component() {
        Update.SetUpdateURL("");
        Update.SetTimerClock(Time.Make());
        Update.OnUpdateFailed = [this](TObject*, std::string m) {
            EXPECT_EQ(m, "Invalid AutoUpdate URL, please check your settings.");
            ++Checks;
        };
    }
};

TEST(UpdateComponentActive, OneThreadAndACheckAtEachSwitchOn) {
    Component c;
    c.Update.SetActive(false); // inactive: nothing
    EXPECT_FALSE(c.Update.Active());
    c.Update.SetMonitorIntervalHours(5);
    c.Update.SetActive(true);
    ASSERT_TRUE(c.Update.Active());
    TTimerThread* first = c.Update.TimerThread();
    c.Update.SetActive(true);
    EXPECT_EQ(c.Update.TimerThread(), first);
    ASSERT_TRUE(pump::WaitFor([&] { return c.Checks == 1; }));
    EXPECT_EQ(first->IntervalHours(), 5);

    // A new interval reaches only a new thread.
    c.Update.SetMonitorIntervalHours(1);
    c.Time.Minutes = 60;
    pump::For(150);
    EXPECT_EQ(c.Checks, 1);
    c.Update.SetActive(false);
    EXPECT_FALSE(c.Update.Active());
    c.Update.SetActive(true);
    EXPECT_EQ(c.Update.TimerThread()->IntervalHours(), 1);
    ASSERT_TRUE(pump::WaitFor([&] { return c.Checks == 2; })); // at once again
    c.Time.Minutes = 120;
    ASSERT_TRUE(pump::WaitFor([&] { return c.Checks == 3; }));
}

TEST(UpdateComponentActive, SwitchedOffFromInsideACheck) {
    Component c;
    c.Update.OnUpdateFailed = [&](TObject*, std::string) {
        ++c.Checks;
        const auto start = Clock::now();
        c.Update.SetActive(false);
        EXPECT_LT(Elapsed(start), support::NoticeableMs);
        EXPECT_FALSE(c.Update.Active());
    };
    c.Update.SetActive(true);
    ASSERT_TRUE(pump::WaitFor([&] { return c.Checks == 1; }));
    pump::For(100);
    EXPECT_FALSE(c.Update.Active());
    EXPECT_EQ(c.Checks, 1);
    // And on again.
    c.Update.OnUpdateFailed = [&](TObject*, std::string) { ++c.Checks; };
    c.Update.SetActive(true);
    ASSERT_TRUE(pump::WaitFor([&] { return c.Checks == 2; }));
}

TEST(UpdateComponentActive, DestroyedWhileActive) {
    auto c = std::make_unique<Component>();
    c->Update.SetActive(true);
    ASSERT_TRUE(pump::WaitFor([&] { return c->Checks == 1; }));
    const auto start = Clock::now();
    c.reset(); // the component stops its thread itself
    EXPECT_LT(Elapsed(start), support::NoticeableMs);
}

// The component and its timer thread belong to the main thread: a debug build stops at once where
// another thread would check, load settings, switch the component on, or make or free the thread.
TEST(UpdateThreadChecks, CallsFromAnotherThreadEndADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "the checks are compiled into debug builds only";
#else
    FakeClock clock;
    struct TCase {
        const char* What;
        std::function<void(TOrbAutoUpdate&)> Call;
        const char* Check;
    };
    const TCase cases[] = {
        {"a check",
         [&](TOrbAutoUpdate& u) { support::OnAnotherThread([&] { u.CheckForUpdate(); }); },
         "InMainThread.*OrbAutoUpdate.cpp"},
        {"the settings",
         [&](TOrbAutoUpdate& u) { support::OnAnotherThread([&] { u.LoadSettings(); }); },
         "InMainThread.*OrbAutoUpdate.cpp"},
        {"switching on",
         [&](TOrbAutoUpdate& u) { support::OnAnotherThread([&] { u.SetActive(true); }); },
         "InMainThread.*OrbAutoUpdate.cpp"},
        {"making the timer thread",
         [&](TOrbAutoUpdate&) {
             support::OnAnotherThread([&] { TTimerThread t(1, clock.Make()); });
         },
         "InMainThread.*TimerThread.cpp"},
        {"freeing the timer thread",
         [&](TOrbAutoUpdate&) {
             // Never due: nothing to hand over while it is freed.
             auto t = std::make_unique<TTimerThread>(INT_MAX, clock.Make());
             support::OnAnotherThread([&] { t.reset(); });
         },
         "InMainThread.*TimerThread.cpp"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_DEATH(
            {
                TOrbAutoUpdate update;
                c.Call(update);
            },
            c.Check);
    }
#endif
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
