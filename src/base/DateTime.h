#pragma once
// Calendar arithmetic on TDateTime: days since 30 December 1899, the fraction the time of day.
// A negative value counts days before that date, its fraction still being the time of day.
#include <cstdint>

#include "base/Variant.h"

// False when the parts are out of range (years 1 to 9999).
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result);
// The date and time parts; the time is rounded to the millisecond. False outside years 1 to 9999.
bool TryDecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Min,
                       int& Sec, int& MSec);
// 0 Sunday to 6 Saturday.
int DayOfWeek0(TDateTime Value);
bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);
