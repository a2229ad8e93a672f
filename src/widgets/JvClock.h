#pragma once
// TJvClock: a digital clock showing the time of day over the date. It reads the time every
// 450 ms (a window timer of its own, so the tick runs on the GUI thread, modal loops included,
// whether or not the clock's window has been made yet) through a time source that tests replace.
//
//   TJvClock Clock{&pnlTop};
//   Clock.SetAlign(alLeft); Clock.SetWidth(216); Clock.SetColor(clWindow);
//   Clock.SetBevelOuter(bvNone);
//   Clock.SetDateFormat("d/MM/yyyy"); Clock.SetTwelveHour(true); Clock.SetLeadingZero(false);
//
// Shown texts (for 20:05:09 on 1 March 2024, with the settings above):
//   time "8:05:09 PM"  (hour without leading zero, 12 for midnight and noon, AM before noon)
//   date "1/03/2024"   (d, dd, M, MM, yy, yyyy; other characters are copied as they are)
// With TwelveHour off: "20:05:09"; with LeadingZero: "08:05:09 PM" / "08:05:09".
//
// The daily alarm (see JvClockAlarm.h): OnAlarm fires on the GUI thread once a day, on the first
// tick inside the alarm minute.
//
//   Clock.SetAlarmEnabled(true);       // a plain write
//   Clock.SetAlarmHour(20);            // each time setter recomputes the re-arm flag;
//   Clock.SetAlarmMinute(0);           // EConvertError for an invalid time
//   Clock.OnAlarm = [this](TObject* s) { ClockAlarm(s); };
//
// Work to do on every tick beyond the display belongs in DoTick (which runs the alarm).
#include <functional>
#include <string>

#include "gui/Panel.h"
#include "gui/Timer.h"
#include "widgets/JvClockAlarm.h"

class TJvClock : public TPanel {
public:
    using TTimeSource = std::function<SYSTEMTIME()>;

    explicit TJvClock(TControl* Parent);
    ~TJvClock() override;

    const std::string& DateFormat() const { return FDateFormat; }
    void SetDateFormat(const std::string& Value);
    bool TwelveHour() const { return FTwelveHour; }
    void SetTwelveHour(bool Value);
    bool LeadingZero() const { return FLeadingZero; }
    void SetLeadingZero(bool Value);
    bool ShowDate() const { return FShowDate; }
    void SetShowDate(bool Value);

    // Where the clock reads the local time (GetLocalTime when empty).
    void SetTimeSource(TTimeSource Source);
    // Reads the time, updates the display and runs DoTick; the timer calls it every 450 ms.
    void Tick();
    // The time read by the last tick.
    const SYSTEMTIME& CurrentTime() const { return FTime; }
    std::string TimeText() const { return FormatTime(FTime, FTwelveHour, FLeadingZero); }
    std::string DateText() const { return FormatDate(FTime, FDateFormat); }

    bool AlarmEnabled() const { return FAlarm.Enabled(); }
    void SetAlarmEnabled(bool Value) { FAlarm.SetEnabled(Value); }
    int AlarmHour() const { return FAlarm.Hour(); }
    void SetAlarmHour(int Value);
    int AlarmMinute() const { return FAlarm.Minute(); }
    void SetAlarmMinute(int Value);
    int AlarmSecond() const { return FAlarm.Second(); }
    void SetAlarmSecond(int Value);
    const TJvClockAlarm& Alarm() const { return FAlarm; }
    // At the time read now: the next tick would fire the alarm; milliseconds until the alarm
    // time of day comes next.
    bool AlarmDue() const { return FAlarm.Due(ReadTime()); }
    long long MillisecondsToAlarm() const { return FAlarm.MillisecondsUntil(ReadTime()); }
    TNotifyEvent OnAlarm;

    static std::string FormatTime(const SYSTEMTIME& Time, bool TwelveHour, bool LeadingZero);
    static std::string FormatDate(const SYSTEMTIME& Time, const std::string& Format);

    static constexpr unsigned TickInterval = 450;

protected:
    // Per-tick work after the display is updated (the alarm); time is the time just read.
    virtual void DoTick(const SYSTEMTIME& Time);
    void Paint(HDC DC, const RECT& ClientRect) override;

private:
    SYSTEMTIME ReadTime() const;
    std::string FDateFormat = "d/MM/yyyy";
    bool FTwelveHour = false;
    bool FLeadingZero = true;
    bool FShowDate = true;
    TTimeSource FTimeSource;
    SYSTEMTIME FTime{};
    TJvClockAlarm FAlarm;
    TTimer FTicker;
};
