#pragma once
// Points in time for the transfer's limits, as GetTickCount64 values; 0 stands for no limit.
#include <windows.h>

#include <algorithm>
#include <climits>

// The point Timeout milliseconds from now; 0 (none) for a timeout of 0 or less.
inline ULONGLONG EndOf(int Timeout) {
    return Timeout > 0 ? GetTickCount64() + static_cast<ULONGLONG>(Timeout) : 0;
}

// Milliseconds left until End, at least 0; INT_MAX when End is 0 (no limit).
inline int Remaining(ULONGLONG End) {
    if (!End)
        return INT_MAX;
    const ULONGLONG now = GetTickCount64();
    return now >= End ? 0 : static_cast<int>(std::min<ULONGLONG>(End - now, INT_MAX));
}
