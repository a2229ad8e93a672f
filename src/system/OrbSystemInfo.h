#pragma once
// System information and session control: facts about the machine, ready to print, and the end
// of the session.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/FormatSettings.h"
#include "base/Object.h"
#include "base/StringList.h"

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

// Operating systems told apart by GetOSVersion.
enum : int {
    cOSUnknown = -1, // not recognised, or the version query failed
    cOSWin95 = 0,
    cOSWin98 = 1,
    cOSWin98SE = 2,
    cOSWinME = 3,
    cOSWinNT = 4, // up to version 4
    cOSWin2000 = 5,
    cOSWinXP = 6,
};

// The platform calls behind the single facts below. The real calls are installed by default;
// tests install their own to play other Windows versions, tick counts, memory sizes, sound
// devices, clocks and failing folder queries.
struct TSystemInfoApi {
    std::function<BOOL(OSVERSIONINFOA& Info)> GetVersionExA;
    std::function<DWORD()> GetTickCount;
    std::function<BOOL(MEMORYSTATUSEX& Status)> GlobalMemoryStatusEx;
    std::function<uint64_t()> TimeStampCounter;
    std::function<int64_t()> QueryPerformanceCounter;
    std::function<int64_t()> QueryPerformanceFrequency; // 0 when there is no such counter
    std::function<UINT()> WaveOutGetNumDevs;
    std::function<UINT()> MidiOutGetNumDevs;
    std::function<UINT(char* Buffer, UINT Size)> GetWindowsDirectoryA;
    std::function<UINT(char* Buffer, UINT Size)> GetSystemDirectoryA;
    std::function<DWORD(DWORD Size, char* Buffer)> GetTempPathA;
};

// The real Windows calls.
TSystemInfoApi RealSystemInfoApi();
// Installs Api for the functions below and returns the one installed before.
TSystemInfoApi SetSystemInfoApi(TSystemInfoApi Api);

// The functions marked "pumps" handle the messages waiting in the thread's queue
// (ProcessApplicationMessages()) so that the program's windows stay alive meanwhile; any
// handler of the program may run inside them.

int GetOSVersion(); // one of the cOS codes
// "Microsoft Windows XP Version 5.1 (Build 2600: Service Pack 2)"; empty when the version query
// fails. Pumps.
std::string GetOSName();
// "1 Days 2 Hours 3 Minutes 4 Seconds" since the system started (the tick count: modulo 49.7
// days). Pumps.
std::string GetUptime();
// Name of the system's default language ("English"). Pumps.
std::string GetDefaultLanguage();

// Memory in decimal without a unit: the load in percent, the rest in whole MiB.
std::string GetMemoryLoad();
std::string GetTotalPhysicalMemory();
std::string GetFreePhysicalMemory();
std::string GetTotalPageFileMemory();
std::string GetFreePageFileMemory();
std::string GetTotalVirtualMemory();
std::string GetFreeVirtualMemory();

// The first processor's "Identifier" and "VendorIdentifier" from the hardware description; empty
// when missing. A value that is not text raises ERegistryException. Both pump.
std::string GetCPUIdentifier();
std::string GetCPUVendor();
// The processor clock in MHz, measured with the time-stamp counter over half a second at raised
// priority (process and thread priority are put back afterwards). Blocks for at least 510 ms.
// Pumps before the priority is raised and after it is put back, never while it is raised.
double GetCPUSpeedMHz();
// The measured clock as text: "733 MHz", "2.39 GHz" (at most two decimals, the regional decimal
// separator).
std::string GetCPUSpeed(const TFormatSettings& Fmt = FormatSettings());

// At least one wave-out and one MIDI-out device.
bool HasSoundCard();
// The system reports a network. Pumps.
bool HasNetwork();

// The Windows and system folders with a trailing backslash. Raise Exception with the system's
// message when the folder cannot be read.
std::string GetWindowsFolder();
std::string GetSystemFolder();
// The user's temporary folder with a trailing backslash; a file name can be appended directly.
// Raises Exception with the system's message when the folder cannot be read.
std::string GetTempFolder();
// Full path of a new, empty file in the temporary folder, named from at most the first three
// characters of Prefix and a number. Raises Exception with the system's message when no file can
// be made there.
std::string GetTempFile(const std::string& Prefix);
// The installed Internet Explorer's version text; empty when it cannot be read.
std::string GetIEVersion();

// --- Lists. Each but GetPrinterList returns a new list that the caller owns.

// Attached to each entry of GetWindowList: the window the entry names.
class TWindowInfo : public TObject {
public:
    HWND Handle = nullptr;
};

// "Name = Value" for each value of the user's Explorer "Shell Folders" key; empty when the key
// cannot be opened; a value that is not text is left out. Pumps.
TStringList GetShellFolders();
// The printer object's list of installed printers, read once per process; the caller only reads
// it. Pumps.
const TStringList& GetPrinterList();
// The root of each logical drive ("C:\"), in the system's order. Pumps.
TStringList GetDriveList();
// The "DeviceDesc" of each modem registered under HKLM "Enum\Root\Modem"; a modem whose
// description is not text is left out. Pumps.
TStringList GetModemList();
// The titles of the top-level windows, in Z order from the top, that are hidden (Hidden true) or
// visible (Hidden false); windows without a title are left out. Each entry carries a
// TWindowInfo with its window. Does not pump.
TStringList GetWindowList(bool Hidden);
// The display name of each uninstall entry that has both "DisplayName" and "UninstallString",
// those of the 64-bit registry view first, then those of the 32-bit view; an entry whose display
// name is not text is left out. Pumps.
TStringList GetInstalledSoftware();
