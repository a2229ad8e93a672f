#pragma once
// TfrmSundown: the program's main window and its icon in the notification area. A borderless
// panel in the bottom-right corner of the screen with a clock, an Options button and a month
// calendar; it spends most of its life hidden, the tray icon's menu carrying every command.
//
//   Application().CreateForm(frmSundown);   // places itself, creates the settings object
//   Application().Run();                    // first activation: tray icon on, settings loaded,
//                                           // alarm armed, window hidden to the tray
//
// The window owns the settings ("settings.ini" under the application-data folder named after
// the application title); they are loaded at the first activation and written on every exit and
// after the options window is confirmed. It answers the hand-over message WM_INSTANCECOMMAND
// (wParam 1 show, 2 hide, 3 exit, 4 options) and the session's end (it always consents, and
// exits saving its settings at WM_ENDSESSION).
//
// The daily alarm, the tray hint and image, and the warning that ends the session (balloon,
// countdown window, ExitWindows, exit) live here too. One warning runs at a time: a second
// request while the countdown is open starts nothing, and a request for the options or About
// window only brings the countdown to the front. A modal window asked for inside a menu or a
// move loop (the tray menu open, the window dragged) starts once that loop has returned; the
// countdown ends the loop first. A thread of the window's own tells it when the alarm time comes,
// so that neither a loop of the window system that delivers no timer (the mouse held on a close
// box) nor a flood of messages loses the day's alarm: a hold of the mouse is ended, then the
// alarm runs as a tick would run it. Once the program is ending (Exit, command 3, the session's
// end), no countdown starts, a running one is taken off the screen unconfirmed, and nothing ends
// the session.
//
// Exiting always ends the program. A failed save is reported only when the user chose Exit from
// the tray menu; at the session's end, command 3 and after a confirmed countdown nothing shows.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "gui/Action.h"
#include "gui/DeadlineSender.h"
#include "gui/Form.h"
#include "gui/ImageList.h"
#include "gui/Menu.h"
#include "gui/Panel.h"
#include "gui/Timer.h"
#include "settings/OrbProgramSettings.h"
#include "system/OrbSystemInfo.h"
#include "update/frmAutoUpdateU.h"
#include "widgets/JvClock.h"
#include "widgets/JvMonthCalendar2.h"
#include "widgets/JvNavPaneToolPanel.h"
#include "widgets/JvTrayIcon.h"
#include "widgets/JvXPButton.h"

// The single-instance hand-over, sent to the window of class "TfrmSundown".
constexpr UINT WM_INSTANCECOMMAND = WM_USER + 1;
enum : WPARAM { icShow = 1, icHide = 2, icExit = 3, icOptions = 4 };

// Where a window of the given size stands: its right edge on the screen's right edge and its
// bottom edge on the top of a taskbar at the bottom of the screen; when the taskbar is missing
// (empty rectangle) or docked elsewhere, the bottom-right corner of the work area instead.
POINT MainWindowPosition(SIZE Window, const RECT& Taskbar, SIZE Screen, const RECT& WorkArea);

// The balloon's display time for a warning of Seconds: Seconds x 1000 ms, 0 (the shell's own
// time) for none or less, at most the largest 32-bit signed count.
int64_t WarningBalloonTime(int Seconds);

class TfrmSundown : public TForm {
public:
    TfrmSundown();

    // Images and actions: the menu items and the Options button take caption and image from
    // the actions.
    TImageList ImageListMain{16, 16};
    TImageList ImageListTrayIcon{32, 32};
    TActionManager ActionManager;
    TAction ActionOptions{&ActionManager};
    TAction ActionExit{&ActionManager};
    TAction ActionShowApplication{&ActionManager};
    TAction ActionAbout{&ActionManager};
    TAction ActionHideApplication{&ActionManager};
    TAction ActionLogoff{&ActionManager};
    TAction ActionRestart{&ActionManager};
    TAction ActionShutdown{&ActionManager};
    TAction ActionActive{&ActionManager};

    TJvNavPaneToolPanel pnlBackground{this};
    TPanel pnlTop{&pnlBackground};
    TJvClock Clock{&pnlTop};
    TPanel pnlButtons{&pnlTop};
    TJvXPButton btnOptions{&pnlButtons};
    TPanel pnlMain{&pnlBackground};
    TJvMonthCalendar2 MonthCalendar{&pnlMain};

    // The tray icon's menu, items in menu order.
    TPopupActionBar PopupActionBarTrayIcon;
    TMenuItem Open1{&PopupActionBarTrayIcon.Items()};
    TMenuItem N2{&PopupActionBarTrayIcon.Items()};
    TMenuItem asks1{&PopupActionBarTrayIcon.Items()};
    TMenuItem Active1{&asks1};
    TMenuItem Logoff1{&asks1};
    TMenuItem Restart1{&asks1};
    TMenuItem Shutdown1{&asks1};
    TMenuItem Options1{&PopupActionBarTrayIcon.Items()};
    TMenuItem About1{&PopupActionBarTrayIcon.Items()};
    TMenuItem N1{&PopupActionBarTrayIcon.Items()};
    TMenuItem Exit1{&PopupActionBarTrayIcon.Items()};
    TJvTrayIcon TrayIcon;

    // Window events.
    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    // Registers the 24 keys, loads them, arms the alarm and sets the tray hint and image.
    void LoadSettings();
    void SaveSettings();

    void ActionExitExecute(TObject* Sender);
    void ActionShowApplicationExecute(TObject* Sender);
    void ActionHideApplicationExecute(TObject* Sender);
    void ActionOptionsExecute(TObject* Sender);
    void ActionAboutExecute(TObject* Sender);

    void WMEndSession(TMessage& Message);
    void WMInstanceCommand(TMessage& Message);
    void WMAlarmDue(TMessage& Message);

    // The schedule: from the settings to the clock, and to the tray's hint and image.
    void ApplyAlarm();
    void UpdateTrayIcon();
    void ClockAlarm(TObject* Sender);
    // Balloon, countdown, and when confirmed the session's end and the program's exit.
    void ExitWindowsWithWarning(uint8_t ExitType, int Seconds);
    void ActionLogoffExecute(TObject* Sender);
    void ActionRestartExecute(TObject* Sender);
    void ActionShutdownExecute(TObject* Sender);
    void ActionActiveUpdate(TObject* Sender);
    void ActionActiveExecute(TObject* Sender);

    // The settings object (empty of keys until the first activation).
    TProgramSettings* Settings() const { return FSettings.get(); }
    // The update window, created with this window and lent the settings object; switched off.
    TfrmAutoUpdate* AutoUpdateForm() const { return FAutoUpdateForm.get(); }
    bool Activated() const { return FActivated; }
    // True while a warning (balloon and countdown) is under way.
    bool WarningRunning() const { return FWarningRunning; }
    // The calls that end the session; tests put in their own.
    TSessionApi SessionApi = RealSessionApi();

private:
    // Runs ActionExit; nothing is shown when the settings cannot be saved.
    void ExitQuietly();
    // While the countdown runs: brings it to the front with the keyboard and returns true.
    bool RaiseCountdown();
    // True once Exit, command 3 or the session's end has been asked for.
    bool Ending() const;
    // Inside a menu or move loop: ends it (a move only for the countdown), keeps the request in
    // pending for RunDeferred and returns true.
    bool Defer(bool& Pending);
    void EndLoopForDeferred();
    void RunDeferred();
    // Sets the alarm's own thread for the next alarm time (or for a look within a minute, when
    // that is further), or stops it while the alarm is off.
    void ArmAlarmDue();

    struct TWarning {
        uint8_t ExitType;
        int Seconds;
    };

    bool FActivated = false;
    bool FCanClose = false;
    bool FQuietExit = false;
    bool FWarningRunning = false;
    bool FWarningPending = false;
    TWarning FPendingWarning{};
    bool FOptionsPending = false;
    bool FAboutPending = false;
    TTimer FDeferTimer;
    TDeadlineSender FAlarmDue;
    std::unique_ptr<TProgramSettings> FSettings;
    std::unique_ptr<TfrmAutoUpdate> FAutoUpdateForm;
};

extern TfrmSundown* frmSundown;
