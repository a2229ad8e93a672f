#include "base/Convert.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <vector>

#include "base/DateTime.h"

namespace {

bool IsBlank(char C) {
    return C == ' ' || C == '\t';
}
bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

char UpperAscii(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

bool SameTextAt(const std::string& Text, size_t Pos, const std::string& Word) {
    if (Word.empty() || Text.size() - Pos < Word.size()) {
        return false;
    }
    for (size_t i = 0; i < Word.size(); ++i) {
        if (UpperAscii(Text[Pos + i]) != UpperAscii(Word[i])) {
            return false;
        }
    }
    return true;
}

int HexValue(char C) {
    if (IsDigit(C)) {
        return C - '0';
    }
    const char u = UpperAscii(C);
    return u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
}

std::string Padded(int Value, int Width) {
    std::string s = std::to_string(Value);
    while (static_cast<int>(s.size()) < Width) {
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

bool IsFieldLetter(char C) {
    return C == 'd' || C == 'M' || C == 'y' || C == 'g' || C == 'h' || C == 'H' || C == 'm' ||
           C == 's' || C == 't';
}

std::vector<TToken> Tokenize(const std::string& Picture) {
    std::vector<TToken> tokens;
    auto literal = [&](char C) {
        if (tokens.empty() || tokens.back().Letter != 0) {
            tokens.push_back({});
        }
        tokens.back().Literal += C;
    };
    for (size_t i = 0; i < Picture.size();) {
        const char c = Picture[i];
        if (c == '\'') {
            // Quoted text; two quotes stand for one.
            ++i;
            while (i < Picture.size()) {
                if (Picture[i] == '\'') {
                    if (i + 1 < Picture.size() && Picture[i + 1] == '\'') {
                        literal('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal(Picture[i++]);
            }
        } else if (IsFieldLetter(c)) {
            size_t j = i;
            while (j < Picture.size() && Picture[j] == c) {
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

bool Decode(TDateTime Value, TParts& P) {
    return TryDecodeDateTime(Value, P.Year, P.Month, P.Day, P.Hour, P.Min, P.Sec, P.MSec);
}

std::string FormatPicture(const std::string& Picture, const TParts& P, int DayOfWeek,
                          const TFormatSettings& Fmt) {
    std::string out;
    for (const TToken& t : Tokenize(Picture)) {
        switch (t.Letter) {
        case 0:
            out += t.Literal;
            break;
        case 'd':
            if (t.Count >= 4) {
                out += Fmt.LongDayNames[DayOfWeek];
            } else if (t.Count == 3) {
                out += Fmt.ShortDayNames[DayOfWeek];
            } else {
                out += Padded(P.Day, t.Count);
            }
            break;
        case 'M':
            if (t.Count >= 4) {
                out += Fmt.LongMonthNames[P.Month - 1];
            } else if (t.Count == 3) {
                out += Fmt.ShortMonthNames[P.Month - 1];
            } else {
                out += Padded(P.Month, t.Count);
            }
            break;
        case 'y':
            out += t.Count >= 3 ? Padded(P.Year, 4) : Padded(P.Year % 100, t.Count);
            break;
        case 'h': {
            const int h12 = P.Hour % 12 == 0 ? 12 : P.Hour % 12;
            out += Padded(h12, t.Count >= 2 ? 2 : 1);
            break;
        }
        case 'H':
            out += Padded(P.Hour, t.Count >= 2 ? 2 : 1);
            break;
        case 'm':
            out += Padded(P.Min, t.Count >= 2 ? 2 : 1);
            break;
        case 's':
            out += Padded(P.Sec, t.Count >= 2 ? 2 : 1);
            break;
        case 't': {
            const std::string& designator = P.Hour < 12 ? Fmt.TimeAMString : Fmt.TimePMString;
            out += t.Count >= 2 ? designator : designator.substr(0, 1);
            break;
        }
        default: // era: not written
            break;
        }
    }
    return out;
}

void SkipBlanks(const std::string& Text, size_t& Pos) {
    while (Pos < Text.size() && IsBlank(Text[Pos])) {
        ++Pos;
    }
}

bool ReadNumber(const std::string& Text, size_t& Pos, int MaxDigits, int& Value, int& Digits) {
    SkipBlanks(Text, Pos);
    Value = 0;
    Digits = 0;
    while (Pos < Text.size() && IsDigit(Text[Pos]) && Digits < MaxDigits) {
        Value = Value * 10 + (Text[Pos] - '0');
        ++Pos;
        ++Digits;
    }
    return Digits > 0;
}

// Index of the longest of the names found at pos, or -1; pos moves past it.
int ReadName(const std::string& Text, size_t& Pos, const std::string* Names, int Count) {
    SkipBlanks(Text, Pos);
    int best = -1;
    size_t bestLength = 0;
    for (int i = 0; i < Count; ++i) {
        if (Names[i].size() > bestLength && SameTextAt(Text, Pos, Names[i])) {
            best = i;
            bestLength = Names[i].size();
        }
    }
    Pos += bestLength;
    return best;
}

bool MatchLiteral(const std::string& Text, size_t& Pos, const std::string& Literal) {
    for (char c : Literal) {
        if (IsBlank(c)) {
            SkipBlanks(Text, Pos);
            continue;
        }
        SkipBlanks(Text, Pos);
        if (Pos >= Text.size() || UpperAscii(Text[Pos]) != UpperAscii(c)) {
            return false;
        }
        ++Pos;
    }
    return true;
}

int WindowedYear(int Year) {
    // Two-digit years fall within 50 years either side of the current year.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    const int base = local.tm_year + 1900 - 50;
    Year += base / 100 * 100;
    if (Year < base) {
        Year += 100;
    }
    return Year;
}

bool ParseDate(const std::string& Text, size_t& Pos, const TFormatSettings& Fmt,
               TDateTime& Result) {
    int year = -1, month = -1, day = -1;
    int value = 0, digits = 0;
    for (const TToken& t : Tokenize(Fmt.ShortDateFormat)) {
        switch (t.Letter) {
        case 0:
            if (!MatchLiteral(Text, Pos, t.Literal)) {
                return false;
            }
            break;
        case 'd':
            if (t.Count >= 3) {
                if (ReadName(Text, Pos, Fmt.LongDayNames, 7) < 0 &&
                    ReadName(Text, Pos, Fmt.ShortDayNames, 7) < 0) {
                    return false;
                }
            } else {
                if (!ReadNumber(Text, Pos, 2, value, digits)) {
                    return false;
                }
                day = value;
            }
            break;
        case 'M':
            if (t.Count >= 3) {
                int i = ReadName(Text, Pos, Fmt.LongMonthNames, 12);
                if (i < 0) {
                    i = ReadName(Text, Pos, Fmt.ShortMonthNames, 12);
                }
                if (i < 0) {
                    return false;
                }
                month = i + 1;
            } else {
                if (!ReadNumber(Text, Pos, 2, value, digits)) {
                    return false;
                }
                month = value;
            }
            break;
        case 'y':
            if (!ReadNumber(Text, Pos, t.Count >= 3 ? 4 : 2, value, digits)) {
                return false;
            }
            year = digits <= 2 ? WindowedYear(value) : value;
            break;
        default: // era
            break;
        }
    }
    return year >= 0 && month >= 0 && day >= 0 && TryEncodeDate(year, month, day, Result);
}

bool ParseTime(const std::string& Text, size_t& Pos, const TFormatSettings& Fmt,
               TDateTime& Result) {
    int hour = -1, min = 0, sec = 0;
    bool twelveHour = false;
    int designator = -1; // 0 AM, 1 PM
    int value = 0, digits = 0;
    for (const TToken& t : Tokenize(Fmt.LongTimeFormat)) {
        switch (t.Letter) {
        case 0:
            if (!MatchLiteral(Text, Pos, t.Literal)) {
                return false;
            }
            break;
        case 'h':
        case 'H':
            if (!ReadNumber(Text, Pos, 2, value, digits)) {
                return false;
            }
            hour = value;
            twelveHour = t.Letter == 'h';
            break;
        case 'm':
            if (!ReadNumber(Text, Pos, 2, value, digits)) {
                return false;
            }
            min = value;
            break;
        case 's':
            if (!ReadNumber(Text, Pos, 2, value, digits)) {
                return false;
            }
            sec = value;
            break;
        case 't': {
            SkipBlanks(Text, Pos);
            const std::string& am = Fmt.TimeAMString;
            const std::string& pm = Fmt.TimePMString;
            if (am.empty() && pm.empty()) {
                break;
            }
            const std::string amWord = t.Count >= 2 ? am : am.substr(0, 1);
            const std::string pmWord = t.Count >= 2 ? pm : pm.substr(0, 1);
            if (SameTextAt(Text, Pos, amWord)) {
                designator = 0;
                Pos += amWord.size();
            } else if (SameTextAt(Text, Pos, pmWord)) {
                designator = 1;
                Pos += pmWord.size();
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
    return TryEncodeTime(hour, min, sec, 0, Result);
}

bool AtEnd(const std::string& Text, size_t Pos) {
    SkipBlanks(Text, Pos);
    return Pos == Text.size();
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
