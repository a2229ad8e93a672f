#include "base/Exception.h"

#include <cstdio>

std::string FormatV(const char* Format, va_list Args) {
    va_list copy;
    va_copy(copy, Args);
    const int n = std::vsnprintf(nullptr, 0, Format, copy);
    va_end(copy);
    if (n <= 0)
        return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), Format, Args);
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string Format(const char* Format, ...) {
    va_list args;
    va_start(args, Format);
    std::string text = FormatV(Format, args);
    va_end(args);
    return text;
}
