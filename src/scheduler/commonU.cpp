#include "scheduler/commonU.h"

std::string ExitTypeName(uint8_t ExitType) {
    switch (ExitType) {
    case etLogoff:
        return "logoff";
    case etRestart:
        return "restart";
    case etShutdown:
        return "shutdown";
    default:
        return std::string();
    }
}

std::string TwoDigits(int Value) {
    const std::string digits = std::to_string(Value);
    return Value < 10 ? "0" + digits : digits;
}
