#pragma once
// Shell and file-system helpers: the program's folders, the taskbar, starting files.
#include <windows.h>

#include <string>

// The current user's application-data folder plus the application title, with a trailing
// backslash, created when missing. Empty when the shell-folder key cannot be opened.
std::string GetAppDataFolder();

// True when Path is an existing folder. Otherwise, with CreateIt, creates it and every missing
// parent and tells whether that worked. An empty Path with CreateIt raises EInOutError.
bool CheckDirectory(const std::string& Path, bool CreateIt);

// The taskbar's window rectangle in screen pixels; all 0 when there is no taskbar window.
void GetTaskbarRect(RECT& R);

// The folder of the running executable, with a trailing backslash.
std::string GetProgramFolder();

// ShellExecuteA of FileName with the verb Operation; the shell's result, unchanged (greater than
// 32 when the file was started).
HINSTANCE ExecuteFile(const std::string& Operation, const std::string& FileName,
                      const std::string& Parameters, const std::string& Directory, WORD ShowCmd);
