#pragma once
// TfrmExitConfirm: the countdown before the session ends. Execute states what will happen and in
// how many seconds, counts down once a second on the Ok button and confirms by itself when the
// count has run out; Cancel, the close box or Alt+F4 stop it.
//
//   Application().CreateForm(frmExitConfirm);            // once, second form of the program
//   if (frmExitConfirm->Execute(etShutdown, 60) == mrOk)  // mrOk (1) or mrCancel (2)
//       ExitWindows(EWX_SHUTDOWN | EWX_POWEROFF);
//
// The count follows the clock from the showing, on time that stops while the machine sleeps (a
// countdown shown before a laptop was closed goes on where it stood when it wakes): whatever
// holds timer messages back (a flood of other messages, a busy machine), each tick shows the
// seconds left by the clock, and the window confirms once its time is up. A thread of its own
// tells the window when the time is up, so that the confirmation also comes while this thread is
// held in a loop of the window system that delivers no timer (the mouse held on the close box).
// When the count is spent, a menu, a move of a window or a hold of the mouse left open is ended:
// nothing waits for the user. A mouse capture held when the window shows is ended first, so the
// first click on Cancel cancels.
//
// Withdraw takes a running countdown off the screen unconfirmed: the program is ending.
//
// The window stays above normal windows and is centred on the desktop. Neither button answers
// Enter or Esc by itself: Enter presses the focused button, which is Cancel when the window
// shows. An Execute while the window is already up (another exit request during a countdown)
// returns mrCancel at once and leaves the running countdown alone.
#include <cstdint>

#include "base/AwakeClock.h"
#include "gui/DeadlineSender.h"
#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/Memo.h"
#include "gui/Panel.h"
#include "gui/Timer.h"
#include "widgets/JvXPButton.h"

class TfrmExitConfirm : public TForm {
public:
    TfrmExitConfirm();

    // ExitType: 0 log off, 1 restart, 2 shut down (others name no action); Seconds: the length
    // of the countdown. Returns mrOk when confirmed (Ok or the count ran out), else mrCancel.
    int Execute(uint8_t ExitType, int Seconds);

    // The program is ending: a running countdown ends unconfirmed, hidden at once, whatever
    // waits before its run looks again (a message box).
    void Withdraw();

    void FormShow(TObject* Sender);
    void TimerConfirmTimer(TObject* Sender);

    // The time the count is kept on (AwakeMilliseconds); tests put in their own to play a sleep.
    TMillisecondClock AwakeClock = AwakeMilliseconds;

    TPanel pnlButtons{this};
    TPanel pnlMain{this};
    TJvXPButton btnCancel{&pnlButtons};
    TJvXPButton btnOk{&pnlButtons};
    TTimer TimerConfirm;
    TMemo memoAlert{&pnlMain};
    TImage imgShutdown{&pnlMain};

private:
    // One step of the count by the clock; confirms once the time is up.
    void CountDown();

    int FSeconds = 0;
    int FSecondsLeft = 0;
    // When the window showed (AwakeClock) and the ticks since.
    ULONGLONG FShownAt = 0;
    ULONGLONG FTicks = 0;
    // Tells the window when its time is up, from outside its message loop.
    TDeadlineSender FTimeUp;
    // The next activation puts the focus on btnCancel, whatever had it at the last use.
    bool FFocusCancel = false;
};

extern TfrmExitConfirm* frmExitConfirm;
