#pragma once
// The automatic-update component: its settings in the program's settings store.
#include <string>

#include "settings/OrbProgramSettings.h"

// Where the update description is fetched from unless the settings say otherwise. The host is a
// reserved name that never resolves: the program has no update server of its own yet.
inline constexpr const char* DefaultUpdateURL = "http://update.sundown.invalid/autoupdate.ini";

// Adds the component's eighteen "AutoUpdate..." keys with their types and defaults, in order.
void RegisterAutoUpdateSettings(TProgramSettings& Settings);

// The program's product name from its version resource; the application title if reading the
// resource raises.
std::string GetDefaultApplicationName();
