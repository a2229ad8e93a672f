#include "base/EncodeTime.h"

#include <cmath>
#include <cstdlib>

#include "base/DateTime.h"

namespace {
constexpr int64_t MSecsPerDay = 86400000;
} // namespace

TDateTime EncodeTime(uint16_t Hour, uint16_t Min, uint16_t Sec, uint16_t MSec) {
    TDateTime result = 0;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, result))
        throw EConvertError("Invalid argument to time encode");
    return result;
}

void DecodeTime(TDateTime Value, uint16_t& Hour, uint16_t& Min, uint16_t& Sec, uint16_t& MSec) {
    int64_t msec = 0;
    // Beyond this the fraction of a day has no millisecond left to give.
    if (std::isfinite(Value) && std::fabs(Value) < 1.0e8)
        msec = std::llabs(std::llround(Value * static_cast<double>(MSecsPerDay))) % MSecsPerDay;
    Hour = static_cast<uint16_t>(msec / 3600000);
    Min = static_cast<uint16_t>(msec / 60000 % 60);
    Sec = static_cast<uint16_t>(msec / 1000 % 60);
    MSec = static_cast<uint16_t>(msec % 1000);
}
