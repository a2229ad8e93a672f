#include "update/OrbAutoUpdate.h"

#include "gui/Application.h"
#include "system/OrbVersionInfo.h"

#include <exception>

void RegisterAutoUpdateSettings(TProgramSettings& Settings) {
    Settings.Add("AutoUpdateEnabled", vtBoolean, true);
    Settings.Add("AutoUpdateApplication", vtString, GetDefaultApplicationName());
    Settings.Add("AutoUpdateURL", vtString, DefaultUpdateURL);
    Settings.Add("AutoUpdateHTTPProxy", vtBoolean, false);
    Settings.Add("AutoUpdateHTTPHost", vtString, "");
    Settings.Add("AutoUpdateHTTPPort", vtInteger, 8080);
    Settings.Add("AutoUpdateHTTPAuthentication", vtBoolean, false);
    Settings.Add("AutoUpdateHTTPUsername", vtString, "");
    Settings.Add("AutoUpdateHTTPPassword", vtPassword, "");
    Settings.Add("AutoUpdateSOCKSProxy", vtBoolean, false);
    Settings.Add("AutoUpdateSOCKSHost", vtString, "");
    Settings.Add("AutoUpdateSOCKSPort", vtInteger, 1080);
    Settings.Add("AutoUpdateSOCKSAuthentication", vtBoolean, false);
    Settings.Add("AutoUpdateSOCKSUsername", vtString, "");
    Settings.Add("AutoUpdateSOCKSPassword", vtPassword, "");
    Settings.Add("AutoUpdateSOCKSVersion", vtInteger, 0);
    Settings.Add("AutoUpdateAutomatic", vtBoolean, false);
    Settings.Add("AutoUpdateInterval", vtInteger, 12);
}

std::string GetDefaultApplicationName() {
    try {
        TOrbVersionInfo info;
        info.SetActive(true);
        return info.GetItem(8); // ProductName
    } catch (const std::exception&) {
        return Application().Title();
    }
}
