// The start-with-Windows entry: a value under the machine-wide Run key named after the
// application title.
#include "settings/OrbProgramSettings.h"

#include "base/ApplicationHooks.h"
#include "base/Registry.h"

namespace {

const char* const RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The command that starts this program: its short path, or the quoted long path when no short
// form can be had (a bare blank would start nothing).
std::string ProgramCommand() {
    const std::string& exe = ExecutableName();
    const std::string shortPath = GetShortPath(exe);
    return shortPath.empty() ? "\"" + exe + "\"" : shortPath;
}

} // namespace

void TProgramSettings::SetAutoRun(const std::string& Parameters, bool Enable) {
    const std::string title = ApplicationTitle();
    if (title.empty())
        return;
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(RunKey, true))
        return;
    if (Enable)
        registry.WriteString(title, ProgramCommand() + " " + Parameters);
    else if (registry.ValueExists(title))
        registry.DeleteValue(title);
}

bool TProgramSettings::IsAutoRun() {
    const std::string title = ApplicationTitle();
    if (title.empty())
        return false;
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    return registry.OpenKey(RunKey, true) && registry.ValueExists(title);
}

std::string GetShortPath(const std::string& LongPath) {
    char buffer[MAX_PATH] = {};
    DWORD n = GetShortPathNameA(LongPath.c_str(), buffer, MAX_PATH - 1);
    if (n == 0)
        return std::string();
    if (n < MAX_PATH - 1)
        return std::string(buffer, n);
    // Too long for the buffer: n is the size needed, NUL included. Ask once more with room.
    std::string longer(n, '\0');
    const DWORD needed = n;
    n = GetShortPathNameA(LongPath.c_str(), longer.data(), needed);
    if (n == 0 || n >= needed)
        return std::string();
    longer.resize(n);
    return longer;
}
