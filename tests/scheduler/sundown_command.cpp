// Drives the running Sundown from outside, as another program or the user would.
//
//   sundown_command <n> [post]          sends (or posts) the hand-over message with command n
//                                       (1 show, 2 hide, 3 exit, 4 options); a send returns when
//                                       Sundown has handled it (command 4: when the options
//                                       window has closed), a post returns at once
//   sundown_command endsession          sends WM_ENDSESSION (wParam 1), as the session's end does
//   sundown_command state <class>       the top-level window of that class: exit code 0 shown and
//                                       enabled, 3 shown but disabled, 4 hidden (1: none made yet)
//   sundown_command click <class> <text>  presses the middle of that window's child with the
//                                       text with the real mouse
//
// Exit code 1 when no window of class "TfrmSundown" (or of the class given) was found, 2 on bad
// arguments; either is explained on the standard error.
#include <windows.h>

#include <cstdio>
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

int Usage() {
    std::fputs("usage: sundown_command <1|2|3|4> [post] | endsession | state <class> |"
               " click <class> <text>\n"
               "  1 show, 2 hide, 3 exit, 4 options (waits until the options window closes;"
               " with post: returns at once)\n",
               stderr);
    return 2;
}

int NotFound(const char* className) {
    if (std::strcmp(className, "TfrmSundown") == 0)
        std::fputs("No Sundown is running.\n", stderr);
    else
        std::fprintf(stderr, "No window of class %s.\n", className);
    return 1;
}

// A command number: 1 to 4.
bool ParseCommand(const char* text, unsigned long& command) {
    if (std::strlen(text) != 1 || text[0] < '1' || text[0] > '4')
        return false;
    command = static_cast<unsigned long>(text[0] - '0');
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const std::string verb = argv[1];
    if (verb == "state" || verb == "click") {
        if (argc != (verb == "click" ? 4 : 3))
            return Usage();
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window)
            return NotFound(argv[2]);
        if (verb == "click") {
            if (Click(window, argv[3]) == 0)
                return 0;
            std::fprintf(stderr, "No control \"%s\" in the window of class %s.\n", argv[3],
                         argv[2]);
            return 1;
        }
        if (!IsWindowVisible(window))
            return 4;
        return IsWindowEnabled(window) ? 0 : 3;
    }
    unsigned long command = 0;
    const bool endSession = verb == "endsession" && argc == 2;
    const bool post = argc == 3 && std::strcmp(argv[2], "post") == 0;
    if (!endSession && (!ParseCommand(argv[1], command) || (argc > 2 && !post)))
        return Usage();
    HWND window = FindWindowA("TfrmSundown", nullptr);
    if (!window)
        return NotFound("TfrmSundown");
    if (endSession)
        SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    else if (post)
        PostMessageA(window, WM_USER + 1, command, 0);
    else
        SendMessageA(window, WM_USER + 1, command, 0);
    return 0;
}
