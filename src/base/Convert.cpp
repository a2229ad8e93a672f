#include "base/Convert.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <vector>

#include "base/DateTime.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameTextAt(const std::string& text, size_t pos, const std::string& word) {
    if (word.empty() || text.size() - pos < word.size()) {
        return false;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        if (UpperAscii(text[pos + i]) != UpperAscii(word[i])) {
            return false;
        }
    }
    return true;
}

int HexValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    const char u = UpperAscii(c);
    return u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
}

std::string Padded(int value, int width) {
    std::string s = std::to_string(value);
    while (static_cast<int>(s.size()) < width) {
        s.insert(s.begin(), '0');
    }
    return s;
}

// One element of a Windows date or time picture: a run of one field letter, or literal text.
struct TToken {
    char Letter = 0; // 0 for literal text
    int Count = 0;
    std::string Literal;
};

bool IsFieldLetter(char c) {
    return c == 'd' || c == 'M' || c == 'y' || c == 'g' || c == 'h' || c == 'H' || c == 'm' ||
           c == 's' || c == 't';
}

std::vector<TToken> Tokenize(const std::string& picture) {
    std::vector<TToken> tokens;
    auto literal = [&](char c) {
        if (tokens.empty() || tokens.back().Letter != 0) {
            tokens.push_back({});
        }
        tokens.back().Literal += c;
    };
    for (size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            // Quoted text; two quotes stand for one.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        literal('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal(picture[i++]);
            }
        } else if (IsFieldLetter(c)) {
            size_t j = i;
            while (j < picture.size() && picture[j] == c) {
                ++j;
            }
            tokens.push_back({c, static_cast<int>(j - i), {}});
            i = j;
        } else {
            literal(c);
            ++i;
        }
    }
    return tokens;
}

struct TParts {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0, MSec = 0;
};

bool Decode(TDateTime value, TParts& p) {
    return TryDecodeDateTime(value, p.Year, p.Month, p.Day, p.Hour, p.Min, p.Sec, p.MSec);
}

std::string FormatPicture(const std::string& picture, const TParts& p, int dayOfWeek,
                          const TFormatSettings& fmt) {
    std::string out;
    for (const TToken& t : Tokenize(picture)) {
        switch (t.Letter) {
        case 0:
            out += t.Literal;
            break;
        case 'd':
            if (t.Count >= 4) {
                out += fmt.LongDayNames[dayOfWeek];
            } else if (t.Count == 3) {
                out += fmt.ShortDayNames[dayOfWeek];
            } else {
                out += Padded(p.Day, t.Count);
            }
            break;
        case 'M':
            if (t.Count >= 4) {
                out += fmt.LongMonthNames[p.Month - 1];
            } else if (t.Count == 3) {
                out += fmt.ShortMonthNames[p.Month - 1];
            } else {
                out += Padded(p.Month, t.Count);
            }
            break;
        case 'y':
            out += t.Count >= 3 ? Padded(p.Year, 4) : Padded(p.Year % 100, t.Count);
            break;
        case 'h': {
            const int h12 = p.Hour % 12 == 0 ? 12 : p.Hour % 12;
            out += Padded(h12, t.Count >= 2 ? 2 : 1);
            break;
        }
        case 'H':
            out += Padded(p.Hour, t.Count >= 2 ? 2 : 1);
            break;
        case 'm':
            out += Padded(p.Min, t.Count >= 2 ? 2 : 1);
            break;
        case 's':
            out += Padded(p.Sec, t.Count >= 2 ? 2 : 1);
            break;
        case 't': {
            const std::string& designator = p.Hour < 12 ? fmt.TimeAMString : fmt.TimePMString;
            out += t.Count >= 2 ? designator : designator.substr(0, 1);
            break;
        }
        default: // era: not written
            break;
        }
    }
    return out;
}

void SkipBlanks(const std::string& text, size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
}

bool ReadNumber(const std::string& text, size_t& pos, int maxDigits, int& value, int& digits) {
    SkipBlanks(text, pos);
    value = 0;
    digits = 0;
    while (pos < text.size() && IsDigit(text[pos]) && digits < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

// Index of the longest of the names found at pos, or -1; pos moves past it.
int ReadName(const std::string& text, size_t& pos, const std::string* names, int count) {
    SkipBlanks(text, pos);
    int best = -1;
    size_t bestLength = 0;
    for (int i = 0; i < count; ++i) {
        if (names[i].size() > bestLength && SameTextAt(text, pos, names[i])) {
            best = i;
            bestLength = names[i].size();
        }
    }
    pos += bestLength;
    return best;
}

bool MatchLiteral(const std::string& text, size_t& pos, const std::string& literal) {
    for (char c : literal) {
        if (IsBlank(c)) {
            SkipBlanks(text, pos);
            continue;
        }
        SkipBlanks(text, pos);
        if (pos >= text.size() || UpperAscii(text[pos]) != UpperAscii(c)) {
            return false;
        }
        ++pos;
    }
    return true;
}

int WindowedYear(int year) {
    // Two-digit years fall within 50 years either side of the current year.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    const int base = local.tm_year + 1900 - 50;
    year += base / 100 * 100;
    if (year < base) {
        year += 100;
    }
    return year;
}

bool ParseDate(const std::string& text, size_t& pos, const TFormatSettings& fmt,
               TDateTime& result) {
    int year = -1, month = -1, day = -1;
    int value = 0, digits = 0;
    for (const TToken& t : Tokenize(fmt.ShortDateFormat)) {
        switch (t.Letter) {
        case 0:
            if (!MatchLiteral(text, pos, t.Literal)) {
                return false;
            }
            break;
        case 'd':
            if (t.Count >= 3) {
                if (ReadName(text, pos, fmt.LongDayNames, 7) < 0 &&
                    ReadName(text, pos, fmt.ShortDayNames, 7) < 0) {
                    return false;
                }
            } else {
                if (!ReadNumber(text, pos, 2, value, digits)) {
                    return false;
                }
                day = value;
            }
            break;
        case 'M':
            if (t.Count >= 3) {
                int i = ReadName(text, pos, fmt.LongMonthNames, 12);
                if (i < 0) {
                    i = ReadName(text, pos, fmt.ShortMonthNames, 12);
                }
                if (i < 0) {
                    return false;
                }
                month = i + 1;
            } else {
                if (!ReadNumber(text, pos, 2, value, digits)) {
                    return false;
                }
                month = value;
            }
            break;
        case 'y':
            if (!ReadNumber(text, pos, t.Count >= 3 ? 4 : 2, value, digits)) {
                return false;
            }
            year = digits <= 2 ? WindowedYear(value) : value;
            break;
        default: // era
            break;
        }
    }
    return year >= 0 && month >= 0 && day >= 0 && TryEncodeDate(year, month, day, result);
}

bool ParseTime(const std::string& text, size_t& pos, const TFormatSettings& fmt,
               TDateTime& result) {
    int hour = -1, min = 0, sec = 0;
    bool twelveHour = false;
    int designator = -1; // 0 AM, 1 PM
    int value = 0, digits = 0;
    for (const TToken& t : Tokenize(fmt.LongTimeFormat)) {
        switch (t.Letter) {
        case 0:
            if (!MatchLiteral(text, pos, t.Literal)) {
                return false;
            }
            break;
        case 'h':
        case 'H':
            if (!ReadNumber(text, pos, 2, value, digits)) {
                return false;
            }
            hour = value;
            twelveHour = t.Letter == 'h';
            break;
        case 'm':
            if (!ReadNumber(text, pos, 2, value, digits)) {
                return false;
            }
            min = value;
            break;
        case 's':
            if (!ReadNumber(text, pos, 2, value, digits)) {
                return false;
            }
            sec = value;
            break;
        case 't': {
            SkipBlanks(text, pos);
            const std::string& am = fmt.TimeAMString;
            const std::string& pm = fmt.TimePMString;
            if (am.empty() && pm.empty()) {
                break;
            }
            const std::string amWord = t.Count >= 2 ? am : am.substr(0, 1);
            const std::string pmWord = t.Count >= 2 ? pm : pm.substr(0, 1);
            if (SameTextAt(text, pos, amWord)) {
                designator = 0;
                pos += amWord.size();
            } else if (SameTextAt(text, pos, pmWord)) {
                designator = 1;
                pos += pmWord.size();
            } else {
                return false;
            }
            break;
        }
        default:
            break;
        }
    }
    if (hour < 0) {
        return false;
    }
    if (twelveHour && designator >= 0) {
        if (hour < 1 || hour > 12) {
            return false;
        }
        hour = hour % 12 + (designator == 1 ? 12 : 0);
    }
    return TryEncodeTime(hour, min, sec, 0, result);
}

bool AtEnd(const std::string& text, size_t pos) {
    SkipBlanks(text, pos);
    return pos == text.size();
}

} // namespace

bool TryStrToInt(const std::string& Text, int32_t& Result) {
    size_t pos = 0;
    while (pos < Text.size() && Text[pos] == ' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < Text.size() && (Text[pos] == '+' || Text[pos] == '-')) {
        negative = Text[pos] == '-';
        ++pos;
    }
    bool hex = false;
    if (pos < Text.size() && Text[pos] == '$') {
        hex = true;
        ++pos;
    } else if (pos + 1 < Text.size() && Text[pos] == '0' && UpperAscii(Text[pos + 1]) == 'X') {
        hex = true;
        pos += 2;
    } else if (pos < Text.size() && UpperAscii(Text[pos]) == 'X') {
        hex = true;
        ++pos;
    }
    if (pos == Text.size()) {
        return false;
    }
    if (hex) {
        uint32_t pattern = 0;
        int significant = 0;
        for (; pos < Text.size(); ++pos) {
            const int v = HexValue(Text[pos]);
            if (v < 0) {
                return false;
            }
            if (significant > 0 || v != 0) {
                // More than eight significant digits do not fit the 32-bit pattern.
                if (++significant > 8) {
                    return false;
                }
            }
            pattern = pattern << 4 | static_cast<uint32_t>(v);
        }
        if (negative) {
            pattern = 0u - pattern;
        }
        Result = static_cast<int32_t>(pattern);
        return true;
    }
    int64_t magnitude = 0;
    for (; pos < Text.size(); ++pos) {
        if (!IsDigit(Text[pos])) {
            return false;
        }
        magnitude = magnitude * 10 + (Text[pos] - '0');
        if (magnitude > 2147483648LL) {
            return false;
        }
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) {
        return false;
    }
    Result = static_cast<int32_t>(value);
    return true;
}

std::string IntToStr(int64_t Value) {
    return std::to_string(Value);
}

std::string FloatToStr(double Value, const TFormatSettings& Fmt) {
    if (std::isnan(Value)) {
        return "NAN";
    }
    if (std::isinf(Value)) {
        return Value > 0 ? "INF" : "-INF";
    }
    if (Value == 0.0) {
        return "0";
    }
    // Fifteen significant digits: d.dddddddddddddde[+-]x
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::scientific, 14);
    const std::string sci(buffer, r.ptr);
    const size_t e = sci.find('e');
    const bool negative = sci[0] == '-';
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < e; ++i) {
        if (IsDigit(sci[i])) {
            digits += sci[i];
        }
    }
    int exponent = std::stoi(sci.substr(e + 1));
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string out = negative ? "-" : "";
    const int count = static_cast<int>(digits.size());
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (count > 1) {
            out += Fmt.DecimalSeparator;
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent >= 0) {
        if (count <= exponent + 1) {
            out += digits + std::string(static_cast<size_t>(exponent + 1 - count), '0');
        } else {
            out += digits.substr(0, static_cast<size_t>(exponent + 1));
            out += Fmt.DecimalSeparator;
            out += digits.substr(static_cast<size_t>(exponent + 1));
        }
    } else {
        out += '0';
        out += Fmt.DecimalSeparator;
        out += std::string(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    }
    return out;
}

bool TryStrToFloat(const std::string& Text, double& Result, const TFormatSettings& Fmt) {
    size_t pos = 0;
    SkipBlanks(Text, pos);
    std::string plain; // the number with '.' as decimal point
    if (pos < Text.size() && (Text[pos] == '+' || Text[pos] == '-')) {
        if (Text[pos] == '-') {
            plain += '-';
        }
        ++pos;
    }
    int mantissaDigits = 0;
    while (pos < Text.size() && IsDigit(Text[pos])) {
        plain += Text[pos++];
        ++mantissaDigits;
    }
    if (pos < Text.size() && Text[pos] == Fmt.DecimalSeparator) {
        plain += '.';
        ++pos;
        while (pos < Text.size() && IsDigit(Text[pos])) {
            plain += Text[pos++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (pos < Text.size() && UpperAscii(Text[pos]) == 'E') {
        plain += 'e';
        ++pos;
        if (pos < Text.size() && (Text[pos] == '+' || Text[pos] == '-')) {
            plain += Text[pos++];
        }
        int exponentDigits = 0;
        while (pos < Text.size() && IsDigit(Text[pos])) {
            plain += Text[pos++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    if (!AtEnd(Text, pos)) {
        return false;
    }
    double value = 0.0;
    const char* first = plain.data();
    if (plain[0] == '-') {
        ++first;
    }
    const auto r = std::from_chars(first, plain.data() + plain.size(), value);
    if (r.ec == std::errc::invalid_argument || r.ptr != plain.data() + plain.size()) {
        return false;
    }
    if (r.ec == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large does not convert.
        if (std::fabs(std::strtod(first, nullptr)) > 1.0) {
            return false;
        }
        value = 0.0;
    }
    if (!std::isfinite(value)) {
        return false;
    }
    Result = plain[0] == '-' ? -value : value;
    return true;
}

std::string DateToStr(TDateTime Value, const TFormatSettings& Fmt) {
    TParts p;
    if (!Decode(Value, p)) {
        return FloatToStr(Value, Fmt);
    }
    return FormatPicture(Fmt.ShortDateFormat, p, DayOfWeek0(Value), Fmt);
}

std::string TimeToStr(TDateTime Value, const TFormatSettings& Fmt) {
    TParts p;
    if (!Decode(Value, p)) {
        return FloatToStr(Value, Fmt);
    }
    return FormatPicture(Fmt.LongTimeFormat, p, DayOfWeek0(Value), Fmt);
}

std::string DateTimeToStr(TDateTime Value, const TFormatSettings& Fmt) {
    TParts p;
    if (!Decode(Value, p)) {
        return FloatToStr(Value, Fmt);
    }
    std::string text = FormatPicture(Fmt.ShortDateFormat, p, DayOfWeek0(Value), Fmt);
    if (p.Hour != 0 || p.Min != 0 || p.Sec != 0) {
        text += ' ';
        text += FormatPicture(Fmt.LongTimeFormat, p, DayOfWeek0(Value), Fmt);
    }
    return text;
}

bool TryStrToDate(const std::string& Text, TDateTime& Result, const TFormatSettings& Fmt) {
    size_t pos = 0;
    TDateTime date = 0;
    if (!ParseDate(Text, pos, Fmt, date) || !AtEnd(Text, pos)) {
        return false;
    }
    Result = date;
    return true;
}

bool TryStrToTime(const std::string& Text, TDateTime& Result, const TFormatSettings& Fmt) {
    size_t pos = 0;
    TDateTime time = 0;
    if (!ParseTime(Text, pos, Fmt, time) || !AtEnd(Text, pos)) {
        return false;
    }
    Result = time;
    return true;
}

bool TryStrToDateTime(const std::string& Text, TDateTime& Result, const TFormatSettings& Fmt) {
    size_t pos = 0;
    TDateTime date = 0;
    if (!ParseDate(Text, pos, Fmt, date)) {
        return false;
    }
    TDateTime time = 0;
    if (!AtEnd(Text, pos) && (!ParseTime(Text, pos, Fmt, time) || !AtEnd(Text, pos))) {
        return false;
    }
    // Before 30 December 1899 the fraction still counts forward into the day.
    Result = date >= 0 ? date + time : date - time;
    return true;
}
