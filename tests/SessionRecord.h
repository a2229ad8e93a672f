#pragma once
// For the programs that end-to-end session tests start: a record file written one line at a time,
// and a window that records the session messages it receives and ends with the session.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace session {

class TRecord {
public:
    bool Open(const char* path) {
        FFile.reset(std::fopen(path, "wb"));
        return FFile != nullptr;
    }

    // Flushed at once: the session may end the program at any moment.
    void Write(const std::string& line) {
        if (!FFile)
            return;
        std::fprintf(FFile.get(), "%s\n", line.c_str());
        std::fflush(FFile.get());
    }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> FFile;
};

// The record a window writes to, set by RunRecordingWindow.
inline TRecord* RecordOf(HWND window) {
    return reinterpret_cast<TRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Records WM_QUERYENDSESSION (and agrees) and WM_ENDSESSION (a session that ends ends the
// window); the give-up timer records "gave up" and ends the window as well.
inline LRESULT SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TRecord* record = RecordOf(window);
    switch (message) {
    case WM_QUERYENDSESSION:
        if (record)
            record->Write("WM_QUERYENDSESSION");
        return TRUE;
    case WM_ENDSESSION:
        if (record)
            record->Write("WM_ENDSESSION " + std::to_string(wParam));
        if (wParam)
            DestroyWindow(window);
        return 0;
    case WM_TIMER:
        if (record)
            record->Write("gave up");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Creates a window of a class of its own with the given procedure (which passes what it does not
// handle on to SessionWindowProc), gives up after the given seconds, calls started with the window,
// runs the message loop and records "exit" at its end. The result: 0, or 4 if no window.
template <typename Started>
int RunRecordingWindow(TRecord& record, HINSTANCE instance, WNDPROC procedure,
                       const char* className, const char* caption, DWORD style, RECT bounds,
                       UINT seconds, Started started) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(className, caption, style, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr,
                                nullptr, instance, nullptr);
    if (!window)
        return 4;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&record));
    SetTimer(window, 1, seconds * 1000, nullptr);
    started(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    record.Write("exit");
    return 0;
}

} // namespace session
