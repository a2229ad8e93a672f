#include "scheduler/frmExitConfimU.h"

#include <algorithm>

#include "resource.h"
#include "base/Assert.h"
#include "base/Exception.h"
#include "gui/Application.h"
#include "scheduler/commonU.h"
#include "scheduler/OkCancelPanel.h"

TfrmExitConfirm* frmExitConfirm = nullptr;

namespace {

// Sent by the window's own thread when the count is spent.
constexpr UINT WM_COUNTDOWNSPENT = WM_APP + 1;

} // namespace

// The windows are made when the countdown first runs, with everything set here.
TfrmExitConfirm::TfrmExitConfirm() : TForm("TfrmExitConfirm") {
    SetCaption("Exit Windows Confim");
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetColor(clBtnFace);
    SetFont(TFont("Tahoma", -11));
    SetPosition(poDesktopCenter);
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
    OnModalMessage = [this](TObject*) { CountDown(); };
    SetMessageHandler(WM_COUNTDOWNSPENT, [this](TMessage& Message) {
        Message.Result = 0;
        if (Modal())
            CountDown();
    });
    // Whatever had the focus at the last use, each showing starts on the first in Tab order.
    OnActivate = [this](TObject*) {
        if (FFocusCancel) {
            FFocusCancel = false;
            btnCancel.SetFocus();
        }
    };

    memoAlert.SetAlignment(taCenter);
    memoAlert.SetBevelKind(bkTile);
    memoAlert.SetBorderStyle(bsNone);
    memoAlert.SetColor(clBtnFace);
    memoAlert.SetFont(TFont("Tahoma", -15));
    memoAlert.SetReadOnly(true);
    memoAlert.SetWordWrap(true);
    imgShutdown.SetAlign(alLeft);
    imgShutdown.SetCenter(true);
    imgShutdown.SetTransparent(true);
    VERIFY(imgShutdown.LoadFromResource(IDB_SHUTDOWN));

    TimerConfirm.SetEnabled(false);
    TimerConfirm.SetInterval(1000);
    TimerConfirm.OnTimer = [this](TObject* Sender) { TimerConfirmTimer(Sender); };

    SetClientSize(404, 178);

    LayOutOkCancel(pnlButtons, pnlMain, btnOk, btnCancel, 323);

    imgShutdown.SetWidth(68);

    memoAlert.SetAlign(alClient);
    memoAlert.SetTabOrder(0);
}

int TfrmExitConfirm::Execute(uint8_t ExitType, int Seconds) {
    // Another exit request while a countdown is on screen: that countdown keeps its timer, count
    // and result, and this request starts nothing.
    if (Modal() || Visible())
        return mrCancel;

    TimerConfirm.SetEnabled(false);
    FSeconds = Seconds;
    FSecondsLeft = Seconds;
    btnOk.SetCaption("Ok");
    memoAlert.Lines().Clear();
    memoAlert.Lines().Add("WARNING");
    memoAlert.Lines().Add("");
    memoAlert.Lines().Add(Format("Windows will automatically %s in %d second(s), to continue "
                                 "working please click cancel.",
                                 ExitTypeName(ExitType).c_str(), FSecondsLeft));
    FFocusCancel = true;
    // A window left holding the mouse (a scroll bar's drag) would take the first click on Cancel.
    Application().EndMouseHold();
    const int result = ShowModal();
    TimerConfirm.SetEnabled(false);
    FTimeUp.Stop();
    FFocusCancel = false;
    return result;
}

void TfrmExitConfirm::Withdraw() {
    if (!Modal())
        return;
    SetModalResult(mrCancel);
    TimerConfirm.SetEnabled(false);
    FTimeUp.Stop();
    Hide();
}

void TfrmExitConfirm::FormShow(TObject*) {
    FShownAt = AwakeClock();
    FTicks = 0;
    TimerConfirm.SetEnabled(true);
    const auto length = static_cast<ULONGLONG>(std::max(FSeconds, 0)) + 1;
    FTimeUp.Start(Handle(), WM_COUNTDOWNSPENT, AwakeClock, FShownAt + length * 1000);
}

void TfrmExitConfirm::TimerConfirmTimer(TObject*) {
    ++FTicks;
    CountDown();
}

void TfrmExitConfirm::CountDown() {
    if (ModalResult() != mrNone)
        return;
    // A tick counts for its whole second even when the clock reads it a little short, as the
    // system's timers may come a clock step early.
    const ULONGLONG seconds = std::max(AwakeClock() - FShownAt, FTicks * 1000) / 1000;
    // N seconds show N-1 .. 0 in seconds 1 .. N and confirm in second N+1 (the first, for none).
    if (seconds > static_cast<ULONGLONG>(std::max(FSeconds, 0))) {
        SetModalResult(mrOk);
        // A menu or a move left open (the tray's menu, this window moved, another window moved)
        // would hold the modal run, and with it the end of the session, until someone ends it.
        Application().EndSystemLoop();
        return;
    }
    const int left = FSeconds - static_cast<int>(seconds);
    if (left < FSecondsLeft) {
        FSecondsLeft = left;
        btnOk.SetCaption(Format("Ok (%d)", FSecondsLeft));
        BringToFront();
    }
}
