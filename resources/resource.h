#pragma once
// Resource identifiers shared by the .rc files and the code.

// The program icon (also the executable's icon in the shell).
#define MAINICON 1

// The countdown window's picture.
#define IDB_SHUTDOWN 120
