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

void TJvClockAlarm::Recompute(const SYSTEMTIME& Now) {
    const long long alarm = ((FHour * 60LL + FMinute) * 60 + FSecond) * 1000;
    FRearmed = MillisecondOfDay(Now) < alarm || alarm == 0;
}

bool TJvClockAlarm::Check(const SYSTEMTIME& Now) {
    if (FEnabled && Now.wHour == FHour && Now.wMinute == FMinute && Now.wSecond >= FSecond &&
        Now.wSecond <= FSecond + 60) {
        if (!FRearmed)
            return false;
        FRearmed = false;
        return true;
    }
    Recompute(Now);
    return false;
}
