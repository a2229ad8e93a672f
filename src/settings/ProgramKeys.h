#pragma once
// The names of the program's settings, each written here once, and the routine that registers
// them all with their types and defaults, in the order the settings file lists them. Lookups fold
// letter case, so a key reads the same under any spelling of its name; the file keeps the one
// registered here.
//
//   RegisterProgramKeys(settings, GetDefaultApplicationName(), DefaultUpdateURL);
//   settings.Load();
//   const int hour = settings.GetValue(key::Hour).AsInteger();
#include <string>

#include "settings/OrbProgramSettings.h"

namespace key {

// The update component's.
inline constexpr char AutoUpdateEnabled[] = "AutoUpdateEnabled";
inline constexpr char AutoUpdateApplication[] = "AutoUpdateApplication";
inline constexpr char AutoUpdateURL[] = "AutoUpdateURL";
inline constexpr char AutoUpdateHTTPProxy[] = "AutoUpdateHTTPProxy";
inline constexpr char AutoUpdateHTTPHost[] = "AutoUpdateHTTPHost";
inline constexpr char AutoUpdateHTTPPort[] = "AutoUpdateHTTPPort";
inline constexpr char AutoUpdateHTTPAuthentication[] = "AutoUpdateHTTPAuthentication";
inline constexpr char AutoUpdateHTTPUsername[] = "AutoUpdateHTTPUsername";
inline constexpr char AutoUpdateHTTPPassword[] = "AutoUpdateHTTPPassword";
inline constexpr char AutoUpdateSOCKSProxy[] = "AutoUpdateSOCKSProxy";
inline constexpr char AutoUpdateSOCKSHost[] = "AutoUpdateSOCKSHost";
inline constexpr char AutoUpdateSOCKSPort[] = "AutoUpdateSOCKSPort";
inline constexpr char AutoUpdateSOCKSAuthentication[] = "AutoUpdateSOCKSAuthentication";
inline constexpr char AutoUpdateSOCKSUsername[] = "AutoUpdateSOCKSUsername";
inline constexpr char AutoUpdateSOCKSPassword[] = "AutoUpdateSOCKSPassword";
inline constexpr char AutoUpdateSOCKSVersion[] = "AutoUpdateSOCKSVersion";
inline constexpr char AutoUpdateAutomatic[] = "AutoUpdateAutomatic";
inline constexpr char AutoUpdateInterval[] = "AutoUpdateInterval";

// The alarm's and the main window's.
inline constexpr char FirstRun[] = "FirstRun";
inline constexpr char Enabled[] = "Enabled";
inline constexpr char Hour[] = "Hour";
inline constexpr char Minute[] = "Minute";
inline constexpr char Warning[] = "Warning";
inline constexpr char ExitWindowsType[] = "ExitWindowsType";

} // namespace key

// The update component's 18 keys. Their two defaults that come from elsewhere are given: the
// product name in the program's version resource and the update description's address.
void RegisterUpdateKeys(TProgramSettings& Settings, const std::string& ApplicationName,
                        const std::string& UpdateURL);

// Every key of the program: the update component's, then the alarm's.
void RegisterProgramKeys(TProgramSettings& Settings, const std::string& ApplicationName,
                         const std::string& UpdateURL);
