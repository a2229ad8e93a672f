#include "settings/ProgramKeys.h"

void RegisterUpdateKeys(TProgramSettings& Settings, const std::string& ApplicationName,
                        const std::string& UpdateURL) {
    Settings.Add(key::AutoUpdateEnabled, vtBoolean, true);
    Settings.Add(key::AutoUpdateApplication, vtString, ApplicationName);
    Settings.Add(key::AutoUpdateURL, vtString, UpdateURL);
    Settings.Add(key::AutoUpdateHTTPProxy, vtBoolean, false);
    Settings.Add(key::AutoUpdateHTTPHost, vtString, "");
    Settings.Add(key::AutoUpdateHTTPPort, vtInteger, 8080);
    Settings.Add(key::AutoUpdateHTTPAuthentication, vtBoolean, false);
    Settings.Add(key::AutoUpdateHTTPUsername, vtString, "");
    Settings.Add(key::AutoUpdateHTTPPassword, vtPassword, "");
    Settings.Add(key::AutoUpdateSOCKSProxy, vtBoolean, false);
    Settings.Add(key::AutoUpdateSOCKSHost, vtString, "");
    Settings.Add(key::AutoUpdateSOCKSPort, vtInteger, 1080);
    Settings.Add(key::AutoUpdateSOCKSAuthentication, vtBoolean, false);
    Settings.Add(key::AutoUpdateSOCKSUsername, vtString, "");
    Settings.Add(key::AutoUpdateSOCKSPassword, vtPassword, "");
    Settings.Add(key::AutoUpdateSOCKSVersion, vtInteger, 0);
    Settings.Add(key::AutoUpdateAutomatic, vtBoolean, false);
    Settings.Add(key::AutoUpdateInterval, vtInteger, 12);
}

void RegisterProgramKeys(TProgramSettings& Settings, const std::string& ApplicationName,
                         const std::string& UpdateURL) {
    RegisterUpdateKeys(Settings, ApplicationName, UpdateURL);
    Settings.Add(key::FirstRun, vtBoolean, true);
    Settings.Add(key::Enabled, vtBoolean, true);
    Settings.Add(key::Hour, vtInteger, 20);
    Settings.Add(key::Minute, vtInteger, 0);
    Settings.Add(key::Warning, vtInteger, 60);
    Settings.Add(key::ExitWindowsType, vtInteger, 0);
}
