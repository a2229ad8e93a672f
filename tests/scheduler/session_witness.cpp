// A bystander window for the end-to-end session test: it records the session messages it
// receives, one line each, into the file named on the command line, and ends when the session
// does. It writes "ready" once its window exists, and "gave up" after the number of seconds given
// as second argument (default 120) if the session never ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
std::unique_ptr<std::FILE, FileCloser> Record;

void Write(const std::string& line) {
    std::fprintf(Record.get(), "%s\n", line.c_str());
    std::fflush(Record.get());
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
        Write("WM_QUERYENDSESSION");
        return TRUE;
    case WM_ENDSESSION:
        Write("WM_ENDSESSION " + std::to_string(wParam));
        if (wParam)
            DestroyWindow(window);
        return 0;
    case WM_TIMER:
        Write("gave up");
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
    Record.reset(std::fopen(__argv[1], "wb"));
    if (!Record)
        return 3;
    const UINT seconds = __argc > 2 ? static_cast<UINT>(std::strtoul(__argv[2], nullptr, 10)) : 120;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "SundownSessionWitness";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(windowClass.lpszClassName, "Session witness", WS_OVERLAPPEDWINDOW,
                                0, 0, 160, 80, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 4;
    SetTimer(window, 1, seconds * 1000, nullptr);
    Write("ready");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Write("exit");
    return 0;
}
