#pragma once
// The system's 24 keys with their types and defaults, registered as the program does; the two
// defaults the program reads elsewhere are fixed here.
#include "settings/ProgramKeys.h"

inline void RegisterSystemKeys(TProgramSettings& s) {
    RegisterProgramKeys(s, "Sundown", "http://updates.example.com/autoupdate.ini");
}
