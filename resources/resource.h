#pragma once
// Resource identifiers shared by the .rc files and the code.

// The program icon (also the executable's icon in the shell).
#define MAINICON 1

// The countdown window's picture.
#define IDB_SHUTDOWN 120

// The main window: the seven 16x16 action images side by side (magenta is transparent), and the
// tray icon while the alarm is armed and while it is not.
#define IDB_ACTIONS 110
#define IDI_TRAY_ARMED 111
#define IDI_TRAY_DISARMED 112

// The About window: its 350x350 picture, and the three 20x20 page-button images side by side
// (magenta is transparent).
#define IDB_ABOUT 130
#define IDB_ABOUTPAGES 131

// The update window: its 260x30 banner and the 16x16 Cancel glyph (magenta is transparent).
#define IDB_AUTOUPDATE 140
#define IDB_AUTOUPDATECANCEL 141
