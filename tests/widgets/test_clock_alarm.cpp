// The clock's daily alarm over simulated days: the clock reads its time through its seam and is
// ticked every 450 ms of simulated time, as its timer would.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "base/ConvertError.h"
#include "base/FormatSettings.h"
#include "gui/Form.h"
#include "widgets/JvClock.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

// Simulated time in milliseconds since day 0, 00:00:00.
using TSimTime = long long;

constexpr TSimTime Ms(int day, int hour, int minute, int second, int ms = 0) {
    return ((((day * 24LL + hour) * 60 + minute) * 60 + second) * 1000) + ms;
}

SYSTEMTIME ToSystemTime(TSimTime t) {
    SYSTEMTIME s{};
    const long long dayMs = 24LL * 3600 * 1000;
    const long long day = t / dayMs;
    long long rest = t % dayMs;
    s.wYear = 2024;
    s.wMonth = 3;
    s.wDay = static_cast<WORD>(1 + day);
    s.wHour = static_cast<WORD>(rest / 3600000);
    rest %= 3600000;
    s.wMinute = static_cast<WORD>(rest / 60000);
    rest %= 60000;
    s.wSecond = static_cast<WORD>(rest / 1000);
    s.wMilliseconds = static_cast<WORD>(rest % 1000);
    return s;
}

class ClockAlarmTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clock.SetTimeSource([this] { return ToSystemTime(Now); });
        Clock.OnAlarm = [this](TObject* sender) {
            EXPECT_EQ(sender, &Clock);
            Fired.push_back(Now);
        };
    }
    // Arms the alarm at hh:mm while the time is `at`.
    void Arm(TSimTime at, int hour, int minute) {
        Now = at;
        Clock.SetAlarmEnabled(true);
        Clock.SetAlarmHour(hour);
        Clock.SetAlarmMinute(minute);
    }
    // Ticks every 450 ms from `from` up to and including `to`.
    void Run(TSimTime from, TSimTime to) {
        for (Now = from; Now <= to; Now += 450)
            Clock.Tick();
    }

    TForm Form{"TAlarmTestForm"};
    TJvClock Clock{&Form};
    TSimTime Now = 0;
    std::vector<TSimTime> Fired;
};

} // namespace

TEST_F(ClockAlarmTest, FiresOncePerDayOnTheFirstTickInsideTheMinute) {
    Arm(Ms(0, 12, 0, 0), 20, 0);
    const TSimTime start = Ms(0, 12, 0, 0, 123);
    Run(start, Ms(2, 21, 0, 0));
    ASSERT_EQ(Fired.size(), 3u) << "one alarm on each of three days";
    for (int day = 0; day < 3; ++day) {
        // The first tick at or after 20:00:00 of that day, on the 450 ms grid.
        const TSimTime minute = Ms(day, 20, 0, 0);
        const TSimTime first = start + (minute - start + 449) / 450 * 450;
        EXPECT_EQ(Fired[day], first) << "day " << day;
        EXPECT_LT(Fired[day] - minute, 450);
    }
}

TEST_F(ClockAlarmTest, NotWhenArmedDuringOrAfterTheMinute) {
    Arm(Ms(0, 20, 0, 30), 20, 0); // started at 20:00:30
    Run(Ms(0, 20, 0, 30), Ms(0, 23, 59, 59));
    EXPECT_TRUE(Fired.empty()) << "no alarm that day";
    Run(Ms(1, 0, 0, 0), Ms(1, 20, 0, 30));
    ASSERT_EQ(Fired.size(), 1u);
    EXPECT_LT(Fired[0] - Ms(1, 20, 0, 0), 450) << "the next one at 20:00 the following day";

    Fired.clear();
    Arm(Ms(3, 20, 5, 0), 20, 0); // armed later that day
    Run(Ms(3, 20, 5, 0), Ms(3, 23, 0, 0));
    EXPECT_TRUE(Fired.empty());
}

TEST_F(ClockAlarmTest, TimeSetBeforeTheMinuteFiresWithinOneTick) {
    Arm(Ms(0, 19, 59, 0), 20, 0); // options confirmed at 19:59
    Run(Ms(0, 19, 59, 0), Ms(0, 20, 0, 0, 449));
    ASSERT_EQ(Fired.size(), 1u);
    EXPECT_LT(Fired[0] - Ms(0, 20, 0, 0), 450) << "within one tick of 20:00:00";

    Fired.clear();
    Arm(Ms(1, 20, 0, 10), 20, 0); // confirmed at 20:00:10
    Run(Ms(1, 20, 0, 10), Ms(1, 20, 1, 0));
    EXPECT_TRUE(Fired.empty()) << "it fires the next day";
}

TEST_F(ClockAlarmTest, MidnightIsTheException) {
    Arm(Ms(0, 23, 0, 0), 0, 0);
    Run(Ms(0, 23, 59, 50), Ms(0, 0 + 24, 0, 40));
    ASSERT_EQ(Fired.size(), 1u) << "fires as the day turns";
    EXPECT_LT(Fired[0] - Ms(1, 0, 0, 0), 450);

    Fired.clear();
    Arm(Ms(3, 0, 0, 20), 0, 0); // armed during 00:00
    Clock.Tick();
    ASSERT_EQ(Fired.size(), 1u) << "armed during 00:00, it fires at once";
    Run(Ms(3, 0, 0, 20) + 450, Ms(3, 0, 1, 0));
    EXPECT_EQ(Fired.size(), 1u) << "still once";

    // Active switched off and on again during 00:00.
    Fired.clear();
    Clock.SetAlarmEnabled(false);
    Run(Ms(5, 0, 0, 5), Ms(5, 0, 0, 10)); // disabled ticks inside the minute
    Clock.SetAlarmEnabled(true);
    Clock.Tick();
    EXPECT_EQ(Fired.size(), 1u) << "switched on during 00:00, it fires at once: a disabled tick "
                                   "sets the flag for the alarm time 00:00";
}

TEST_F(ClockAlarmTest, ClockSetBackRearms) {
    Arm(Ms(0, 19, 0, 0), 20, 0);
    Run(Ms(0, 19, 59, 59), Ms(0, 20, 0, 10));
    ASSERT_EQ(Fired.size(), 1u);
    // The computer's clock is set back to 19:30 the same day.
    Run(Ms(0, 19, 30, 0), Ms(0, 20, 0, 5));
    EXPECT_EQ(Fired.size(), 2u) << "the minute comes again after a time before it";
}

TEST_F(ClockAlarmTest, MinuteWithoutATickIsMissedUntilTheNextDay) {
    Arm(Ms(0, 19, 0, 0), 20, 0);
    Run(Ms(0, 19, 59, 0), Ms(0, 19, 59, 58));
    // Asleep from 19:59:58 to 20:01:05.
    Run(Ms(0, 20, 1, 5), Ms(0, 23, 59, 59));
    EXPECT_TRUE(Fired.empty());
    Run(Ms(1, 0, 0, 0), Ms(1, 20, 0, 1));
    EXPECT_EQ(Fired.size(), 1u);
}

TEST_F(ClockAlarmTest, ActiveToggledOffAndOn) {
    Arm(Ms(0, 19, 0, 0), 20, 0);
    Run(Ms(0, 19, 0, 0), Ms(0, 19, 58, 0));
    Clock.SetAlarmEnabled(false);
    Run(Ms(0, 19, 58, 0) + 450, Ms(0, 20, 2, 0));
    EXPECT_TRUE(Fired.empty()) << "a disabled alarm does not fire";

    // Switched back on during the minute: no alarm until the next day.
    Clock.SetAlarmEnabled(false);
    Run(Ms(1, 19, 59, 0), Ms(1, 20, 0, 29));
    Clock.SetAlarmEnabled(true);
    Run(Ms(1, 20, 0, 30), Ms(1, 23, 0, 0));
    EXPECT_TRUE(Fired.empty());
    Run(Ms(2, 0, 0, 0), Ms(2, 20, 0, 1));
    EXPECT_EQ(Fired.size(), 1u);

    // Switched off and on again before the minute: it fires as usual.
    Fired.clear();
    Run(Ms(3, 19, 0, 0), Ms(3, 19, 0, 1));
    Clock.SetAlarmEnabled(false);
    Run(Ms(3, 19, 0, 2), Ms(3, 19, 30, 0));
    Clock.SetAlarmEnabled(true);
    Run(Ms(3, 19, 30, 0), Ms(3, 20, 1, 0));
    EXPECT_EQ(Fired.size(), 1u);
}

TEST_F(ClockAlarmTest, WritingEnabledDoesNotRecomputeTheFlag) {
    Now = Ms(0, 19, 0, 0);
    Clock.SetAlarmHour(20); // flag set: 19:00 is before 20:00
    // No tick between 19:00 and 20:00:05 (asleep), then armed inside the minute.
    Now = Ms(0, 20, 0, 5);
    Clock.SetAlarmEnabled(true);
    Clock.Tick();
    EXPECT_EQ(Fired.size(), 1u);
}

TEST_F(ClockAlarmTest, SecondsOfTheAlarmMinute) {
    Arm(Ms(0, 10, 0, 0), 20, 0);
    Now = Ms(0, 10, 0, 0);
    Clock.SetAlarmSecond(30);
    Run(Ms(0, 20, 0, 0), Ms(0, 20, 0, 29));
    EXPECT_TRUE(Fired.empty()) << "before the alarm second";
    Run(Ms(0, 20, 0, 30), Ms(0, 20, 0, 31));
    EXPECT_EQ(Fired.size(), 1u);
}

TEST_F(ClockAlarmTest, InvalidTimesAreRefusedAndChangeNothing) {
    Arm(Ms(0, 10, 0, 0), 7, 45);
    const std::string sep(1, FormatSettings().TimeSeparator);
    struct TCase {
        void (TJvClock::*Setter)(int);
        int Value;
        std::string Text;
    } cases[] = {
        {&TJvClock::SetAlarmHour, 24, "24" + sep + "45" + sep + "0"},
        {&TJvClock::SetAlarmHour, -1, "-1" + sep + "45" + sep + "0"},
        {&TJvClock::SetAlarmHour, 261, "261" + sep + "45" + sep + "0"},
        {&TJvClock::SetAlarmMinute, 60, "7" + sep + "60" + sep + "0"},
        {&TJvClock::SetAlarmSecond, 60, "7" + sep + "45" + sep + "60"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(support::MessageOf<EConvertError>([&] { (Clock.*c.Setter)(c.Value); }),
                  "'" + c.Text + "' is not a valid time");
        EXPECT_EQ(Clock.AlarmHour(), 7);
        EXPECT_EQ(Clock.AlarmMinute(), 45);
        EXPECT_EQ(Clock.AlarmSecond(), 0);
    }
    Clock.SetAlarmHour(23);
    Clock.SetAlarmMinute(59);
    Clock.SetAlarmSecond(59);
    EXPECT_EQ(Clock.AlarmHour(), 23);
}

TEST_F(ClockAlarmTest, DefaultsAreDisarmedAtMidnight) {
    TJvClock fresh(&Form);
    EXPECT_FALSE(fresh.AlarmEnabled());
    EXPECT_EQ(fresh.AlarmHour(), 0);
    EXPECT_EQ(fresh.AlarmMinute(), 0);
    EXPECT_EQ(fresh.AlarmSecond(), 0);
}

TEST_F(ClockAlarmTest, TheRealTimerFiresTheAlarmOnce) {
    Arm(Ms(0, 19, 0, 0), 20, 0);
    Now = Ms(0, 20, 0, 1); // the time source now stays inside the minute
    int reads = 0;
    Clock.SetTimeSource([this, &reads] {
        ++reads;
        return ToSystemTime(Now);
    });
    ASSERT_TRUE(pump::WaitFor([&] { return reads >= 3; }, support::NoticeableMs));
    EXPECT_EQ(Fired.size(), 1u) << "the 450 ms timer ticked, and only the first tick fired";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
