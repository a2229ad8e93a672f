#pragma once
// What the units below the window layer (the settings store, the system information) need from
// the running program: its title, its executable, its message pump, its main window and its
// message box, without linking the window layer. The application object installs the hooks
// when it is made and takes them away when it goes; until then the title is the executable's
// name without extension, nothing is pumped, there is no main window and no box is shown.
//
//   SetApplicationHooks({[this] { return FTitle; }, [this] { ProcessMessages(); }, ...});
//   const std::string folder = AppData + ApplicationTitle();
//   ProcessApplicationMessages();   // lets the program's windows breathe during a long read
#include <windows.h>

#include <functional>
#include <string>

struct TApplicationHooks {
    std::function<std::string()> Title;
    std::function<void()> ProcessMessages;
    std::function<HWND()> MainWindow;
    std::function<int(const std::string& Text, const std::string& Caption, UINT Flags)> MessageBox;
};

// Installs Hooks; empty members (or an empty set) give the defaults above. Main thread only.
void SetApplicationHooks(TApplicationHooks Hooks);

// Full path of the running executable.
const std::string& ExecutableName();
// The program's title: it names the settings folder and the start-with-Windows value.
std::string ApplicationTitle();
// Handles the messages waiting in the thread's queue.
void ProcessApplicationMessages();
// The window that owns the program's dialogs and started programs; null when there is none.
HWND ApplicationMainWindow();
// The program's message box (IDOK, IDYES ...); 0 when no application is there to show it.
int ApplicationMessageBox(const std::string& Text, const std::string& Caption, UINT Flags);
