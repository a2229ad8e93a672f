// Sends the running Sundown the hand-over message with the command given on the command line
// (1 show, 2 hide, 3 exit, 4 options), as another program would. Exit code 0 when a window of
// class "TfrmSundown" was found, 1 when none, 2 on a bad argument. With "post" as second
// argument the message is posted instead of sent (so the caller does not wait for a modal
// window that the command opens).
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    char* end = nullptr;
    const unsigned long command = std::strtoul(argv[1], &end, 10);
    if (!end || *end)
        return 2;
    HWND window = FindWindowA("TfrmSundown", nullptr);
    if (!window)
        return 1;
    if (argc > 2 && std::strcmp(argv[2], "post") == 0)
        PostMessageA(window, WM_USER + 1, command, 0);
    else
        SendMessageA(window, WM_USER + 1, command, 0);
    return 0;
}
