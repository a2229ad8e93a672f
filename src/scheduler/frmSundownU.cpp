#include "scheduler/frmSundownU.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <utility>

#include "resource.h"
#include "about/frmAboutU.h"
#include "base/Assert.h"
#include "base/ScopeExit.h"
#include "gui/Application.h"
#include "gui/DragMove.h"
#include "scheduler/commonU.h"
#include "scheduler/frmExitConfimU.h"
#include "scheduler/frmOptionsU.h"
#include "settings/ProgramKeys.h"
#include "system/OrbCommon.h"
#include "update/OrbAutoUpdate.h"

TfrmSundown* frmSundown = nullptr;

namespace {

// Sent by the alarm's own thread when the alarm time comes.
constexpr UINT WM_ALARMDUE = WM_APP + 2;

bool TaskbarAtBottom(const RECT& Taskbar, SIZE Screen) {
    return !IsRectEmpty(&Taskbar) && Taskbar.top > 0 && Taskbar.top < Screen.cy &&
           Taskbar.bottom >= Screen.cy;
}

} // namespace

POINT MainWindowPosition(SIZE Window, const RECT& Taskbar, SIZE Screen, const RECT& WorkArea) {
    if (TaskbarAtBottom(Taskbar, Screen))
        return {Screen.cx - Window.cx, Taskbar.top - Window.cy};
    // Above the screen's top edge the window would be invisible: stand in the work area.
    return {WorkArea.right - Window.cx, WorkArea.bottom - Window.cy};
}

int64_t WarningBalloonTime(int Seconds) {
    if (Seconds <= 0)
        return 0;
    return std::min<int64_t>(static_cast<int64_t>(Seconds) * 1000, INT_MAX);
}

// The main window is made right after FormCreate (a second copy finds it by its class), with
// everything set here and where FormCreate places it.
TfrmSundown::TfrmSundown() : TForm("TfrmSundown") {
    SetBorderStyle(bsNone);
    SetCaption("Sundown");
    SetColor(clBtnFace);
    SetFont(TFont("Tahoma", -11));
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnActivate = [this](TObject* Sender) { FormActivate(Sender); };
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
        FormMouseDown(Sender, Button, Shift, X, Y);
    };
    // The program never holds up the end of the session.
    SetMessageHandler(WM_QUERYENDSESSION, [](TMessage& Message) { Message.Result = TRUE; });
    SetMessageHandler(WM_ENDSESSION, [this](TMessage& Message) { WMEndSession(Message); });
    SetMessageHandler(WM_INSTANCECOMMAND,
                      [this](TMessage& Message) { WMInstanceCommand(Message); });
    SetMessageHandler(WM_ALARMDUE, [this](TMessage& Message) { WMAlarmDue(Message); });

    VERIFY(ImageListTrayIcon.AddResourceIcon(IDI_TRAY_ARMED) >= 0);
    VERIFY(ImageListTrayIcon.AddResourceIcon(IDI_TRAY_DISARMED) >= 0);
    ActionManager.SetImages(&ImageListMain);

    struct TActionSetup {
        TAction& Action;
        const char* Caption;
        const char* Category;
        int ImageIndex;
        void (TfrmSundown::*Handler)(TObject*);
    };
    const TActionSetup actions[] = {
        {ActionOptions, "Options", "", 1, &TfrmSundown::ActionOptionsExecute},
        {ActionExit, "E&xit", "", 2, &TfrmSundown::ActionExitExecute},
        {ActionShowApplication, "Open", "", 3, &TfrmSundown::ActionShowApplicationExecute},
        {ActionAbout, "About", "", 0, &TfrmSundown::ActionAboutExecute},
        {ActionHideApplication, "Hide", "", -1, &TfrmSundown::ActionHideApplicationExecute},
        {ActionLogoff, "Logoff", "Tasks", 5, &TfrmSundown::ActionLogoffExecute},
        {ActionRestart, "Restart", "Tasks", 6, &TfrmSundown::ActionRestartExecute},
        {ActionShutdown, "Shutdown", "Tasks", 6, &TfrmSundown::ActionShutdownExecute},
        {ActionActive, "Active", "Tasks", -1, &TfrmSundown::ActionActiveExecute},
    };
    for (const TActionSetup& a : actions) {
        a.Action.SetCaption(a.Caption);
        a.Action.SetCategory(a.Category);
        a.Action.SetImageIndex(a.ImageIndex);
        a.Action.OnExecute = [this, handler = a.Handler](TObject* Sender) {
            (this->*handler)(Sender);
        };
    }
    ActionActive.OnUpdate = [this](TObject* Sender) { ActionActiveUpdate(Sender); };
    Clock.OnAlarm = [this](TObject* Sender) { ClockAlarm(Sender); };

    PopupActionBarTrayIcon.SetImages(&ImageListMain);
    // The actions' pictures show in the tray menu only: they are read when it first opens.
    PopupActionBarTrayIcon.OnPopup = [this](TObject*) {
        if (ImageListMain.Count() == 0)
            VERIFY(ImageListMain.AddResourceBitmap(IDB_ACTIONS, RGB(255, 0, 255)) >= 0);
    };
    Open1.SetAction(&ActionShowApplication);
    Open1.SetDefault(true);
    N2.SetCaption("-");
    asks1.SetCaption("Tasks");
    Active1.SetAction(&ActionActive);
    Logoff1.SetAction(&ActionLogoff);
    Restart1.SetAction(&ActionRestart);
    Shutdown1.SetAction(&ActionShutdown);
    Options1.SetAction(&ActionOptions);
    About1.SetAction(&ActionAbout);
    N1.SetCaption("-");
    Exit1.SetAction(&ActionExit);

    TrayIcon.SetIcons(&ImageListTrayIcon);
    TrayIcon.SetIconIndex(0);
    TrayIcon.SetPopupMenu(&PopupActionBarTrayIcon);
    TrayIcon.SetVisibility(tvVisibleTaskBar | tvVisibleTaskList | tvAutoHide | tvRestoreDbClick);

    FDeferTimer.SetEnabled(false);
    FDeferTimer.SetInterval(50);
    FDeferTimer.OnTimer = [this](TObject*) { RunDeferred(); };

    SetClientSize(491, 271);

    pnlBackground.SetAlign(alClient);
    pnlBackground.SetCaption("Sundown");
    pnlBackground.SetHeaderFont(TFont("Tahoma", -11, fsBold));
    pnlBackground.OnClose = [this](TObject* Sender) { ActionHideApplicationExecute(Sender); };
    pnlBackground.OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift,
                                       int X,
                                       int Y) { FormMouseDown(Sender, Button, Shift, X, Y); };

    pnlTop.SetAlign(alTop);
    pnlTop.SetHeight(57);
    pnlTop.SetBevelKind(bkTile);
    pnlTop.SetBevelOuter(bvNone);
    pnlTop.SetBorderWidth(1);
    pnlTop.SetColor(clWindow);

    Clock.SetAlign(alLeft);
    Clock.SetWidth(216);
    Clock.SetBevelOuter(bvNone);
    Clock.SetBevelInner(bvNone);
    Clock.SetColor(clWindow);
    Clock.SetDateFormat("d/MM/yyyy");
    Clock.SetTwelveHour(true);
    Clock.SetLeadingZero(false);

    pnlButtons.SetAlign(alClient);
    pnlButtons.SetBevelOuter(bvNone);
    pnlButtons.SetColor(clWindow);

    btnOptions.SetBounds(95, 8, 77, 29);
    btnOptions.SetAction(&ActionOptions);

    pnlMain.SetAlign(alClient);
    pnlMain.SetBevelKind(bkTile);
    pnlMain.SetBevelOuter(bvNone);

    MonthCalendar.SetAlign(alClient);
    MonthCalendar.SetWeekNumbers(true);
}

void TfrmSundown::FormCreate(TObject*) {
    FActivated = false;
    FCanClose = false;

    RECT taskbar{};
    GetTaskbarRect(taskbar);
    RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    const POINT p = MainWindowPosition(
        {Width(), Height()}, taskbar,
        {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, workArea);
    SetBounds(p.x, p.y, Width(), Height());

    FSettings = std::make_unique<TProgramSettings>();
    FSettings->SetSettingsStore(ssINIFile);
    FSettings->SetINIFileName(GetAppDataFolder() + "settings.ini");

    // The update window stays switched off; it only borrows the settings object.
    FAutoUpdateForm = std::make_unique<TfrmAutoUpdate>(this);
    FAutoUpdateForm->SetProgramSettings(FSettings.get());
}

void TfrmSundown::FormActivate(TObject*) {
    if (FActivated)
        return;
    FActivated = true;
    // The settings give the icon its image and tip, so the shell is asked once, not twice. A
    // refused setting still leaves the icon in the tray, disarmed.
    try {
        LoadSettings();
    } catch (...) {
        TrayIcon.SetActive(true);
        throw;
    }
    TrayIcon.SetActive(true);
    ActionHideApplication.Execute();
}

void TfrmSundown::LoadSettings() {
    FSettings->Clear();
    RegisterProgramKeys(*FSettings, GetDefaultApplicationName(), DefaultUpdateURL);
    FSettings->LoadDefaults();
    FSettings->Load();
    ApplyAlarm();
    UpdateTrayIcon();
}

void TfrmSundown::SaveSettings() {
    FSettings->Save();
}

void TfrmSundown::FormCloseQuery(TObject*, bool& CanClose) {
    CanClose = FCanClose;
    if (!CanClose)
        TrayIcon.HideApplication();
}

void TfrmSundown::FormClose(TObject*, TCloseAction&) {
    try {
        SaveSettings();
    } catch (...) {
        // The program ends all the same; only a user's Exit hears of the failure.
        if (!FQuietExit)
            Application().HandleException(this);
    }
}

void TfrmSundown::FormDestroy(TObject*) {
    FAlarmDue.Stop();
    FSettings.reset();
}

void TfrmSundown::FormMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button != mbLeft)
        return;
    DragMove(Handle());
}

void TfrmSundown::ActionExitExecute(TObject*) {
    FCanClose = true;
    FAlarmDue.Stop();
    // A countdown left running would stand on screen, or confirm, behind the box of a failed save.
    if (frmExitConfirm)
        frmExitConfirm->Withdraw();
    Close();
}

void TfrmSundown::ExitQuietly() {
    FQuietExit = true;
    ActionExit.Execute();
}

void TfrmSundown::ActionShowApplicationExecute(TObject*) {
    TrayIcon.ShowApplication();
}

void TfrmSundown::ActionHideApplicationExecute(TObject*) {
    TrayIcon.HideApplication();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    MonthCalendar.SetToday(now);
    MonthCalendar.SetDateFirst(now);
}

void TfrmSundown::ActionOptionsExecute(TObject*) {
    if (RaiseCountdown() || Defer(FOptionsPending))
        return;
    // A request before the first activation finds no keys yet: load them first.
    if (FSettings->Count() == 0)
        LoadSettings();
    if (frmOptions->Execute(FSettings.get()) != mrOk)
        return;
    // The confirmed values rule the alarm and the icon even when they cannot be written.
    std::exception_ptr saveFailure;
    try {
        SaveSettings();
    } catch (...) {
        saveFailure = std::current_exception();
    }
    ApplyAlarm();
    UpdateTrayIcon();
    if (saveFailure)
        std::rethrow_exception(saveFailure);
}

void TfrmSundown::ActionAboutExecute(TObject*) {
    if (RaiseCountdown() || Defer(FAboutPending))
        return;
    // The tray menu works while the About window is open: a second request only raises it.
    if (frmAbout->Visible()) {
        frmAbout->BringToFront();
        return;
    }
    frmAbout->ShowModal();
}

void TfrmSundown::WMEndSession(TMessage& Message) {
    ExitQuietly();
    Message.Result = 0;
}

void TfrmSundown::WMInstanceCommand(TMessage& Message) {
    Message.Result = 0;
    switch (Message.WParam) {
    case icShow:
        ActionShowApplication.Execute();
        break;
    case icHide:
        ActionHideApplication.Execute();
        break;
    case icExit:
        // Another program waits for the reply: no message box may hold it up.
        ExitQuietly();
        break;
    case icOptions:
        ActionOptions.Execute();
        break;
    default:
        break;
    }
}

void TfrmSundown::ApplyAlarm() {
    Clock.SetAlarmEnabled(FSettings->GetValue(key::Enabled).AsBoolean());
    try {
        Clock.SetAlarmHour(FSettings->GetValue(key::Hour).AsInteger());
        Clock.SetAlarmMinute(FSettings->GetValue(key::Minute).AsInteger());
    } catch (...) {
        // A refused time must not leave the alarm armed at the previous one.
        Clock.SetAlarmEnabled(false);
        ArmAlarmDue();
        UpdateTrayIcon();
        throw;
    }
    ArmAlarmDue();
}

void TfrmSundown::ArmAlarmDue() {
    if (!Clock.AlarmEnabled() || Ending()) {
        FAlarmDue.Stop();
        return;
    }
    // The time of day may be set meanwhile: a look every minute follows it.
    const auto wait = std::min<long long>(Clock.MillisecondsToAlarm(), TDeadlineSender::LookMs);
    FAlarmDue.Start(Handle(), WM_ALARMDUE, AwakeMilliseconds,
                    AwakeMilliseconds() + static_cast<ULONGLONG>(wait));
}

// The clock's ticks may be held: this thread in a loop that runs no timer, or a flood of
// messages before them.
void TfrmSundown::WMAlarmDue(TMessage& Message) {
    Message.Result = 0;
    ArmAlarmDue();
    // A countdown on screen keeps its own hold of the mouse: this alarm would start nothing.
    if (FWarningRunning || !Clock.AlarmDue())
        return;
    // A loop holding the mouse (a close box pressed) ends at the button-up posted for it; the
    // alarm runs once it has returned.
    if (!Application().InSystemLoop() && Application().EndMouseHold()) {
        PostMessageA(Handle(), WM_ALARMDUE, 0, 0);
        return;
    }
    Clock.Tick();
}

void TfrmSundown::UpdateTrayIcon() {
    const auto exitType =
        static_cast<uint8_t>(FSettings->GetValue(key::ExitWindowsType).AsInteger());
    TrayIcon.SetIconIndexAndHint(Clock.AlarmEnabled() ? 0 : 1,
                                 "Workstation will " + ExitTypeName(exitType) + " at " +
                                     TwoDigits(FSettings->GetValue(key::Hour).AsInteger()) + ":" +
                                     TwoDigits(FSettings->GetValue(key::Minute).AsInteger()));
}

void TfrmSundown::ClockAlarm(TObject*) {
    const int warning = FSettings->GetValue(key::Warning).AsInteger();
    const int exitType = FSettings->GetValue(key::ExitWindowsType).AsInteger();
    ExitWindowsWithWarning(static_cast<uint8_t>(exitType), warning);
}

void TfrmSundown::ExitWindowsWithWarning(uint8_t ExitType, int Seconds) {
    // One countdown at a time: the one on screen keeps its count and its result. Once the user
    // has chosen Exit (its box may still be open), nothing ends the session any more.
    if (Ending() || FWarningRunning || FWarningPending)
        return;
    FPendingWarning = {ExitType, Seconds};
    if (Defer(FWarningPending))
        return;
    FWarningRunning = true;
    const TScopeExit warningEnd([this] {
        TrayIcon.HideBalloon();
        FWarningRunning = false;
    });

    TrayIcon.BalloonHint("Warning",
                         "Workstation will " + ExitTypeName(ExitType) + " in " +
                             std::to_string(Seconds) + " second(s)",
                         btWarning, WarningBalloonTime(Seconds));
    // Exit, command 3 or the session's end may have come while the countdown ran.
    if (frmExitConfirm->Execute(ExitType, Seconds) != mrOk || Ending())
        return;
    switch (ExitType) {
    case etLogoff:
        ExitWindows(EWX_LOGOFF, SessionApi);
        break;
    case etRestart:
        ExitWindows(EWX_REBOOT, SessionApi);
        break;
    case etShutdown:
        ExitWindows(EWX_SHUTDOWN | EWX_POWEROFF, SessionApi);
        break;
    default:
        break;
    }
    ExitQuietly();
}

bool TfrmSundown::RaiseCountdown() {
    if (!frmExitConfirm->Modal())
        return false;
    frmExitConfirm->Activate();
    return true;
}

bool TfrmSundown::Ending() const {
    return FCanClose || Application().Terminated();
}

bool TfrmSundown::Defer(bool& Pending) {
    if (!Application().InSystemLoop())
        return false;
    Pending = true;
    EndLoopForDeferred();
    FDeferTimer.SetEnabled(true);
    return true;
}

// The countdown waits for no loop; the options and About windows wait for a move to end.
void TfrmSundown::EndLoopForDeferred() {
    if (FWarningPending)
        Application().EndSystemLoop();
    else
        EndMenu();
}

void TfrmSundown::RunDeferred() {
    if (Application().InSystemLoop()) {
        EndLoopForDeferred();
        return;
    }
    FDeferTimer.SetEnabled(false);
    // The countdown first; what else was asked for comes after it unless the program is ending.
    if (std::exchange(FWarningPending, false) && !Ending())
        ExitWindowsWithWarning(FPendingWarning.ExitType, FPendingWarning.Seconds);
    if (std::exchange(FOptionsPending, false) && !Ending())
        ActionOptions.Execute();
    if (std::exchange(FAboutPending, false) && !Ending())
        ActionAbout.Execute();
}

void TfrmSundown::ActionLogoffExecute(TObject*) {
    ExitWindowsWithWarning(etLogoff, FSettings->GetValue(key::Warning).AsInteger());
}

void TfrmSundown::ActionRestartExecute(TObject*) {
    ExitWindowsWithWarning(etRestart, FSettings->GetValue(key::Warning).AsInteger());
}

void TfrmSundown::ActionShutdownExecute(TObject*) {
    ExitWindowsWithWarning(etShutdown, FSettings->GetValue(key::Warning).AsInteger());
}

void TfrmSundown::ActionActiveUpdate(TObject*) {
    ActionActive.SetChecked(Clock.AlarmEnabled());
}

void TfrmSundown::ActionActiveExecute(TObject*) {
    Clock.SetAlarmEnabled(!Clock.AlarmEnabled());
    ArmAlarmDue();
    UpdateTrayIcon();
}
