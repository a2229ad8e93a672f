#include "widgets/JvClock.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Number(int Value, int Digits) {
    char text[16];
    std::snprintf(text, sizeof(text), "%0*d", Digits, Value);
    return text;
}
} // namespace

TJvClock::TJvClock(TControl* Parent) : TPanel(Parent, "TJvClock") {
    GetLocalTime(&FTime);
    FTicker.SetInterval(TickInterval);
    FTicker.OnTimer = [this](TObject*) { Tick(); };
}

TJvClock::~TJvClock() = default;

void TJvClock::SetDateFormat(const std::string& Value) {
    FDateFormat = Value;
    Invalidate();
}

void TJvClock::SetTwelveHour(bool Value) {
    FTwelveHour = Value;
    Invalidate();
}

void TJvClock::SetLeadingZero(bool Value) {
    FLeadingZero = Value;
    Invalidate();
}

void TJvClock::SetShowDate(bool Value) {
    FShowDate = Value;
    Invalidate();
}

void TJvClock::SetTimeSource(TTimeSource Source) {
    FTimeSource = std::move(Source);
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

void TJvClock::DoTick(const SYSTEMTIME& Time) {
    if (FAlarm.Check(Time) && OnAlarm)
        OnAlarm(this);
}

void TJvClock::SetAlarmHour(int Value) {
    FAlarm.SetTime(Value, FAlarm.Minute(), FAlarm.Second(), ReadTime());
}

void TJvClock::SetAlarmMinute(int Value) {
    FAlarm.SetTime(FAlarm.Hour(), Value, FAlarm.Second(), ReadTime());
}

void TJvClock::SetAlarmSecond(int Value) {
    FAlarm.SetTime(FAlarm.Hour(), FAlarm.Minute(), Value, ReadTime());
}

std::string TJvClock::FormatTime(const SYSTEMTIME& Time, bool TwelveHour, bool LeadingZero) {
    int hour = Time.wHour;
    if (TwelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    std::string text = Number(hour, LeadingZero ? 2 : 1) + ":" + Number(Time.wMinute, 2) + ":" +
                       Number(Time.wSecond, 2);
    if (TwelveHour)
        text += Time.wHour < 12 ? " AM" : " PM";
    return text;
}

std::string TJvClock::FormatDate(const SYSTEMTIME& Time, const std::string& Format) {
    std::string text;
    size_t i = 0;
    while (i < Format.size()) {
        const char c = Format[i];
        size_t run = 1;
        while (i + run < Format.size() && Format[i + run] == c)
            ++run;
        switch (c) {
        case 'd':
        case 'D':
            text += Number(Time.wDay, run >= 2 ? 2 : 1);
            break;
        case 'M':
        case 'm':
            text += Number(Time.wMonth, run >= 2 ? 2 : 1);
            break;
        case 'y':
        case 'Y':
            text += run >= 3 ? Number(Time.wYear, 4) : Number(Time.wYear % 100, 2);
            break;
        default:
            text.append(run, c);
            break;
        }
        i += run;
    }
    return text;
}

void TJvClock::Paint(HDC DC, const RECT& ClientRect) {
    TPanel::Paint(DC, ClientRect);
    RECT r = ClientRect;
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
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(Font().Color()));
    TSelectObject font(DC, timeFont.Handle());
    const std::string timeText = TimeText();
    DrawTextA(DC, timeText.c_str(), -1, &timeRect,
              DT_CENTER | DT_SINGLELINE | (FShowDate ? DT_BOTTOM : DT_VCENTER));
    if (FShowDate) {
        TSelectObject dateFont(DC, Font().Handle());
        const std::string dateText = DateText();
        DrawTextA(DC, dateText.c_str(), -1, &dateRect, DT_CENTER | DT_SINGLELINE | DT_TOP);
    }
}
