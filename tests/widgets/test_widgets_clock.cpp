// The digital clock: its texts for given times, its time source, its 450 ms tick.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "gui/Form.h"
#include "widgets/JvClock.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

SYSTEMTIME At(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

std::string Twelve(int h, int m, int s) {
    return TJvClock::FormatTime(At(2024, 1, 1, h, m, s), true, false);
}

class TCountingClock : public TJvClock {
public:
    using TJvClock::TJvClock;
    std::vector<SYSTEMTIME> Ticks;

protected:
    void DoTick(const SYSTEMTIME& time) override { Ticks.push_back(time); }
};

} // namespace

TEST(ClockText, TwelveHourWithoutLeadingZero) {
    EXPECT_EQ(Twelve(0, 0, 0), "12:00:00 AM") << "midnight";
    EXPECT_EQ(Twelve(0, 59, 59), "12:59:59 AM");
    EXPECT_EQ(Twelve(1, 0, 0), "1:00:00 AM");
    EXPECT_EQ(Twelve(9, 5, 7), "9:05:07 AM");
    EXPECT_EQ(Twelve(11, 59, 59), "11:59:59 AM");
    EXPECT_EQ(Twelve(12, 0, 0), "12:00:00 PM") << "noon";
    EXPECT_EQ(Twelve(13, 0, 0), "1:00:00 PM");
    EXPECT_EQ(Twelve(20, 5, 9), "8:05:09 PM");
    EXPECT_EQ(Twelve(23, 59, 59), "11:59:59 PM");
}

TEST(ClockText, OtherHourSettings) {
    const SYSTEMTIME t = At(2024, 1, 1, 7, 5, 3);
    EXPECT_EQ(TJvClock::FormatTime(t, true, true), "07:05:03 AM");
    EXPECT_EQ(TJvClock::FormatTime(t, false, true), "07:05:03");
    EXPECT_EQ(TJvClock::FormatTime(t, false, false), "7:05:03");
    EXPECT_EQ(TJvClock::FormatTime(At(2024, 1, 1, 0, 0, 0), false, true), "00:00:00");
    EXPECT_EQ(TJvClock::FormatTime(At(2024, 1, 1, 23, 0, 0), false, false), "23:00:00");
}

TEST(ClockText, DateFormats) {
    EXPECT_EQ(TJvClock::FormatDate(At(2024, 3, 1, 0, 0, 0), "d/MM/yyyy"), "1/03/2024");
    EXPECT_EQ(TJvClock::FormatDate(At(2009, 1, 5, 0, 0, 0), "d/MM/yyyy"), "5/01/2009");
    EXPECT_EQ(TJvClock::FormatDate(At(1999, 12, 31, 0, 0, 0), "d/MM/yyyy"), "31/12/1999");
    EXPECT_EQ(TJvClock::FormatDate(At(2024, 3, 1, 0, 0, 0), "dd.M.yy"), "01.3.24");
    EXPECT_EQ(TJvClock::FormatDate(At(2024, 3, 1, 0, 0, 0), "yyyy-MM-dd"), "2024-03-01");
}

TEST(Clock, DefaultsAndSettings) {
    TForm form("TClockForm");
    TJvClock clock(&form);
    EXPECT_EQ(clock.DateFormat(), "d/MM/yyyy");
    clock.SetTwelveHour(true);
    clock.SetLeadingZero(false);
    clock.SetTimeSource([] { return At(2024, 3, 1, 0, 0, 5); });
    clock.Tick();
    EXPECT_EQ(clock.TimeText(), "12:00:05 AM");
    EXPECT_EQ(clock.DateText(), "1/03/2024");
    EXPECT_EQ(clock.CurrentTime().wSecond, 5);
}

TEST(Clock, TickReadsTheSourceAndRepaintsOnlyWhenTheTextChanges) {
    TForm form("TClockForm");
    form.SetBorderStyle(bsNone);
    form.SetClientSize(216, 55);
    TJvClock clock(&form);
    clock.SetAlign(alClient);
    form.Show();
    SYSTEMTIME now = At(2024, 3, 1, 13, 0, 0);
    clock.SetTimeSource([&] { return now; });
    clock.SetTwelveHour(true);
    clock.SetLeadingZero(false);
    clock.Tick();
    UpdateWindow(clock.Handle());
    EXPECT_FALSE(GetUpdateRect(clock.Handle(), nullptr, FALSE));
    clock.Tick(); // same second: nothing to draw
    EXPECT_FALSE(GetUpdateRect(clock.Handle(), nullptr, FALSE));
    now.wSecond = 1;
    clock.Tick();
    EXPECT_TRUE(GetUpdateRect(clock.Handle(), nullptr, FALSE));
    EXPECT_EQ(clock.TimeText(), "1:00:01 PM");
    form.Hide();
}

TEST(Clock, TicksEvery450MsThroughTheMessageLoopAndCallsDoTick) {
    TForm form("TClockForm");
    TCountingClock clock(&form);
    int reads = 0;
    clock.SetTimeSource([&] {
        ++reads;
        return At(2024, 3, 1, 20, 0, reads);
    });
    // Three ticks of 450 ms: a busy machine may make them late, never early.
    const DWORD start = GetTickCount();
    ASSERT_TRUE(pump::WaitFor([&] { return clock.Ticks.size() >= 3; }, support::NoticeableMs));
    EXPECT_GE(GetTickCount() - start, 1200u);
    EXPECT_EQ(static_cast<int>(clock.Ticks.size()), reads);
    ASSERT_FALSE(clock.Ticks.empty());
    EXPECT_EQ(clock.Ticks.back().wSecond, reads) << "DoTick gets the time just read";
}

TEST(Clock, DrawsTheTimeAboveTheDate) {
    TForm form("TClockForm");
    form.SetBorderStyle(bsNone);
    form.SetClientSize(216, 55);
    TJvClock clock(&form);
    clock.SetAlign(alClient);
    clock.SetBevelOuter(bvNone);
    clock.SetColor(clWhite);
    clock.SetTimeSource([] { return At(2024, 3, 1, 20, 5, 9); });
    clock.Tick();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, 216, 55));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap.get());
    SendMessageA(clock.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    // Ink rows: the time in the upper three fifths, the date below.
    auto inkInRows = [&](int top, int bottom) {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 216; ++x)
                ink += (GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF;
        return ink;
    };
    const int timeInk = inkInRows(0, 33), dateInk = inkInRows(33, 55);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_GT(timeInk, 200);
    EXPECT_GT(dateInk, 40);
    EXPECT_GT(timeInk, dateInk) << "the time in the larger font";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
