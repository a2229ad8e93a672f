// Starts a tray program, times its start-up and reads its memory and idle CPU from the Windows
// side. Prints one "key=value" per line on standard output; the runner parses them.
//
//   BenchProbe --exe PATH --class NAME --ready hide|event [--settle-ms N] [--idle-ms N]
//              [--timeout-ms N] [--token TEXT] [--open-windows] [-- ARGS...]
//
// --ready hide:  start-up ends when the program's window of class NAME has been seen visible
//                and then hidden (Sundown shows its main window and hides it to the tray), or
//                when the program sets the event below (the baselines do once hidden).
// --ready event: start-up ends when the program sets the event named in its environment
//                variable SUNDOWN_BENCH_READY_EVENT (the baseline does so once its icon is added).
// Both modes poll the window the same way, so the probe costs the measured program the same.
// --token is put in the program's environment as SUNDOWN_BENCH_CHILD so the runner can find
// the process from the Linux side. Phases are announced as "phase=..." lines as they happen.
// --open-windows (Sundown only), after the idle period: times the first opening of the options
//                window (hand-over command 4) and of the countdown window (tray menu, Tasks,
//                Logoff, driven by keys), from the request until the window is visible; each is
//                closed again with WM_CLOSE, which cancels it.
// The program is ended with WM_USER + 1, wParam 3 (the hand-over exit), or killed after 10 s.
#include <windows.h>
#include <psapi.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct Options {
    std::string exe;
    std::string windowClass;
    bool readyOnEvent = false;
    DWORD settleMs = 3000;
    DWORD idleMs = 20000;
    DWORD timeoutMs = 60000;
    std::string token;
    std::string args;
    bool openWindows = false;
};

void Out(const char* key, const char* fmt, ...) {
    std::printf("%s=", key);
    va_list ap;
    va_start(ap, fmt);
    std::vprintf(fmt, ap);
    va_end(ap);
    std::printf("\n");
    std::fflush(stdout);
}

[[noreturn]] void Fail(const char* what) {
    Out("error", "%s (error %lu)", what, GetLastError());
    std::exit(2);
}

bool ParseOptions(int argc, char** argv, Options& o) {
    std::string ready;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--exe")
            o.exe = next();
        else if (a == "--class")
            o.windowClass = next();
        else if (a == "--ready")
            ready = next();
        else if (a == "--settle-ms")
            o.settleMs = std::strtoul(next().c_str(), nullptr, 10);
        else if (a == "--idle-ms")
            o.idleMs = std::strtoul(next().c_str(), nullptr, 10);
        else if (a == "--timeout-ms")
            o.timeoutMs = std::strtoul(next().c_str(), nullptr, 10);
        else if (a == "--token")
            o.token = next();
        else if (a == "--open-windows")
            o.openWindows = true;
        else if (a == "--") {
            for (++i; i < argc; ++i)
                o.args += std::string(" ") + argv[i];
        } else
            return false;
    }
    if (ready != "hide" && ready != "event")
        return false;
    o.readyOnEvent = ready == "event";
    return !o.exe.empty() && !o.windowClass.empty();
}

double Millis(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(f.QuadPart);
}

// Kernel plus user time of the process, in milliseconds.
double CpuMillis(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        Fail("GetProcessTimes");
    auto ticks = [](FILETIME t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) / 10000.0;
}

// The program's top-level window of the class, or null.
HWND FindProgramWindow(const Options& o, DWORD pid) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, o.windowClass.c_str(), nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid)
            return w;
    }
    return nullptr;
}

// A visible top-level window of the class in the process, or null.
HWND FindVisibleWindow(const char* windowClass, DWORD pid) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, windowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

// Polls every millisecond until a window of the class shows; its time from `from`, or -1.
double WaitShown(const char* windowClass, DWORD pid, LARGE_INTEGER from, HWND& shown) {
    for (;;) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        if ((shown = FindVisibleWindow(windowClass, pid)) != nullptr)
            return Millis(from, now);
        if (Millis(from, now) > 10000)
            return -1;
        Sleep(1);
    }
}

// Closes a shown window (a modal run ends with Cancel) and waits until it has hidden.
void CloseShown(HWND w) {
    PostMessageA(w, WM_CLOSE, 0, 0);
    for (int i = 0; i < 5000 && IsWindowVisible(w); ++i)
        Sleep(1);
}

// Times a window of the class from `from` until it shows, prints the time as key and closes the
// window again; false when it did not show.
bool TimeOpening(const char* windowClass, const char* key, DWORD pid, LARGE_INTEGER from) {
    HWND shown = nullptr;
    const double ms = WaitShown(windowClass, pid, from, shown);
    if (ms < 0) {
        Out("error", "no window of class %s showed", windowClass);
        return false;
    }
    Out(key, "%.1f", ms);
    CloseShown(shown);
    return true;
}

// A key press as the keyboard makes it: it goes to the menu, which has the foreground.
void PressKey(WORD key) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// The first opening of the options window and of the countdown window.
void OpenWindows(const Options& o, const PROCESS_INFORMATION& pi) {
    const DWORD pid = pi.dwProcessId;
    HWND main = FindProgramWindow(o, pid);
    if (!main) {
        Out("error", "no main window to open the windows from");
        return;
    }
    LARGE_INTEGER from;
    QueryPerformanceCounter(&from);
    PostMessageA(main, WM_USER + 1, 4, 0);
    if (!TimeOpening("TfrmOptions", "options_open_ms", pid, from))
        return;

    // The tray menu: its icon's window is a message-only helper window of the process.
    HWND tray = nullptr;
    while ((tray = FindWindowExA(HWND_MESSAGE, tray, "TPUtilWindow", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(tray, &owner);
        if (owner == pid)
            PostMessageA(tray, WM_APP + 1, 1, WM_RBUTTONUP);
    }
    QueryPerformanceCounter(&from);
    HWND menu = nullptr;
    if (WaitShown("#32768", pid, from, menu) < 0) {
        Out("error", "the tray menu did not show");
        return;
    }
    // Open, Tasks, into the submenu (Active), Logoff.
    Sleep(200);
    for (WORD key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN}) {
        PressKey(key);
        Sleep(100);
    }
    Sleep(100);
    QueryPerformanceCounter(&from);
    PressKey(VK_RETURN);
    TimeOpening("TfrmExitConfirm", "countdown_open_ms", pid, from);
}

void EndProgram(const Options& o, const PROCESS_INFORMATION& pi) {
    HWND w = FindProgramWindow(o, pi.dwProcessId);
    DWORD_PTR result = 0;
    if (w && SendMessageTimeoutA(w, WM_USER + 1, 3, 0, SMTO_ABORTIFHUNG, 10000, &result) &&
        WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        Out("ended", "exit-command code %lu", code);
        return;
    }
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
    Out("ended", "killed");
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: BenchProbe --exe PATH --class NAME --ready hide|event "
                             "[--settle-ms N] [--idle-ms N] [--timeout-ms N] [--token T] "
                             "[-- ARGS]\n");
        return 2;
    }

    std::string eventName = "SundownBenchReady-" + std::to_string(GetCurrentProcessId());
    UniqueHandle ready(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    if (!ready)
        Fail("CreateEvent");
    SetEnvironmentVariableA("SUNDOWN_BENCH_READY_EVENT", eventName.c_str());
    if (!o.token.empty())
        SetEnvironmentVariableA("SUNDOWN_BENCH_CHILD", o.token.c_str());

    std::string cmd = "\"" + o.exe + "\"" + o.args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(o.exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        Fail("CreateProcess");
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    Out("pid", "%lu", pi.dwProcessId);

    // Poll the window every millisecond in both modes, waiting on the event and the process.
    bool seenVisible = false;
    LARGE_INTEGER readyAt{}, foundAt{}, shownAt{};
    bool found = false;
    for (;;) {
        HANDLE waits[2] = {ready.get(), pi.hProcess};
        DWORD r = WaitForMultipleObjects(2, waits, FALSE, 1);
        QueryPerformanceCounter(&readyAt);
        if (r == WAIT_OBJECT_0 + 1) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            Out("error", "program ended during start-up with code %lu", code);
            return 2;
        }
        // A baseline sets the event right after hiding: on a busy machine a window that shows
        // and hides within one poll would otherwise never be seen ready.
        if (r == WAIT_OBJECT_0)
            break;
        HWND w = FindProgramWindow(o, pi.dwProcessId);
        if (w) {
            if (!found)
                foundAt = readyAt;
            found = true;
            bool visible = IsWindowVisible(w) != FALSE;
            if (visible && !seenVisible)
                shownAt = readyAt;
            if (visible)
                seenVisible = true;
            else if (seenVisible && !o.readyOnEvent)
                break;
        }
        if (Millis(start, readyAt) > o.timeoutMs) {
            Out("error", "program not ready after %lu ms (window %s, seen visible %s)", o.timeoutMs,
                w ? "found" : "not found", seenVisible ? "yes" : "no");
            EndProgram(o, pi);
            return 2;
        }
    }
    Out("startup_ms", "%.1f", Millis(start, readyAt));
    // Where start-up went: until the window exists, until it shows, until ready.
    if (found)
        Out("window_created_ms", "%.1f", Millis(start, foundAt));
    if (seenVisible)
        Out("window_shown_ms", "%.1f", Millis(start, shownAt));
    Out("startup_cpu_ms", "%.1f", CpuMillis(pi.hProcess));
    Out("phase", "ready");

    Sleep(o.settleMs);
    PROCESS_MEMORY_COUNTERS_EX mem{};
    mem.cb = sizeof mem;
    if (!GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem),
                              sizeof mem))
        Fail("GetProcessMemoryInfo");
    Out("working_set_kb", "%llu", (unsigned long long)mem.WorkingSetSize / 1024);
    Out("peak_working_set_kb", "%llu", (unsigned long long)mem.PeakWorkingSetSize / 1024);
    Out("private_kb", "%llu", (unsigned long long)mem.PrivateUsage / 1024);
    Out("pagefile_kb", "%llu", (unsigned long long)mem.PagefileUsage / 1024);
    LARGE_INTEGER idleFrom, idleTo;
    QueryPerformanceCounter(&idleFrom);
    double cpuFrom = CpuMillis(pi.hProcess);
    Out("phase", "settled");

    if (WaitForSingleObject(pi.hProcess, o.idleMs) == WAIT_OBJECT_0) {
        Out("error", "program ended while idle");
        return 2;
    }
    QueryPerformanceCounter(&idleTo);
    double cpuTo = CpuMillis(pi.hProcess);
    Out("phase", "idle-end");
    Out("idle_ms", "%.1f", Millis(idleFrom, idleTo));
    Out("idle_cpu_ms", "%.2f", cpuTo - cpuFrom);
    Out("idle_cpu_percent", "%.4f", (cpuTo - cpuFrom) * 100.0 / Millis(idleFrom, idleTo));

    if (o.openWindows)
        OpenWindows(o, pi);
    EndProgram(o, pi);
    return 0;
}
