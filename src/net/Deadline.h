#pragma once
// Points in time for the transfer's limits, as GetTickCount64 values; 0 stands for no limit.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

#include "net/IdIOHandlerStack.h"

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

// A point in time that ends a part of the transfer, with what to say then.
struct TDeadline {
    ULONGLONG End = 0; // 0: none
    std::string Text;

    static TDeadline After(int Ms, std::string Text) { return {EndOf(Ms), std::move(Text)}; }
    TDeadline Earlier(const TDeadline& Other) const {
        return !End || (Other.End && Other.End < End) ? Other : *this;
    }
    // Limits Timeout (0 or less: none) to the time left; true when the deadline is the limit.
    // Raises once the deadline has passed.
    bool Limit(int& Timeout) const {
        if (!End)
            return false;
        const int left = Remaining(End);
        if (left == 0)
            throw EIdReadTimeout(Text);
        if (Timeout > 0 && left >= Timeout)
            return false;
        Timeout = left;
        return true;
    }
};
