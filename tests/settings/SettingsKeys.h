#pragma once
// The system's 24 keys with their types and defaults, registered as the program does.
#include "settings/OrbProgramSettings.h"

inline void RegisterSystemKeys(TProgramSettings& s) {
    s.Add("AutoUpdateEnabled", vtBoolean, true);
    s.Add("AutoUpdateApplication", vtString, "Sundown");
    s.Add("AutoUpdateURL", vtString, "http://updates.example.com/autoupdate.ini");
    s.Add("AutoUpdateHTTPProxy", vtBoolean, false);
    s.Add("AutoUpdateHTTPHost", vtString, "");
    s.Add("AutoUpdateHTTPPort", vtInteger, 8080);
    s.Add("AutoUpdateHTTPAuthentication", vtBoolean, false);
    s.Add("AutoUpdateHTTPUsername", vtString, "");
    s.Add("AutoUpdateHTTPPassword", vtPassword, "");
    s.Add("AutoUpdateSOCKSProxy", vtBoolean, false);
    s.Add("AutoUpdateSOCKSHost", vtString, "");
    s.Add("AutoUpdateSOCKSPort", vtInteger, 1080);
    s.Add("AutoUpdateSOCKSAuthentication", vtBoolean, false);
    s.Add("AutoUpdateSOCKSUsername", vtString, "");
    s.Add("AutoUpdateSOCKSPassword", vtPassword, "");
    s.Add("AutoUpdateSOCKSVersion", vtInteger, 0);
    s.Add("AutoUpdateAutomatic", vtBoolean, false);
    s.Add("AutoUpdateInterval", vtInteger, 12);
    s.Add("FirstRun", vtBoolean, true);
    s.Add("Enabled", vtBoolean, true);
    s.Add("Hour", vtInteger, 20);
    s.Add("Minute", vtInteger, 0);
    s.Add("Warning", vtInteger, 60);
    s.Add("ExitWindowsType", vtInteger, 0);
}
