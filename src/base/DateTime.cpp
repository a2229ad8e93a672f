#include "base/DateTime.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// Days from 1 January 1970 back to 30 December 1899.
constexpr int64_t EpochOffset = 25569;

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t Y, int M, int D) {
    Y -= M <= 2;
    const int64_t era = (Y >= 0 ? Y : Y - 399) / 400;
    const int64_t yoe = Y - era * 400;
    const int64_t doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t Z, int& Year, int& Month, int& Day) {
    Z += 719468;
    const int64_t era = (Z >= 0 ? Z : Z - 146096) / 146097;
    const int64_t doe = Z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    Year = static_cast<int>(yoe + era * 400 + (Month <= 2));
}

// Whole days and milliseconds of the day; the time is rounded to the millisecond.
bool Split(TDateTime Value, int64_t& Days, int64_t& Msec) {
    if (!std::isfinite(Value) || std::fabs(Value) > 3.0e6) {
        return false;
    }
    const int64_t total = std::llround(Value * static_cast<double>(MSecsPerDay));
    Days = total / MSecsPerDay;
    Msec = std::llabs(total) % MSecsPerDay;
    return true;
}

} // namespace

bool IsLeapYear(int Year) {
    return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

int DaysInMonth(int Year, int Month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12) {
        return 0;
    }
    return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 ||
        Day > DaysInMonth(Year, Month)) {
        return false;
    }
    Result = static_cast<double>(DaysFromCivil(Year, Month, Day) + EpochOffset);
    return true;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result) {
    if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 ||
        MSec > 999) {
        return false;
    }
    Result = static_cast<double>(((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec) /
             static_cast<double>(MSecsPerDay);
    return true;
}

bool TryDecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Min,
                       int& Sec, int& MSec) {
    int64_t days = 0;
    int64_t msec = 0;
    if (!Split(Value, days, msec)) {
        return false;
    }
    CivilFromDays(days - EpochOffset, Year, Month, Day);
    if (Year < 1 || Year > 9999) {
        return false;
    }
    MSec = static_cast<int>(msec % 1000);
    Sec = static_cast<int>(msec / 1000 % 60);
    Min = static_cast<int>(msec / 60000 % 60);
    Hour = static_cast<int>(msec / 3600000);
    return true;
}

int DayOfWeek0(TDateTime Value) {
    int64_t days = 0;
    int64_t msec = 0;
    if (!Split(Value, days, msec)) {
        return 0;
    }
    // 30 December 1899 was a Saturday.
    return static_cast<int>(((days + 6) % 7 + 7) % 7);
}
