#pragma once
// Texts that come from outside (a server's status line, header values, names in an address) are
// shown in boxes and log lines; a long one is cut so the rest stays readable.
#include <cstddef>
#include <string>

// The most characters of such a text shown.
inline constexpr size_t MaxShownText = 200;

// Text itself when it is at most MaxShownText characters long; otherwise its start, marked as cut.
inline std::string CutText(const std::string& Text) {
    if (Text.size() <= MaxShownText)
        return Text;
    return Text.substr(0, MaxShownText) + "... (cut from " + std::to_string(Text.size()) +
           " characters)";
}
