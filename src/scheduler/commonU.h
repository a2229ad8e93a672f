#pragma once
// The exit actions and the small text helpers shared by the main window, the countdown window
// and the options window.
//
//   ExitTypeName(etShutdown) == "shutdown";   TwoDigits(7) == "07"
#include <cstdint>
#include <string>

// What ending the session does; the same numbering as the "ExitWindowsType" setting.
enum TExitType : uint8_t { etLogoff = 0, etRestart = 1, etShutdown = 2 };

// "logoff", "restart" or "shutdown"; an empty string for any other value.
std::string ExitTypeName(uint8_t ExitType);

// Below 10 (signed, so negatives too) the value gets a leading "0": 7 -> "07", -5 -> "0-5".
std::string TwoDigits(int Value);
