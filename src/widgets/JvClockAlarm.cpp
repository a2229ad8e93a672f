#include "widgets/JvClockAlarm.h"

#include <string>

#include "base/ConvertError.h"
#include "base/FormatSettings.h"

namespace {

long long MillisecondOfDay(const SYSTEMTIME& T) {
    return ((T.wHour * 60LL + T.wMinute) * 60 + T.wSecond) * 1000 + T.wMilliseconds;
}

} // namespace

void TJvClockAlarm::SetTime(int Hour, int Minute, int Second, const SYSTEMTIME& Now) {
    if (Hour < 0 || Hour >= 24 || Minute < 0 || Minute >= 60 || Second < 0 || Second >= 60) {
        const std::string sep(1, FormatSettings().TimeSeparator);
        throw EConvertError(Format(
            "'%s' is not a valid time",
            (std::to_string(Hour) + sep + std::to_string(Minute) + sep + std::to_string(Second))
                .c_str()));
    }
    FHour = Hour;
    FMinute = Minute;
    FSecond = Second;
    Recompute(Now);
}

long long TJvClockAlarm::MillisecondOfAlarm() const {
    return ((FHour * 60LL + FMinute) * 60 + FSecond) * 1000;
}

void TJvClockAlarm::Recompute(const SYSTEMTIME& Now) {
    const long long alarm = MillisecondOfAlarm();
    FRearmed = MillisecondOfDay(Now) < alarm || alarm == 0;
}

bool TJvClockAlarm::InMinute(const SYSTEMTIME& Now) const {
    return FEnabled && Now.wHour == FHour && Now.wMinute == FMinute && Now.wSecond >= FSecond &&
           Now.wSecond <= FSecond + 60;
}

bool TJvClockAlarm::Check(const SYSTEMTIME& Now) {
    if (InMinute(Now)) {
        if (!FRearmed)
            return false;
        FRearmed = false;
        return true;
    }
    Recompute(Now);
    return false;
}

bool TJvClockAlarm::Due(const SYSTEMTIME& Now) const {
    return InMinute(Now) && FRearmed;
}

long long TJvClockAlarm::MillisecondsUntil(const SYSTEMTIME& Now) const {
    constexpr long long day = 24LL * 60 * 60 * 1000;
    const long long until = (MillisecondOfAlarm() - MillisecondOfDay(Now) + day) % day;
    return until ? until : day;
}
