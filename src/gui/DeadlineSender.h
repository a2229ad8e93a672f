#pragma once
// Sends a window a message once a deadline has come, from a thread of its own: the message is
// handled even while the window's thread is held in a loop that delivers no timer and no posted
// message (the window system's tracking of a caption button), or while a flood of posted messages
// keeps timer messages away.
//
//   TDeadlineSender FDue;
//   FDue.Start(Handle(), WM_COUNTDOWNSPENT, AwakeMilliseconds, AwakeMilliseconds() + 5000);
//   ... FDue.Stop();                      // or let it go with its owner
//
// The message goes once, with SendNotifyMessage: the thread never waits for the window's
// thread, so stopping it from there (which waits for the thread) cannot deadlock. The message may
// still arrive after Stop or a new Start, when it was sent just before: its handler checks that
// the time has come. The thread reads the clock again at least every LookMs, so a clock that
// stood still meanwhile (a sleep played by a test) or a wait that ran on through a sleep does not
// make it early. Made, started and stopped on one thread.
#include <windows.h>

#include <thread>

#include "base/AwakeClock.h"
#include "base/Handles.h"

class TDeadlineSender {
public:
    static constexpr DWORD LookMs = 60000;

    TDeadlineSender() = default;
    ~TDeadlineSender();
    TDeadlineSender(const TDeadlineSender&) = delete;
    TDeadlineSender& operator=(const TDeadlineSender&) = delete;

    // Stops a running wait, then sends Msg to Wnd once Clock() reaches Deadline.
    // False when no thread could be had: nothing will be sent (the caller's own timer stays).
    bool Start(HWND Wnd, UINT Msg, TMillisecondClock Clock, ULONGLONG Deadline);
    // Ends the wait; nothing is sent after this returns.
    void Stop();
    bool Running() const { return FThread.joinable(); }

private:
    KernelHandle FStop;
    std::thread FThread;
};
