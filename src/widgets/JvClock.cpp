#include "widgets/JvClock.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Number(int value, int digits) {
    char text[16];
    std::snprintf(text, sizeof(text), "%0*d", digits, value);
    return text;
}
} // namespace

TJvClock::TJvClock(TControl* parent) : TPanel(parent, "TJvClock") {
    GetLocalTime(&FTime);
    FTicker.SetInterval(TickInterval);
    FTicker.OnTimer = [this](TObject*) { Tick(); };
}

TJvClock::~TJvClock() = default;

void TJvClock::SetDateFormat(const std::string& value) {
    FDateFormat = value;
    Invalidate();
}

void TJvClock::SetTwelveHour(bool value) {
    FTwelveHour = value;
    Invalidate();
}

void TJvClock::SetLeadingZero(bool value) {
    FLeadingZero = value;
    Invalidate();
}

void TJvClock::SetShowDate(bool value) {
    FShowDate = value;
    Invalidate();
}

void TJvClock::SetTimeSource(TTimeSource source) {
    FTimeSource = std::move(source);
}

SYSTEMTIME TJvClock::ReadTime() const {
    SYSTEMTIME now{};
    if (FTimeSource)
        now = FTimeSource();
    else
        GetLocalTime(&now);
    return now;
}

void TJvClock::Tick() {
    const SYSTEMTIME now = ReadTime();
    const bool changed = FormatTime(now, FTwelveHour, FLeadingZero) != TimeText() ||
                         FormatDate(now, FDateFormat) != DateText();
    FTime = now;
    if (changed)
        Invalidate();
    DoTick(now);
}

void TJvClock::DoTick(const SYSTEMTIME& time) {
    if (FAlarm.Check(time) && OnAlarm)
        OnAlarm(this);
}

void TJvClock::SetAlarmHour(int value) {
    FAlarm.SetTime(value, FAlarm.Minute(), FAlarm.Second(), ReadTime());
}

void TJvClock::SetAlarmMinute(int value) {
    FAlarm.SetTime(FAlarm.Hour(), value, FAlarm.Second(), ReadTime());
}

void TJvClock::SetAlarmSecond(int value) {
    FAlarm.SetTime(FAlarm.Hour(), FAlarm.Minute(), value, ReadTime());
}

std::string TJvClock::FormatTime(const SYSTEMTIME& time, bool twelveHour, bool leadingZero) {
    int hour = time.wHour;
    if (twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    std::string text = Number(hour, leadingZero ? 2 : 1) + ":" + Number(time.wMinute, 2) + ":" +
                       Number(time.wSecond, 2);
    if (twelveHour)
        text += time.wHour < 12 ? " AM" : " PM";
    return text;
}

std::string TJvClock::FormatDate(const SYSTEMTIME& time, const std::string& format) {
    std::string text;
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        switch (c) {
        case 'd':
        case 'D':
            text += Number(time.wDay, run >= 2 ? 2 : 1);
            break;
        case 'M':
        case 'm':
            text += Number(time.wMonth, run >= 2 ? 2 : 1);
            break;
        case 'y':
        case 'Y':
            text += run >= 3 ? Number(time.wYear, 4) : Number(time.wYear % 100, 2);
            break;
        default:
            text.append(run, c);
            break;
        }
        i += run;
    }
    return text;
}

void TJvClock::Paint(HDC dc, const RECT& clientRect) {
    TPanel::Paint(dc, clientRect);
    RECT r = clientRect;
    AdjustClientRect(r);
    const int height = r.bottom - r.top;
    RECT timeRect = r, dateRect = r;
    if (FShowDate) {
        timeRect.bottom = r.top + height * 3 / 5;
        dateRect.top = timeRect.bottom;
    }
    TFont timeFont = Font();
    timeFont.SetStyle(fsBold);
    timeFont.SetHeight(-std::max<int>(11, (timeRect.bottom - timeRect.top) * 3 / 4));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font().Color()));
    TSelectObject font(dc, timeFont.Handle());
    const std::string timeText = TimeText();
    DrawTextA(dc, timeText.c_str(), -1, &timeRect,
              DT_CENTER | DT_SINGLELINE | (FShowDate ? DT_BOTTOM : DT_VCENTER));
    if (FShowDate) {
        TSelectObject dateFont(dc, Font().Handle());
        const std::string dateText = DateText();
        DrawTextA(dc, dateText.c_str(), -1, &dateRect, DT_CENTER | DT_SINGLELINE | DT_TOP);
    }
}
