#include "gui/Form.h"

#include <vector>

#include "gui/Application.h"
#include "base/Exception.h"
#include "gui/Button.h"

namespace {

struct TStyles {
    DWORD Style;
    DWORD ExStyle;
};

TStyles StylesFor(TBorderStyle Border) {
    const DWORD common = WS_CLIPCHILDREN;
    switch (Border) {
    case bsNone:
        return {common | WS_POPUP, WS_EX_CONTROLPARENT};
    case bsSingle:
        return {common | WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                WS_EX_CONTROLPARENT};
    case bsDialog:
        return {common | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME};
    case bsToolWindow:
        return {common | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                WS_EX_CONTROLPARENT | WS_EX_TOOLWINDOW};
    case bsSizeable:
    default:
        return {common | WS_OVERLAPPEDWINDOW, WS_EX_CONTROLPARENT};
    }
}

// Every button on the form, at any depth.
void CollectButtons(const TControl* Parent, std::vector<TCustomButton*>& Out) {
    for (TControl* c : Parent->Controls()) {
        if (auto* b = dynamic_cast<TCustomButton*>(c))
            Out.push_back(b);
        CollectButtons(c, Out);
    }
}

} // namespace

TForm::TForm(const std::string& ClassName) : TControl(nullptr), FClassName(ClassName) {}

// Other forms are owned by the main form.
void TForm::CreateWnd() {
    const TStyles s = StylesFor(FBorderStyle);
    TForm* main = Application().MainForm();
    CreateHandle(FClassName.c_str(), s.Style,
                 s.ExStyle | (FFormStyle == fsStayOnTop ? WS_EX_TOPMOST : 0), 0, 0, 320, 240,
                 main && main != this ? main->Handle() : nullptr);
}

bool TForm::CanMakeWindow() const {
    if (!TControl::CanMakeWindow() || Application().Ending())
        return false;
    const TForm* main = Application().MainForm();
    return !main || main == this || main->CanMakeWindow();
}

void TForm::SetBorderStyle(TBorderStyle Value) {
    if (!HandleAllocated()) {
        FBorderStyle = Value; // the window is made with it
        if (FClientWidth >= 0)
            SetClientSize(FClientWidth, FClientHeight);
        return;
    }
    const int w = ClientWidth(), h = ClientHeight();
    FBorderStyle = Value;
    const TStyles s = StylesFor(Value);
    const LONG visible = GetWindowLongA(Handle(), GWL_STYLE) & WS_VISIBLE;
    const LONG topmost = GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST;
    SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(s.Style) | visible);
    SetWindowLongA(Handle(), GWL_EXSTYLE, static_cast<LONG>(s.ExStyle) | topmost);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetClientSize(w, h);
}

void TForm::SetFormStyle(TFormStyle Value) {
    FFormStyle = Value;
    if (!HandleAllocated())
        return; // the window is made with it
    SetWindowPos(Handle(), Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Without a window, the frame comes from the styles the window will be made with.
void TForm::SetClientSize(int Width, int Height) {
    if (!HandleAllocated()) {
        FClientWidth = Width;
        FClientHeight = Height;
        const TStyles s = StylesFor(FBorderStyle);
        RECT r{0, 0, Width, Height};
        AdjustWindowRectEx(&r, s.Style, FALSE, s.ExStyle);
        TControl::SetWidth(r.right - r.left);
        TControl::SetHeight(r.bottom - r.top);
        return;
    }
    FClientWidth = FClientHeight = -1;
    RECT r{0, 0, Width, Height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)));
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ApplyPosition() {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    switch (FPosition) {
    case poDesktopCenter:
    case poScreenCenter:
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TForm* main = Application().MainForm();
        if (main && main != this && main->Visible())
            GetWindowRect(main->Handle(), &area);
        break;
    }
    default:
        return;
    }
    const int w = Width(), h = Height();
    SetBounds(area.left + (area.right - area.left - w) / 2,
              area.top + (area.bottom - area.top - h) / 2, w, h);
}

// Hiding a form whose window was never made makes none.
void TForm::SetVisible(bool Value) {
    if (Value) {
        if (!Visible())
            ApplyPosition();
        CreateChildHandles();
        // While another form runs modally, that form keeps the activation.
        ShowWindow(Handle(), Application().ModalForm() && !Modal() ? SW_SHOWNA : SW_SHOW);
        FShownOnce = true;
    } else if (HandleAllocated()) {
        ShowWindow(Handle(), SW_HIDE);
    }
}

void TForm::BringToFront() {
    if (!HandleAllocated())
        return;
    SetWindowPos(Handle(), FFormStyle == fsStayOnTop ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::Activate() {
    BringToFront();
    SetForegroundWindow(Handle());
    RestoreFocus();
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (Modal()) {
        // A result given already stands: the close box released after the window confirmed by
        // itself (the button-up that ended its tracking) does not undo the confirmation.
        if (FModalResult == mrNone)
            FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    if (OnClose)
        OnClose(this, action);
    if (action == caNone)
        return;
    if (Application().MainForm() == this)
        Application().Terminate();
    else if (action == caMinimize)
        ShowWindow(Handle(), SW_MINIMIZE);
    else
        Hide();
}

int TForm::ShowModal() {
    return Application().RunModal(*this);
}

bool TForm::Modal() const {
    return Application().InModalRun(this);
}

void TForm::DoCreate() {
    try {
        if (OnCreate)
            OnCreate(this);
    } catch (...) {
        Application().HandleException(this);
    }
}

void TForm::DoDestroy() {
    try {
        if (OnDestroy)
            OnDestroy(this);
    } catch (...) {
        Application().HandleException(this);
    }
}

void TForm::RestoreFocus() {
    HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus))
        return;
    HWND target = FFocusedControl;
    if (!target || !IsWindow(target) || !IsChild(Handle(), target) || !IsWindowVisible(target) ||
        !IsWindowEnabled(target))
        target = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    ::SetFocus(target ? target : Handle());
}

void TForm::DialogKey(WORD Id) {
    std::vector<TCustomButton*> buttons;
    CollectButtons(this, buttons);
    if (Id == IDOK) {
        // Enter: the focused button, else the default one.
        if (auto* focused = dynamic_cast<TCustomButton*>(FromHandle(GetFocus()));
            focused && focused->ParentForm() == this) {
            if (focused->Enabled())
                focused->Click();
            return;
        }
        for (TCustomButton* b : buttons)
            if (b->Default() && b->Visible() && b->Enabled()) {
                b->Click();
                return;
            }
    } else {
        for (TCustomButton* b : buttons)
            if (b->Cancel() && b->Visible() && b->Enabled()) {
                b->Click();
                return;
            }
    }
}

LRESULT TForm::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(WParam) != WA_INACTIVE) {
            if (OnActivate)
                OnActivate(this);
            // A form that hid itself or passed the activation on takes no focus: giving a
            // control the focus costs the input context's set-up, and the start of the program
            // would pay it for a window that never shows.
            if (!HIWORD(WParam) && GetActiveWindow() == Handle() && IsWindowVisible(Handle()))
                RestoreFocus();
        } else {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus))
                FFocusedControl = focus;
            if (OnDeactivate)
                OnDeactivate(this);
        }
        return 0;
    case WM_SHOWWINDOW:
        // Shown while another form runs modally: no input until the last modal run ends.
        if (WParam)
            Application().ShownDuringModalRun(*this);
        if (LParam == 0) {
            if (WParam && OnShow)
                OnShow(this);
            else if (!WParam && OnHide)
                OnHide(this);
        }
        break;
    case WM_COMMAND:
        // Enter and Esc as the dialog manager reports them (controls have ids from 100 on).
        if ((LOWORD(WParam) == IDOK || LOWORD(WParam) == IDCANCEL) && HIWORD(WParam) == 0) {
            DialogKey(LOWORD(WParam));
            return 0;
        }
        break;
    case WM_NEXTDLGCTL: {
        HWND next = LOWORD(LParam) ? reinterpret_cast<HWND>(WParam)
                                   : GetNextDlgTabItem(Handle(), GetFocus(), WParam != 0);
        if (next)
            ::SetFocus(next);
        return 0;
    }
    default:
        break;
    }
    return TControl::WndProc(Msg, WParam, LParam);
}
