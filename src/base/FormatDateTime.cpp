#include "base/FormatDateTime.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/DateTime.h"

namespace {

std::string Digits(int Value, int Width) {
    char text[16];
    snprintf(text, sizeof text, "%0*d", Width, Value);
    return text;
}

bool StartsWithNoCase(const std::string& Text, size_t At, const char* Word) {
    const size_t n = strlen(Word);
    if (Text.size() - At < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(Text[At + i])) !=
            std::tolower(static_cast<unsigned char>(Word[i])))
            return false;
    return true;
}

// The AM/PM part, if the picture holds one outside quotes.
bool HasAmPm(const std::string& Format) {
    char quote = 0;
    for (size_t i = 0; i < Format.size(); ++i) {
        const char c = Format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (StartsWithNoCase(Format, i, "am/pm") || StartsWithNoCase(Format, i, "a/p") ||
                   StartsWithNoCase(Format, i, "ampm")) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string FormatDateTime(const std::string& Format, TDateTime Value, const TFormatSettings& Fmt) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    if (!TryDecodeDateTime(Value, year, month, day, hour, minute, second, msec))
        return std::string();
    const int weekDay = DayOfWeek0(Value);
    const bool twelveHour = HasAmPm(Format);
    const bool pm = hour >= 12;

    std::string out;
    bool afterHour = false; // an "m" right after an hour means minutes
    size_t i = 0;
    while (i < Format.size()) {
        const char c = Format[i];
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        size_t run = 1;
        while (i + run < Format.size() &&
               std::tolower(static_cast<unsigned char>(Format[i + run])) == lower)
            ++run;
        if (c == '\'' || c == '"') {
            const size_t end = Format.find(c, i + 1);
            const size_t stop = end == std::string::npos ? Format.size() : end;
            out.append(Format, i + 1, stop - i - 1);
            i = end == std::string::npos ? Format.size() : end + 1;
            continue;
        }
        if (StartsWithNoCase(Format, i, "am/pm")) {
            const bool upper = Format[i] == 'A';
            out += pm ? (upper ? "PM" : "pm") : (upper ? "AM" : "am");
            i += 5;
            continue;
        }
        if (StartsWithNoCase(Format, i, "a/p")) {
            const bool upper = Format[i] == 'A';
            out += pm ? (upper ? "P" : "p") : (upper ? "A" : "a");
            i += 3;
            continue;
        }
        if (StartsWithNoCase(Format, i, "ampm")) {
            out += pm ? Fmt.TimePMString : Fmt.TimeAMString;
            i += 4;
            continue;
        }
        switch (lower) {
        case 'd':
            if (run == 1)
                out += std::to_string(day);
            else if (run == 2)
                out += Digits(day, 2);
            else if (run == 3)
                out += Fmt.ShortDayNames[weekDay];
            else
                out += Fmt.LongDayNames[weekDay];
            afterHour = false;
            break;
        case 'm':
            if (afterHour && run <= 2) {
                out += run == 1 ? std::to_string(minute) : Digits(minute, 2);
            } else if (run == 1) {
                out += std::to_string(month);
            } else if (run == 2) {
                out += Digits(month, 2);
            } else if (run == 3) {
                out += Fmt.ShortMonthNames[month - 1];
            } else {
                out += Fmt.LongMonthNames[month - 1];
            }
            afterHour = false;
            break;
        case 'y':
            out += run <= 2 ? Digits(year % 100, 2) : Digits(year, 4);
            afterHour = false;
            break;
        case 'h': {
            int h = hour;
            if (twelveHour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += run == 1 ? std::to_string(h) : Digits(h, 2);
            afterHour = true;
            break;
        }
        case 'n':
            out += run == 1 ? std::to_string(minute) : Digits(minute, 2);
            afterHour = false;
            break;
        case 's':
            out += run == 1 ? std::to_string(second) : Digits(second, 2);
            afterHour = false;
            break;
        case 'z':
            out += run < 3 ? std::to_string(msec) : Digits(msec, 3);
            afterHour = false;
            break;
        case '/':
            out.append(run, Fmt.DateSeparator);
            break;
        case ':':
            out.append(run, Fmt.TimeSeparator);
            break;
        default:
            out.append(Format, i, run);
            break;
        }
        i += run;
    }
    return out;
}

TDateTime Now() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    TDateTime date = 0, time = 0;
    TryEncodeDate(t.wYear, t.wMonth, t.wDay, date);
    TryEncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, time);
    return date + time;
}
