#include "system/OrbSystemInfo.h"

TSessionApi RealSessionApi() {
    TSessionApi api;
    api.GetPlatformId = []() -> DWORD {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof(info);
        return GetVersionExA(&info) ? info.dwPlatformId : 0;
    };
    api.GetCurrentProcess = ::GetCurrentProcess;
    api.OpenProcessToken = ::OpenProcessToken;
    api.LookupPrivilegeValueA = ::LookupPrivilegeValueA;
    api.AdjustTokenPrivileges = ::AdjustTokenPrivileges;
    api.CloseHandle = ::CloseHandle;
    api.ExitWindowsEx = ::ExitWindowsEx;
    return api;
}

bool ExitWindows(UINT Flags) {
    return ExitWindows(Flags, RealSessionApi());
}

bool ExitWindows(UINT Flags, const TSessionApi& Api) {
    // Only the NT family checks the shutdown privilege; Windows 95/98/Me has no tokens.
    if (Api.GetPlatformId() == VER_PLATFORM_WIN32_NT) {
        HANDLE token = nullptr;
        if (Api.OpenProcessToken(Api.GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                 &token)) {
            LUID luid{};
            if (Api.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid)) {
                TOKEN_PRIVILEGES wanted{};
                wanted.PrivilegeCount = 1;
                wanted.Privileges[0].Luid = luid;
                wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
                TOKEN_PRIVILEGES previous{};
                DWORD returned = 0;
                // Without the privilege this reports ERROR_NOT_ALL_ASSIGNED; the system then
                // decides whether the request is allowed.
                Api.AdjustTokenPrivileges(token, FALSE, &wanted, sizeof(previous), &previous,
                                          &returned);
            }
            Api.CloseHandle(token);
        }
    }
    return Api.ExitWindowsEx(Flags, 0) != 0;
}
