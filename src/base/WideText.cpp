#include "base/WideText.h"

#include <windows.h>

std::wstring Widen(const std::string& Text, unsigned CodePage) {
    if (Text.empty())
        return {};
    const int size = static_cast<int>(Text.size());
    const int n = MultiByteToWideChar(CodePage, 0, Text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CodePage, 0, Text.data(), size, wide.data(), n);
    return wide;
}

std::string Narrow(const std::wstring& Text, unsigned CodePage) {
    if (Text.empty())
        return {};
    const int size = static_cast<int>(Text.size());
    const int n = WideCharToMultiByte(CodePage, 0, Text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CodePage, 0, Text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}
