#pragma once
// A time of day from its parts and back, as TDateTime fractions of a day.
//
//   TDateTime t = EncodeTime(20, 0, 0, 0);      // 0.8333...
//   uint16_t h, m, s, ms; DecodeTime(t, h, m, s, ms);
#include <cstdint>

#include "base/ConvertError.h"
#include "base/Variant.h"

// Raises EConvertError "Invalid argument to time encode" unless Hour < 24, Min < 60, Sec < 60
// and MSec < 1000. Callers holding wider numbers narrow them to 16 bits first, as the parameters
// do.
TDateTime EncodeTime(uint16_t Hour, uint16_t Min, uint16_t Sec, uint16_t MSec);

// The time of day of Value (its fraction, the date ignored), rounded to the millisecond. A value
// that is not a finite number gives midnight.
void DecodeTime(TDateTime Value, uint16_t& Hour, uint16_t& Min, uint16_t& Sec, uint16_t& MSec);
