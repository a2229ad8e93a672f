// Calls ExitWindows from a window and records the session messages it receives, one line each,
// into the file named on the command line. Second argument: the ExitWindowsEx flags (default 0).
// Only ever run in a throwaway Wine prefix: it really ends that prefix's session.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "SessionRecord.h"
#include "system/OrbSystemInfo.h"

namespace {

const UINT WM_START = WM_APP + 1;
// The record, and the flags to end the session with.
struct TProbe : session::TRecord {
    UINT Flags = 0;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_START)
        return session::SessionWindowProc(window, message, wParam, lParam);
    auto* probe = static_cast<TProbe*>(session::RecordOf(window));
    probe->Write("ExitWindows " + std::to_string(probe->Flags) + " " +
                 (ExitWindows(probe->Flags) ? "1" : "0"));
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2)
        return 2;
    TProbe probe;
    if (!probe.Open(__argv[1]))
        return 3;
    if (__argc > 2)
        probe.Flags = static_cast<UINT>(std::strtoul(__argv[2], nullptr, 0));
    return session::RunRecordingWindow(probe, instance, WindowProc, "SundownExitWindowsProbe",
                                       "ExitWindows probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       RECT{10, 10, 210, 110}, 30,
                                       [](HWND window) { PostMessageA(window, WM_START, 0, 0); });
}
