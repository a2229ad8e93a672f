#pragma once
// System information and session control.
#include <windows.h>

#include <functional>

// winuser.h defines ExitWindows as a macro; the name is ours here.
#undef ExitWindows

// The platform calls that ending the session makes. The real calls are the default; tests put in
// their own to play other Windows versions and failing token calls.
struct TSessionApi {
    std::function<DWORD()> GetPlatformId; // dwPlatformId of GetVersionExA
    std::function<HANDLE()> GetCurrentProcess;
    std::function<BOOL(HANDLE Process, DWORD Access, PHANDLE Token)> OpenProcessToken;
    std::function<BOOL(LPCSTR SystemName, LPCSTR Name, PLUID Luid)> LookupPrivilegeValueA;
    std::function<BOOL(HANDLE Token, BOOL DisableAll, PTOKEN_PRIVILEGES NewState,
                       DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength)>
        AdjustTokenPrivileges;
    std::function<BOOL(HANDLE Object)> CloseHandle;
    std::function<BOOL(UINT Flags, DWORD Reason)> ExitWindowsEx;
};

// The real Windows calls.
TSessionApi RealSessionApi();

// Ends the session as Flags (ExitWindowsEx flags, passed unchanged) say. On the NT platform the
// shutdown privilege of the process is enabled first. True when ExitWindowsEx reports success.
bool ExitWindows(UINT Flags);
bool ExitWindows(UINT Flags, const TSessionApi& Api);
