// Calls ExitWindows from a window and records the session messages it receives, one line each,
// into the file named on the command line. Second argument: the ExitWindowsEx flags (default 0).
// Only ever run in a throwaway Wine prefix: it really ends that prefix's session.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "system/OrbSystemInfo.h"

namespace {

const UINT WM_START = WM_APP + 1;
const UINT_PTR GiveUpTimer = 1;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct TRecorder {
    std::unique_ptr<std::FILE, FileCloser> File;
    UINT Flags = 0;

    void Write(const std::string& line) {
        if (!File)
            return;
        std::fprintf(File.get(), "%s\n", line.c_str());
        std::fflush(File.get());
    }
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* recorder = reinterpret_cast<TRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_START:
        recorder->Write("ExitWindows " + std::to_string(recorder->Flags) + " " +
                        (ExitWindows(recorder->Flags) ? "1" : "0"));
        return 0;
    case WM_QUERYENDSESSION:
        recorder->Write("WM_QUERYENDSESSION");
        return TRUE;
    case WM_ENDSESSION:
        recorder->Write("WM_ENDSESSION " + std::to_string(wParam));
        if (wParam)
            DestroyWindow(window);
        return 0;
    case WM_TIMER:
        recorder->Write("gave up waiting");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2)
        return 2;
    TRecorder recorder;
    recorder.File.reset(std::fopen(__argv[1], "wb"));
    if (!recorder.File)
        return 3;
    if (__argc > 2)
        recorder.Flags = static_cast<UINT>(std::strtoul(__argv[2], nullptr, 0));

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "SundownExitWindowsProbe";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(windowClass.lpszClassName, "ExitWindows probe",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                nullptr, instance, nullptr);
    if (!window)
        return 4;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&recorder));
    SetTimer(window, GiveUpTimer, 30000, nullptr);
    PostMessageA(window, WM_START, 0, 0);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    recorder.Write("exit");
    return 0;
}
