#pragma once
// The regional formats of numbers, dates and times, taken from the Windows user locale.
#include <string>

struct TFormatSettings {
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    // Windows pictures: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, g gg; h hh H HH m mm s ss t tt;
    // text in single quotes is literal.
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongTimeFormat = "h:mm:ss tt";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    bool TwelveHourClock = true; // as the user set it; the time picture decides the text
    std::string ShortMonthNames[12];
    std::string LongMonthNames[12];
    std::string ShortDayNames[7]; // Sunday first
    std::string LongDayNames[7];

    // Read from the user locale (GetLocaleInfoA with LOCALE_USER_DEFAULT).
    static TFormatSettings FromUserLocale();
};

// The process's formats, read from the user locale on first use.
const TFormatSettings& FormatSettings();
