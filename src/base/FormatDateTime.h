#pragma once
// Date and time pictures: a pattern of letter codes, each replaced by its part of the date or
// time, the rest copied:
//
//   FormatDateTime("ddd dd, mmmm, yyyy", Now());   // "Tue 05, March, 2024"
//   FormatDateTime("hh:nn:ss AM/PM", Now());       // "01:05:09 PM"
//
// Letters are case-insensitive. d dd (day), ddd dddd (short, long day name); m mm (month, or the
// minutes right after an hour), mmm mmmm (short, long month name); yy yyyy (year); h hh (hour,
// on the 12-hour clock when the picture holds an AM/PM part); n nn (minutes); s ss (seconds);
// z zzz (milliseconds); AM/PM, am/pm, A/P, a/p (the text as written); ampm (the locale's
// strings); "/" the date separator, ":" the time separator; text in single or double quotes is
// copied as it is, and so is any other character.
#include <string>

#include "base/FormatSettings.h"
#include "base/Variant.h"

std::string FormatDateTime(const std::string& Format, TDateTime Value,
                           const TFormatSettings& Fmt = FormatSettings());

// The current local date and time.
TDateTime Now();
