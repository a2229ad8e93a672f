#pragma once
// The settings file as the program writes it: its 24 keys in order, and the keys one section of
// an INI text holds.
#include <string>
#include <vector>

#include "settings/ProgramKeys.h"

namespace fixture {

// The 24 keys in the order the program registers and writes them.
inline const std::vector<std::string>& KeyOrder() {
    static const std::vector<std::string> keys = {
        key::AutoUpdateEnabled,
        key::AutoUpdateApplication,
        key::AutoUpdateURL,
        key::AutoUpdateHTTPProxy,
        key::AutoUpdateHTTPHost,
        key::AutoUpdateHTTPPort,
        key::AutoUpdateHTTPAuthentication,
        key::AutoUpdateHTTPUsername,
        key::AutoUpdateHTTPPassword,
        key::AutoUpdateSOCKSProxy,
        key::AutoUpdateSOCKSHost,
        key::AutoUpdateSOCKSPort,
        key::AutoUpdateSOCKSAuthentication,
        key::AutoUpdateSOCKSUsername,
        key::AutoUpdateSOCKSPassword,
        key::AutoUpdateSOCKSVersion,
        key::AutoUpdateAutomatic,
        key::AutoUpdateInterval,
        key::FirstRun,
        key::Enabled,
        key::Hour,
        key::Minute,
        key::Warning,
        key::ExitWindowsType,
    };
    return keys;
}

// The key names of one section of an INI text, in file order.
inline std::vector<std::string> KeysOfSection(const std::string& text, const std::string& section) {
    std::vector<std::string> keys;
    bool inside = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        const size_t eq = line.find('=');
        if (inside && eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    }
    return keys;
}

} // namespace fixture
