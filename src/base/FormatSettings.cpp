#include "base/FormatSettings.h"

#include <windows.h>

namespace {

std::string LocaleText(LCTYPE Type, const char* Fallback) {
    char buffer[256];
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, buffer, sizeof buffer);
    if (n <= 1) {
        return Fallback;
    }
    return std::string(buffer, static_cast<size_t>(n - 1));
}

char LocaleChar(LCTYPE Type, char Fallback) {
    const std::string text = LocaleText(Type, "");
    return text.empty() ? Fallback : text[0];
}

} // namespace

TFormatSettings TFormatSettings::FromUserLocale() {
    TFormatSettings f;
    f.DecimalSeparator = LocaleChar(LOCALE_SDECIMAL, '.');
    f.DateSeparator = LocaleChar(LOCALE_SDATE, '/');
    f.TimeSeparator = LocaleChar(LOCALE_STIME, ':');
    f.ShortDateFormat = LocaleText(LOCALE_SSHORTDATE, "M/d/yyyy");
    f.LongTimeFormat = LocaleText(LOCALE_STIMEFORMAT, "h:mm:ss tt");
    f.TimeAMString = LocaleText(LOCALE_S1159, "");
    f.TimePMString = LocaleText(LOCALE_S2359, "");
    f.TwelveHourClock = LocaleText(LOCALE_ITIME, "0") == "0";
    static const char* const shortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const longMonths[12] = {"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    for (int i = 0; i < 12; ++i) {
        f.ShortMonthNames[i] = LocaleText(LOCALE_SABBREVMONTHNAME1 + i, shortMonths[i]);
        f.LongMonthNames[i] = LocaleText(LOCALE_SMONTHNAME1 + i, longMonths[i]);
    }
    static const char* const shortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const longDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    for (int i = 0; i < 7; ++i) {
        // The locale counts from Monday (DAYNAME1) to Sunday (DAYNAME7).
        const int fromMonday = (i + 6) % 7;
        f.ShortDayNames[i] = LocaleText(LOCALE_SABBREVDAYNAME1 + fromMonday, shortDays[i]);
        f.LongDayNames[i] = LocaleText(LOCALE_SDAYNAME1 + fromMonday, longDays[i]);
    }
    return f;
}

const TFormatSettings& FormatSettings() {
    static const TFormatSettings settings = TFormatSettings::FromUserLocale();
    return settings;
}
