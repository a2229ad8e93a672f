#pragma once
// Text forms of numbers, dates and times, in the regional formats unless others are given.
#include <cstdint>
#include <string>

#include "base/FormatSettings.h"
#include "base/Variant.h"

// Optional leading blanks, an optional sign, then decimal digits, or hexadecimal digits after
// "$", "0x", "0X", "x" or "X" (at most eight significant, taken as a 32-bit pattern). Anything
// else, or a decimal number outside the signed 32-bit range, fails.
bool TryStrToInt(const std::string& Text, int32_t& Result);
std::string IntToStr(int64_t Value);

// General form, at most 15 significant digits, the regional decimal separator, no thousands
// separators, an exponent ("1E20", "1.5E-6") for very large and very small numbers.
std::string FloatToStr(double Value, const TFormatSettings& Fmt = FormatSettings());
// Optional blanks, sign, digits with the decimal separator, optional exponent. Fails on
// anything else, and on infinities and numbers out of range.
bool TryStrToFloat(const std::string& Text, double& Result,
                   const TFormatSettings& Fmt = FormatSettings());

// The date alone in the short date format.
std::string DateToStr(TDateTime Value, const TFormatSettings& Fmt = FormatSettings());
// The time alone, to the second, in the long time format.
std::string TimeToStr(TDateTime Value, const TFormatSettings& Fmt = FormatSettings());
// Date, a blank and the time; the time is left off at 00:00:00.
std::string DateTimeToStr(TDateTime Value, const TFormatSettings& Fmt = FormatSettings());
bool TryStrToDate(const std::string& Text, TDateTime& Result,
                  const TFormatSettings& Fmt = FormatSettings());
bool TryStrToTime(const std::string& Text, TDateTime& Result,
                  const TFormatSettings& Fmt = FormatSettings());
// A date with or without a time.
bool TryStrToDateTime(const std::string& Text, TDateTime& Result,
                      const TFormatSettings& Fmt = FormatSettings());
