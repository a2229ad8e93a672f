#include "base/AwakeClock.h"

ULONGLONG AwakeMilliseconds() {
    ULONGLONG units = 0; // of 100 ns
    QueryUnbiasedInterruptTime(&units);
    return units / 10000;
}
