#include "base/Assert.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
// Set as the program starts, before any other thread exists.
const DWORD MainThreadId = GetCurrentThreadId();
} // namespace

bool InMainThread() {
    return GetCurrentThreadId() == MainThreadId;
}

void AssertionFailed(const char* Condition, const char* File, int Line) {
    const std::string text = std::string("Assertion failed: ") + Condition + ", " + File + ":" +
                             std::to_string(Line) + "\n";
    OutputDebugStringA(text.c_str());
    fputs(text.c_str(), stderr);
    fflush(stderr);
    std::abort();
}
