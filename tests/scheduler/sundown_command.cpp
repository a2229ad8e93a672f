// Drives the running Sundown from outside, as another program or the user would.
//
//   sundown_command <n> [post]          sends (or posts) the hand-over message with command n
//                                       (1 show, 2 hide, 3 exit, 4 options); a post does not wait
//                                       for a modal window that the command opens
//   sundown_command endsession          sends WM_ENDSESSION (wParam 1), as the session's end does
//   sundown_command state <class>       the top-level window of that class: exit code 0 shown and
//                                       enabled, 3 shown but disabled, 4 hidden (1: none made yet)
//   sundown_command click <class> <text>  presses the middle of that window's child with the
//                                       text with the real mouse
//
// Exit code 1 when no window of class "TfrmSundown" (or of the class given) was found, 2 on bad
// arguments.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct TSearch {
    std::string Text;
    HWND Found = nullptr;
};

BOOL CALLBACK FindText(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<TSearch*>(data);
    char text[64] = {};
    GetWindowTextA(child, text, sizeof(text));
    if (search->Text != text)
        return TRUE;
    search->Found = child;
    return FALSE;
}

int Click(HWND window, const char* text) {
    TSearch search{text};
    EnumChildWindows(window, FindText, reinterpret_cast<LPARAM>(&search));
    if (!search.Found)
        return 1;
    RECT r{};
    GetWindowRect(search.Found, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string verb = argv[1];
    if (verb == "state" || verb == "click") {
        if (argc < 3 || (verb == "click" && argc < 4))
            return 2;
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window)
            return 1;
        if (verb == "click")
            return Click(window, argv[3]);
        if (!IsWindowVisible(window))
            return 4;
        return IsWindowEnabled(window) ? 0 : 3;
    }
    HWND window = FindWindowA("TfrmSundown", nullptr);
    if (verb == "endsession") {
        if (!window)
            return 1;
        SendMessageA(window, WM_ENDSESSION, TRUE, 0);
        return 0;
    }
    char* end = nullptr;
    const unsigned long command = std::strtoul(argv[1], &end, 10);
    if (!end || *end)
        return 2;
    if (!window)
        return 1;
    if (argc > 2 && std::strcmp(argv[2], "post") == 0)
        PostMessageA(window, WM_USER + 1, command, 0);
    else
        SendMessageA(window, WM_USER + 1, command, 0);
    return 0;
}
