// A bystander window for the end-to-end session test: it records the session messages it
// receives, one line each, into the file named on the command line, and ends when the session
// does. It writes "ready" once its window exists, and "gave up" after the number of seconds given
// as second argument (default 120) if the session never ends.
#include <windows.h>

#include <cstdlib>

#include "SessionRecord.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2)
        return 2;
    session::TRecord record;
    if (!record.Open(__argv[1]))
        return 3;
    const UINT seconds = __argc > 2 ? static_cast<UINT>(std::strtoul(__argv[2], nullptr, 10)) : 120;
    return session::RunRecordingWindow(
        record, instance, session::SessionWindowProc, "SundownSessionWitness", "Session witness",
        WS_OVERLAPPEDWINDOW, RECT{0, 0, 160, 80}, seconds, [&](HWND) { record.Write("ready"); });
}
