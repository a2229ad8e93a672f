#pragma once
// TJvTrayIcon: the program's icon in the notification area, its popup menu, balloons, and the
// hiding and showing of the application (the main form with its taskbar button).
//
//   TJvTrayIcon TrayIcon;
//   TrayIcon.SetIcons(&ImageListTrayIcon); TrayIcon.SetIconIndex(0);
//   TrayIcon.SetPopupMenu(&PopupActionBarTrayIcon);
//   TrayIcon.SetVisibility(tvVisibleTaskBar | tvVisibleTaskList | tvAutoHide | tvRestoreDbClick);
//   TrayIcon.SetActive(true);                          // the icon enters the notification area
//   TrayIcon.SetHint("Workstation will logoff at 20:00");
//   TrayIcon.BalloonHint("Warning", "Workstation will logoff in 60 second(s)", btWarning,
//                        60 * 1000LL);
//   TrayIcon.HideApplication();
//
// Mouse: the right button opens the popup menu at the pointer; a left double click runs the
// menu's default item and then, with tvRestoreDbClick, shows the application if it is hidden;
// a single left click does nothing unless tvRestoreClick / tvMinimizeClick ask for it.
//
// The icon is put back when the shell's taskbar is re-created ("TaskbarCreated", which the main
// form hears while the icon is active), and when changing it finds it gone. Every call to the shell
// goes through a function tests can replace.
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "gui/Classes.h"
#include "base/Handles.h"
#include "gui/UtilWindow.h"

class TImageList;
class TPopupMenu;

enum TTrayVisibilityFlag : unsigned {
    tvVisibleTaskBar = 1,   // the application's taskbar button shows with it
    tvVisibleTaskList = 2,  // accepted; the taskbar button's setting decides the task list too
    tvAutoHide = 4,         // minimising the main form hides the application
    tvRestoreClick = 8,     // a left click shows the hidden application
    tvRestoreDbClick = 16,  // a left double click shows the hidden application
    tvMinimizeClick = 32,   // a left click hides the shown application
    tvMinimizeDbClick = 64, // a left double click hides the shown application
};
using TTrayVisibility = unsigned;

enum TBalloonType : uint8_t { btNone, btError, btInfo, btWarning };

class TJvTrayIcon : public TObject {
public:
    using TShellNotifyFunction = std::function<BOOL(DWORD Message, NOTIFYICONDATAA* Data)>;

    TJvTrayIcon();
    ~TJvTrayIcon() override;

    // Adds the icon to (true) or deletes it from (false) the notification area.
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TImageList* Icons() const { return FIcons; }
    void SetIcons(TImageList* Value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int Value);
    // The tip text; the shell shows at most 127 characters.
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value);
    // Both in one change to the shell.
    void SetIconIndexAndHint(int Index, const std::string& Hint);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }
    TTrayVisibility Visibility() const { return FVisibility; }
    void SetVisibility(TTrayVisibility Value);

    // Shows a balloon from the icon (title up to 63 characters, text up to 255). The display time
    // is handed to the shell; one under 10 000 ms is also ended here after that time. A display
    // time of 0 or less leaves the balloon to the shell's own time (or HideBalloon).
    void BalloonHint(const std::string& Title, const std::string& Text, TBalloonType Type = btNone,
                     int64_t DisplayTimeMs = 5000);
    // Takes the balloon away; does nothing when none is shown.
    void HideBalloon();
    bool BalloonShowing() const { return FBalloonShowing; }

    // Hides / shows the main form and its taskbar button (restored if minimised). During a modal
    // run the modal form stays the active one.
    void HideApplication();
    void ShowApplication();
    bool ApplicationVisible() const;

    // The hidden window that receives the icon's messages.
    HWND Handle() const { return FWindow.Handle(); }
    // The message the icon's events arrive with (lParam: the mouse message).
    static constexpr UINT CallbackMessage = WM_APP + 1;
    static constexpr UINT IconId = 1;

    // Replaces Shell_NotifyIconA (tests); an empty function restores it.
    void SetShellNotifyFunction(TShellNotifyFunction Function) {
        FShellNotify = std::move(Function);
    }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

private:
    bool HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);
    void IconMessage(UINT MouseMessage);
    BOOL Notify(DWORD Message, NOTIFYICONDATAA& Data);
    NOTIFYICONDATAA MakeData(UINT Flags) const;
    void UpdateIcon();
    void IconChanged(UINT MoreFlags);
    void Modify(UINT Flags);
    void WatchMainForm(bool Watch);
    void AddAgain();
    static LRESULT CALLBACK MainFormProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam,
                                         UINT_PTR Id, DWORD_PTR Data);

    TUtilWindow FWindow;
    UINT FTaskbarCreated;
    TShellNotifyFunction FShellNotify;
    bool FActive = false;
    TImageList* FIcons = nullptr;
    int FIconIndex = 0;
    HICON FIcon = nullptr; // the image given to the shell
    IconHandle FIconCopy;  // its owner, when it is a copy made from the list
    std::string FHint;
    TPopupMenu* FPopupMenu = nullptr;
    TTrayVisibility FVisibility = tvVisibleTaskBar | tvVisibleTaskList;
    bool FBalloonShowing = false;
    HWND FWatched = nullptr;
};
