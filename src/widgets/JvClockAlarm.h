#pragma once
// The clock's daily alarm, apart from any window: fed the time of each tick, it tells when the
// alarm is due.
//
//   TJvClockAlarm alarm;
//   alarm.SetTime(20, 0, 0, now);      // "'24:0:0' is not a valid time" for an invalid time
//   alarm.SetEnabled(true);            // a plain write: the re-arm flag stays as it is
//   if (alarm.Check(now)) ...          // once per tick; true on the first tick inside 20:00
//
// The re-arm flag: outside the alarm minute (or while disabled) every tick sets it when the time
// of day is before the alarm time, or when the alarm time is 00:00:00, and clears it otherwise.
// Inside the minute a set flag is cleared and the alarm is due. Setting the time recomputes the
// flag at once. So the alarm comes once a day, never for a minute already begun or past when it
// was armed (except at 00:00), and a minute without a tick is missed until the next day.
#include <windows.h>

class TJvClockAlarm {
public:
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    int Hour() const { return FHour; }
    int Minute() const { return FMinute; }
    int Second() const { return FSecond; }
    // Hour 0..23, minute and second 0..59, else EConvertError "'%s' is not a valid time" with
    // the three numbers joined by the locale's time separator; a refused time changes nothing.
    // now: the current time of day, for the re-arm flag.
    void SetTime(int Hour, int Minute, int Second, const SYSTEMTIME& Now);
    bool Rearmed() const { return FRearmed; }

    // One tick at time now: true when the alarm is due.
    bool Check(const SYSTEMTIME& Now);
    // True when a tick at time now would find the alarm due; changes nothing.
    bool Due(const SYSTEMTIME& Now) const;
    // Milliseconds from now until the alarm time of day comes next (a whole day when it is now).
    long long MillisecondsUntil(const SYSTEMTIME& Now) const;

private:
    void Recompute(const SYSTEMTIME& Now);
    bool InMinute(const SYSTEMTIME& Now) const;
    long long MillisecondOfAlarm() const;
    bool FEnabled = false;
    int FHour = 0;
    int FMinute = 0;
    int FSecond = 0;
    bool FRearmed = false;
};
