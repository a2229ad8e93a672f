// The single facts of unit OrbSystemInfo: operating system, uptime, language, memory, processor,
// devices, folders and the Internet Explorer version.
#include "system/OrbSystemInfo.h"

#include <intrin.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "base/ApplicationHooks.h"
#include "base/Exception.h"
#include "base/Registry.h"
#include "base/SystemError.h"

namespace {

TSystemInfoApi& InstalledApi() {
    static TSystemInfoApi api = RealSystemInfoApi();
    return api;
}

const TSystemInfoApi& Api() {
    return InstalledApi();
}

// The number of devices that a winmm count function reports. winmm is not among the program's
// import libraries: it is loaded on the first count and stays for the life of the process, since
// each unload leaves the registry keys of its sound drivers open (a dozen handles a report).
UINT CountMediaDevices(const char* Function) {
    static const HMODULE winmm = LoadLibraryA("winmm.dll");
    if (!winmm)
        return 0;
    FARPROC proc = GetProcAddress(winmm, Function);
    return proc ? reinterpret_cast<UINT(WINAPI*)()>(reinterpret_cast<void*>(proc))() : 0;
}

std::string WithBackslash(std::string Path) {
    if (Path.empty() || Path.back() != '\\')
        Path += '\\';
    return Path;
}

// A folder from a GetWindowsDirectory-like call, which reports the size it needs when the
// buffer is too small.
std::string QueryFolder(const std::function<UINT(char*, UINT)>& Query) {
    std::vector<char> buffer(MAX_PATH, '\0');
    UINT n = Query(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n >= buffer.size()) {
        buffer.assign(n + 1, '\0');
        n = Query(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n >= buffer.size()) {
            n = 0;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
        }
    }
    if (n == 0)
        throw Exception(SysErrorMessage(GetLastError()));
    return WithBackslash(std::string(buffer.data(), strnlen(buffer.data(), n)));
}

std::string MemoryFigure(DWORDLONG MEMORYSTATUSEX::*Field) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    Api().GlobalMemoryStatusEx(status);
    return std::to_string(status.*Field >> 20);
}

std::string ReadProcessorValue(const std::string& Name) {
    ProcessApplicationMessages();
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly("\\HARDWARE\\DESCRIPTION\\SYSTEM\\CentralProcessor\\0"))
        return {};
    return reg.ReadString(Name);
}

// Raises the process to the realtime class and the thread to time-critical for its life, and
// puts back what was there before.
class TRaisedPriority {
public:
    TRaisedPriority()
        : FProcessClass(GetPriorityClass(GetCurrentProcess())),
          FThreadPriority(GetThreadPriority(GetCurrentThread())) {
        // Where the system grants less, the measurement runs at what it grants.
        SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    }
    ~TRaisedPriority() {
        SetThreadPriority(GetCurrentThread(), FThreadPriority);
        if (FProcessClass)
            SetPriorityClass(GetCurrentProcess(), FProcessClass);
    }
    TRaisedPriority(const TRaisedPriority&) = delete;
    TRaisedPriority& operator=(const TRaisedPriority&) = delete;

private:
    DWORD FProcessClass;
    int FThreadPriority;
};

// FormatFloat("#.##"): at most two decimals, rounded, no trailing zeros, no grouping.
std::string FormatTwoDecimals(double Value, char DecimalSeparator) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%.2f", Value);
    std::string text = buffer;
    const size_t point = text.find('.');
    if (point != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
        else
            text[point] = DecimalSeparator;
    }
    return text;
}

} // namespace

TSystemInfoApi RealSystemInfoApi() {
    TSystemInfoApi api;
    api.GetVersionExA = [](OSVERSIONINFOA& Info) { return ::GetVersionExA(&Info); };
    api.GetTickCount = ::GetTickCount;
    api.GlobalMemoryStatusEx = [](MEMORYSTATUSEX& Status) {
        return ::GlobalMemoryStatusEx(&Status);
    };
    api.TimeStampCounter = []() -> uint64_t { return __rdtsc(); };
    api.QueryPerformanceCounter = []() -> int64_t {
        LARGE_INTEGER value{};
        return ::QueryPerformanceCounter(&value) ? value.QuadPart : 0;
    };
    api.QueryPerformanceFrequency = []() -> int64_t {
        LARGE_INTEGER value{};
        return ::QueryPerformanceFrequency(&value) ? value.QuadPart : 0;
    };
    api.WaveOutGetNumDevs = [] { return CountMediaDevices("waveOutGetNumDevs"); };
    api.MidiOutGetNumDevs = [] { return CountMediaDevices("midiOutGetNumDevs"); };
    api.GetWindowsDirectoryA = ::GetWindowsDirectoryA;
    api.GetSystemDirectoryA = ::GetSystemDirectoryA;
    api.GetTempPathA = ::GetTempPathA;
    return api;
}

TSystemInfoApi SetSystemInfoApi(TSystemInfoApi Api) {
    std::swap(InstalledApi(), Api);
    return Api;
}

int GetOSVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!Api().GetVersionExA(info))
        return cOSUnknown;
    const DWORD major = info.dwMajorVersion;
    const DWORD minor = info.dwMinorVersion;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && major == 4) {
        if (minor == 0)
            return cOSWin95;
        if (minor == 10)
            return info.szCSDVersion[0] != '\0' && info.szCSDVersion[1] == 'A' ? cOSWin98SE
                                                                               : cOSWin98;
        if (minor == 90)
            return cOSWinME;
    }
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (major <= 4)
            return cOSWinNT;
        if (major == 5 && minor == 0)
            return cOSWin2000;
        if (major == 5 && minor == 1)
            return cOSWinXP;
    }
    return cOSUnknown;
}

std::string GetOSName() {
    ProcessApplicationMessages();
    const int code = GetOSVersion();
    std::string name;
    switch (code) {
    case cOSWin95:
        name = "Microsoft Windows 95";
        break;
    case cOSWin98:
        name = "Microsoft Windows 98";
        break;
    case cOSWin98SE:
        name = "Microsoft Windows 98 Second Edition";
        break;
    case cOSWinME:
        name = "Microsoft Windows Millennium Edition";
        break;
    case cOSWinNT:
        name = "Microsoft Windows NT";
        break;
    case cOSWin2000:
        name = "Microsoft Windows 2000 / NT 5";
        break;
    case cOSWinXP:
        name = "Microsoft Windows XP";
        break;
    default:
        name = "Unknown OS (" + std::to_string(code) + ")";
        break;
    }
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!Api().GetVersionExA(info))
        return {};
    const std::string csd(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    return name + " Version " + std::to_string(info.dwMajorVersion) + "." +
           std::to_string(info.dwMinorVersion) + " (Build " + std::to_string(info.dwBuildNumber) +
           ": " + csd + ")";
}

std::string GetUptime() {
    ProcessApplicationMessages();
    const DWORD t = Api().GetTickCount();
    const DWORD days = t / 86400000;
    DWORD rest = t % 86400000;
    const DWORD hours = rest / 3600000;
    rest %= 3600000;
    const DWORD minutes = rest / 60000;
    rest %= 60000;
    const DWORD seconds = rest / 1000;
    return Format("%lu Days %lu Hours %lu Minutes %lu Seconds", days, hours, minutes, seconds);
}

std::string GetDefaultLanguage() {
    ProcessApplicationMessages();
    char buffer[100] = {};
    VerLanguageNameA(GetSystemDefaultLangID(), buffer, sizeof buffer);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::string GetMemoryLoad() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    Api().GlobalMemoryStatusEx(status);
    return std::to_string(status.dwMemoryLoad);
}

std::string GetTotalPhysicalMemory() {
    return MemoryFigure(&MEMORYSTATUSEX::ullTotalPhys);
}

std::string GetFreePhysicalMemory() {
    return MemoryFigure(&MEMORYSTATUSEX::ullAvailPhys);
}

std::string GetTotalPageFileMemory() {
    return MemoryFigure(&MEMORYSTATUSEX::ullTotalPageFile);
}

std::string GetFreePageFileMemory() {
    return MemoryFigure(&MEMORYSTATUSEX::ullAvailPageFile);
}

std::string GetTotalVirtualMemory() {
    return MemoryFigure(&MEMORYSTATUSEX::ullTotalVirtual);
}

std::string GetFreeVirtualMemory() {
    return MemoryFigure(&MEMORYSTATUSEX::ullAvailVirtual);
}

std::string GetCPUIdentifier() {
    return ReadProcessorValue("Identifier");
}

std::string GetCPUVendor() {
    return ReadProcessorValue("VendorIdentifier");
}

double GetCPUSpeedMHz() {
    constexpr DWORD IntervalMs = 500;
    // The messages are handled before the priority is raised and after it is put back, never
    // while it is raised: a handler (a modal loop above all) would run in the realtime class.
    ProcessApplicationMessages();
    uint64_t cycles = 0;
    int64_t ticks = 0;
    {
        TRaisedPriority raised;
        Sleep(10);
        const int64_t ticksBefore = Api().QueryPerformanceCounter();
        const uint64_t before = Api().TimeStampCounter();
        Sleep(IntervalMs);
        const uint64_t after = Api().TimeStampCounter();
        ticks = Api().QueryPerformanceCounter() - ticksBefore;
        // A counter that went backwards (another core's) gives no reading.
        cycles = after >= before ? after - before : 0;
    }
    // Cycles per microsecond over the time that really passed: a sleep may last longer than
    // asked. Without a usable performance counter the asked interval stands.
    const int64_t frequency = Api().QueryPerformanceFrequency();
    double microseconds = IntervalMs * 1000.0;
    if (frequency > 0 && ticks > 0)
        microseconds = static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
    const double mhz = static_cast<double>(cycles) / microseconds;
    ProcessApplicationMessages();
    return mhz;
}

std::string GetCPUSpeed(const TFormatSettings& Fmt) {
    const double mhz = GetCPUSpeedMHz();
    if (mhz >= 1000.0)
        return FormatTwoDecimals(mhz / 1000.0, Fmt.DecimalSeparator) + " GHz";
    // Rounded to the nearest whole number, a half to the even neighbour.
    return FormatTwoDecimals(std::nearbyint(mhz), Fmt.DecimalSeparator) + " MHz";
}

bool HasSoundCard() {
    return Api().WaveOutGetNumDevs() > 0 && Api().MidiOutGetNumDevs() > 0;
}

bool HasNetwork() {
    ProcessApplicationMessages();
    return (GetSystemMetrics(SM_NETWORK) & 1) != 0;
}

std::string GetWindowsFolder() {
    return QueryFolder(Api().GetWindowsDirectoryA);
}

std::string GetSystemFolder() {
    return QueryFolder(Api().GetSystemDirectoryA);
}

std::string GetTempFolder() {
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    DWORD n = Api().GetTempPathA(MAX_PATH, buffer.data());
    if (n > MAX_PATH) {
        // A longer path: n is the size it needs.
        buffer.assign(n + 1, '\0');
        n = Api().GetTempPathA(n, buffer.data());
        if (n >= buffer.size()) {
            n = 0;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
        }
    }
    if (n == 0)
        throw Exception(SysErrorMessage(GetLastError()));
    return WithBackslash(std::string(buffer.data(), strnlen(buffer.data(), n)));
}

std::string GetTempFile(const std::string& Prefix) {
    const std::string folder = GetTempFolder();
    char buffer[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder.c_str(), Prefix.c_str(), 0, buffer) == 0)
        throw Exception(SysErrorMessage(GetLastError()));
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::string GetIEVersion() {
    try {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!reg.OpenKeyReadOnly("Software\\Microsoft\\Internet Explorer"))
            return {};
        return reg.ReadString("Version");
    } catch (const std::exception&) {
        return {};
    }
}
