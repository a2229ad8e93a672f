#include "gui/DeadlineSender.h"

#include <algorithm>
#include <system_error>
#include <utility>

TDeadlineSender::~TDeadlineSender() {
    Stop();
}

bool TDeadlineSender::Start(HWND Wnd, UINT Msg, TMillisecondClock Clock, ULONGLONG Deadline) {
    Stop();
    if (!FStop)
        FStop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!FStop || !Wnd)
        return false;
    ResetEvent(FStop.get());
    try {
        FThread = std::thread([Wnd, Msg, Deadline, Clock = std::move(Clock), stop = FStop.get()] {
            for (;;) {
                const ULONGLONG now = Clock();
                if (now >= Deadline) {
                    SendNotifyMessageA(Wnd, Msg, 0, 0);
                    return;
                }
                const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(Deadline - now, LookMs));
                if (WaitForSingleObject(stop, wait) != WAIT_TIMEOUT)
                    return;
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TDeadlineSender::Stop() {
    if (!FThread.joinable())
        return;
    SetEvent(FStop.get());
    FThread.join();
}
