#include "base/WideText.h"

#include <windows.h>

std::wstring Widen(const std::string& Text) {
    if (Text.empty())
        return {};
    const int size = static_cast<int>(Text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, Text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Text.data(), size, wide.data(), n);
    return wide;
}

std::string Narrow(const std::wstring& Text) {
    if (Text.empty())
        return {};
    const int size = static_cast<int>(Text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, Text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, Text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}
