#include "widgets/JvClockAlarm.h"

#include <string>

#include "base/ConvertError.h"
#include "base/FormatSettings.h"

namespace {

long long MillisecondOfDay(const SYSTEMTIME& t) {
    return ((t.wHour * 60LL + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

} // namespace

void TJvClockAlarm::SetTime(int hour, int minute, int second, const SYSTEMTIME& now) {
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60) {
        const std::string sep(1, FormatSettings().TimeSeparator);
        throw EConvertError(Format(
            "'%s' is not a valid time",
            (std::to_string(hour) + sep + std::to_string(minute) + sep + std::to_string(second))
                .c_str()));
    }
    FHour = hour;
    FMinute = minute;
    FSecond = second;
    Recompute(now);
}

void TJvClockAlarm::Recompute(const SYSTEMTIME& now) {
    const long long alarm = ((FHour * 60LL + FMinute) * 60 + FSecond) * 1000;
    FRearmed = MillisecondOfDay(now) < alarm || alarm == 0;
}

bool TJvClockAlarm::Check(const SYSTEMTIME& now) {
    if (FEnabled && now.wHour == FHour && now.wMinute == FMinute && now.wSecond >= FSecond &&
        now.wSecond <= FSecond + 60) {
        if (!FRearmed)
            return false;
        FRearmed = false;
        return true;
    }
    Recompute(now);
    return false;
}
