#include "base/Assert.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

void AssertionFailed(const char* condition, const char* file, int line) {
    const std::string text = std::string("Assertion failed: ") + condition + ", " + file + ":" +
                             std::to_string(line) + "\n";
    OutputDebugStringA(text.c_str());
    fputs(text.c_str(), stderr);
    fflush(stderr);
    std::abort();
}
