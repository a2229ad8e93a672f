#include "widgets/JvTrayIcon.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "gui/Application.h"
#include "gui/Form.h"
#include "gui/ImageList.h"
#include "gui/Menu.h"

namespace {

const UINT_PTR BalloonTimer = 1;
// A balloon asked for less than this is also ended here: the shell keeps it longer.
const int64_t ShellMinimumBalloonTime = 10000;

void CopyText(char* Target, size_t Size, const std::string& Text) {
    const size_t n = std::min(Text.size(), Size - 1);
    std::memcpy(Target, Text.data(), n);
    Target[n] = '\0';
}

} // namespace

TJvTrayIcon::TJvTrayIcon()
    : FWindow([this](UINT Msg, WPARAM WParam, LPARAM LParam,
                     LRESULT& Result) { return HandleMessage(Msg, WParam, LParam, Result); },
              false), // message-only: a top-level window would cost the start a window of the
                      // display's; the taskbar's re-creation reaches the main form, watched below
      FTaskbarCreated(RegisterWindowMessageA("TaskbarCreated")) {}

TJvTrayIcon::~TJvTrayIcon() {
    WatchMainForm(false);
    if (FWindow.HandleAllocated())
        KillTimer(Handle(), BalloonTimer);
    if (FActive) {
        NOTIFYICONDATAA data = MakeData(0);
        Notify(NIM_DELETE, data);
    }
}

BOOL TJvTrayIcon::Notify(DWORD Message, NOTIFYICONDATAA& Data) {
    if (FShellNotify)
        return FShellNotify(Message, &Data);
    return Shell_NotifyIconA(Message, &Data);
}

NOTIFYICONDATAA TJvTrayIcon::MakeData(UINT Flags) const {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = Handle();
    data.uID = IconId;
    data.uFlags = Flags;
    data.uCallbackMessage = CallbackMessage;
    // Without an image the program's own icon stands in, so the icon never shows blank.
    data.hIcon = FIcon ? FIcon : LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (!data.hIcon)
        data.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    CopyText(data.szTip, sizeof(data.szTip), FHint);
    return data;
}

// An icon the list keeps goes to the shell as it is; other images are copied out of the list.
void TJvTrayIcon::UpdateIcon() {
    FIcon = FIcons ? FIcons->ResourceIcon(FIconIndex) : nullptr;
    FIconCopy = FIcon || !FIcons ? IconHandle() : FIcons->GetIcon(FIconIndex);
    if (!FIcon)
        FIcon = FIconCopy.get();
}

// Changes the icon; when the shell has lost it, it is added again.
void TJvTrayIcon::Modify(UINT Flags) {
    if (!FActive)
        return;
    NOTIFYICONDATAA data = MakeData(Flags);
    if (!Notify(NIM_MODIFY, data)) {
        data = MakeData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
        Notify(NIM_ADD, data);
    }
}

void TJvTrayIcon::SetActive(bool Value) {
    if (Value == FActive)
        return;
    if (Value) {
        UpdateIcon();
        NOTIFYICONDATAA data = MakeData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
        Notify(NIM_ADD, data);
        FActive = true;
        WatchMainForm(true);
    } else {
        HideBalloon();
        WatchMainForm(false);
        NOTIFYICONDATAA data = MakeData(0);
        Notify(NIM_DELETE, data);
        FActive = false;
    }
}

void TJvTrayIcon::SetIcons(TImageList* Value) {
    FIcons = Value;
    IconChanged(0);
}

void TJvTrayIcon::SetIconIndex(int Value) {
    FIconIndex = Value;
    IconChanged(0);
}

void TJvTrayIcon::SetIconIndexAndHint(int Index, const std::string& Hint) {
    FIconIndex = Index;
    FHint = Hint;
    IconChanged(NIF_TIP);
}

// The image is made for the shell only: while the icon is not shown, SetActive makes it.
void TJvTrayIcon::IconChanged(UINT MoreFlags) {
    if (!FActive) {
        FIcon = nullptr;
        FIconCopy.reset();
        return;
    }
    IconHandle old = std::move(FIconCopy); // freed once the shell has the new one
    UpdateIcon();
    Modify(NIF_ICON | MoreFlags);
}

void TJvTrayIcon::SetHint(const std::string& Value) {
    FHint = Value;
    Modify(NIF_TIP);
}

void TJvTrayIcon::SetVisibility(TTrayVisibility Value) {
    FVisibility = Value;
}

void TJvTrayIcon::BalloonHint(const std::string& Title, const std::string& Text, TBalloonType Type,
                              int64_t DisplayTimeMs) {
    if (!FActive)
        return;
    KillTimer(Handle(), BalloonTimer);
    NOTIFYICONDATAA data = MakeData(NIF_INFO);
    CopyText(data.szInfoTitle, sizeof(data.szInfoTitle), Title);
    CopyText(data.szInfo, sizeof(data.szInfo), Text);
    switch (Type) {
    case btError:
        data.dwInfoFlags = NIIF_ERROR;
        break;
    case btInfo:
        data.dwInfoFlags = NIIF_INFO;
        break;
    case btWarning:
        data.dwInfoFlags = NIIF_WARNING;
        break;
    default:
        data.dwInfoFlags = NIIF_NONE;
        break;
    }
    data.uTimeout = static_cast<UINT>(std::clamp<int64_t>(DisplayTimeMs, 0, UINT_MAX));
    if (!Notify(NIM_MODIFY, data)) {
        NOTIFYICONDATAA add = MakeData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
        Notify(NIM_ADD, add);
        if (!Notify(NIM_MODIFY, data))
            return;
    }
    FBalloonShowing = true;
    if (DisplayTimeMs > 0 && DisplayTimeMs < ShellMinimumBalloonTime)
        SetTimer(Handle(), BalloonTimer, static_cast<UINT>(DisplayTimeMs), nullptr);
}

void TJvTrayIcon::HideBalloon() {
    if (FWindow.HandleAllocated())
        KillTimer(Handle(), BalloonTimer);
    if (!FBalloonShowing)
        return;
    FBalloonShowing = false;
    if (!FActive)
        return;
    NOTIFYICONDATAA data = MakeData(NIF_INFO); // an empty text takes the balloon away
    Notify(NIM_MODIFY, data);
}

bool TJvTrayIcon::ApplicationVisible() const {
    TForm* main = Application().MainForm();
    return main && main->HandleAllocated() && IsWindowVisible(main->Handle()) &&
           !IsIconic(main->Handle());
}

// A main form whose window was never made is hidden already.
void TJvTrayIcon::HideApplication() {
    if (TForm* main = Application().MainForm(); main && main->HandleAllocated())
        ShowWindow(main->Handle(), SW_HIDE);
}

void TJvTrayIcon::ShowApplication() {
    TForm* main = Application().MainForm();
    if (!main)
        return;
    HWND h = main->Handle();
    // The main form carries the taskbar button; a tool window has none.
    LONG ex = GetWindowLongA(h, GWL_EXSTYLE);
    const LONG wanted =
        (FVisibility & tvVisibleTaskBar) ? (ex & ~WS_EX_TOOLWINDOW) : (ex | WS_EX_TOOLWINDOW);
    if (wanted != ex)
        SetWindowLongA(h, GWL_EXSTYLE, wanted);
    // During a modal run the main form comes up behind, and the modal form keeps the activation
    // and the keyboard (a menu of this icon may have taken them meanwhile).
    if (TForm* modal = Application().ModalForm()) {
        ShowWindow(h, IsIconic(h) ? SW_SHOWNOACTIVATE : SW_SHOWNA);
        modal->Activate();
        return;
    }
    ShowWindow(h, IsIconic(h) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(h);
}

void TJvTrayIcon::WatchMainForm(bool Watch) {
    if (FWatched) {
        if (IsWindow(FWatched))
            RemoveWindowSubclass(FWatched, &TJvTrayIcon::MainFormProc,
                                 reinterpret_cast<UINT_PTR>(this));
        FWatched = nullptr;
    }
    if (!Watch)
        return;
    if (TForm* main = Application().MainForm()) {
        FWatched = main->Handle();
        SetWindowSubclass(FWatched, &TJvTrayIcon::MainFormProc, reinterpret_cast<UINT_PTR>(this),
                          reinterpret_cast<DWORD_PTR>(this));
    }
}

// The shell broadcasts its taskbar's re-creation to top-level windows: the main form hears it
// for the icon. Minimising the main form hides the application (tvAutoHide).
LRESULT CALLBACK TJvTrayIcon::MainFormProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam,
                                           UINT_PTR, DWORD_PTR Data) {
    const LRESULT result = DefSubclassProc(Wnd, Msg, WParam, LParam);
    auto* self = reinterpret_cast<TJvTrayIcon*>(Data);
    if (Msg == self->FTaskbarCreated && self->FTaskbarCreated != 0)
        self->AddAgain();
    else if (Msg == WM_SIZE && WParam == SIZE_MINIMIZED && (self->FVisibility & tvAutoHide))
        self->HideApplication();
    return result;
}

// A new shell knows nothing of the icon: it is added again.
void TJvTrayIcon::AddAgain() {
    if (!FActive)
        return;
    NOTIFYICONDATAA data = MakeData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    Notify(NIM_ADD, data);
}

void TJvTrayIcon::IconMessage(UINT MouseMessage) {
    switch (MouseMessage) {
    case WM_RBUTTONUP:
        if (FPopupMenu) {
            POINT p{};
            GetCursorPos(&p);
            FPopupMenu->Popup(p.x, p.y);
        }
        break;
    case WM_LBUTTONUP:
        if (OnClick)
            OnClick(this);
        if ((FVisibility & tvRestoreClick) && !ApplicationVisible())
            ShowApplication();
        else if ((FVisibility & tvMinimizeClick) && ApplicationVisible())
            HideApplication();
        break;
    case WM_LBUTTONDBLCLK:
        if (FPopupMenu)
            if (TMenuItem* item = FPopupMenu->Items().DefaultItem())
                if (item->Enabled())
                    item->Click();
        if (OnDblClick)
            OnDblClick(this);
        if ((FVisibility & tvRestoreDbClick) && !ApplicationVisible())
            ShowApplication();
        else if ((FVisibility & tvMinimizeDbClick) && ApplicationVisible())
            HideApplication();
        break;
    case NIN_BALLOONHIDE:
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONUSERCLICK:
        KillTimer(Handle(), BalloonTimer);
        FBalloonShowing = false;
        break;
    default:
        break;
    }
}

bool TJvTrayIcon::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
    if (Msg == CallbackMessage) {
        IconMessage(LOWORD(LParam));
        Result = 0;
        return true;
    }
    if (Msg == WM_TIMER && WParam == BalloonTimer) {
        HideBalloon();
        Result = 0;
        return true;
    }
    return false;
}
