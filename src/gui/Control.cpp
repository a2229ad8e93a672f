#include "gui/Control.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/Application.h"
#include "base/Exception.h"
#include "base/SystemError.h"
#include "gui/BufferedPaint.h"
#include "base/ScopeExit.h"

namespace {

// Our classes keep the window's control in the window's first extra bytes.
constexpr int ControlSlot = 0;

RECT WindowRectInParent(HWND Wnd) {
    RECT r{};
    GetWindowRect(Wnd, &r);
    HWND parent = (GetWindowLongA(Wnd, GWL_STYLE) & WS_CHILD) ? GetParent(Wnd) : nullptr;
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Moves the window unless it stands there already: under Wine even a move that changes nothing
// costs a trip to the window server and the display. True when it moved.
bool MoveWindowTo(HWND Wnd, int Left, int Top, int Width, int Height) {
    const RECT now = WindowRectInParent(Wnd);
    if (now.left == Left && now.top == Top && now.right - now.left == Width &&
        now.bottom - now.top == Height)
        return false;
    SetWindowPos(Wnd, nullptr, Left, Top, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

// The cursor, and the program's icon with its small version given (so the system makes no copy
// of its own), loaded once for every class; only top-level windows show an icon, and not those
// with a dialog frame, whose title bar holds the close box only (Wine would draw a class icon
// there, Windows does not).
void RegisterOwnClass(const char* ClassName, WNDPROC Proc, bool ShowsIcon) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(instance, ClassName, &wc))
        return;
    static const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    static const HICON icon = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                   GetSystemMetrics(SM_CYICON), LR_SHARED));
    static const HICON smallIcon = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.cbWndExtra = sizeof(TControl*);
    wc.hInstance = instance;
    wc.hCursor = arrow;
    if (ShowsIcon) {
        wc.hIcon = icon;
        wc.hIconSm = smallIcon;
    }
    wc.lpszClassName = ClassName;
    if (!RegisterClassExA(&wc))
        throw Exception(Format("Cannot register the window class %s. %s", ClassName,
                               SysErrorMessage(GetLastError()).c_str()));
}

} // namespace

TControl::TControl(TControl* Parent) : FParent(Parent) {
    if (FParent) {
        FParent->FControls.push_back(this);
        FFont = FParent->FFont;
        FColor = FParent->FColor;
    }
}

TControl::~TControl() {
    for (TControl* child : FControls)
        child->FParent = nullptr;
    if (FParent) {
        auto& siblings = FParent->FControls;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    DestroyHandle();
}

void TControl::Detach() {
    if (!FHandle)
        return;
    if (FSystemClass)
        RemoveWindowSubclass(FHandle, &TControl::SubclassProc, 1);
    else
        SetWindowLongPtrA(FHandle, ControlSlot, 0);
}

void TControl::DestroyHandle() {
    if (!FHandle)
        return;
    HWND h = FHandle;
    SaveState();
    Detach();
    FHandle = nullptr;
    DestroyWindow(h);
}

// Read in the process, without a call to the window server: a window of our classes holds its
// control (the class's procedure, which a subclass leaves alone, tells our classes); a system
// control is one of its parent's controls.
TControl* TControl::FromHandle(HWND Wnd) {
    if (!Wnd)
        return nullptr;
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrA(Wnd, GCLP_WNDPROC)) == &StaticWndProc)
        return reinterpret_cast<TControl*>(GetWindowLongPtrA(Wnd, ControlSlot));
    if (TControl* parent = FromHandle(GetParent(Wnd)))
        for (TControl* child : parent->FControls)
            if (child->FHandle == Wnd)
                return child;
    return nullptr;
}

HWND TControl::Handle() const {
    if (!FHandle)
        const_cast<TControl*>(this)->HandleNeeded();
    return FHandle;
}

void TControl::HandleNeeded() {
    ASSERT(InMainThread()); // a window belongs to the thread that makes it
    // Asked for again while it (or the window it lies on) is being made, say by a message
    // handled meanwhile: the window is not there yet, and is not made twice.
    for (const TControl* c = this; c; c = c->FParent)
        if (c->FCreating)
            return;
    if (!CanMakeWindow())
        return;
    if (FParent && !FParent->FHandle) {
        FParent->HandleNeeded(); // makes this one with it
        if (FHandle || !FParent->FHandle)
            return;
    }
    MakeWindows();
}

// This window, then the children's in their order (which is the Tab order), then the control's
// own setting up.
void TControl::MakeWindows() {
    {
        FCreating = true;
        const TScopeExit creatingEnd([this] { FCreating = false; });
        CreateWnd();
        ApplyState();
        Realign(); // the children's places, before they are made
        for (size_t i = 0; i < FControls.size(); ++i)
            if (!FControls[i]->FHandle)
                FControls[i]->MakeWindows();
        ApplyChildTabOrders();
        Realign();
    }
    // Made on its own, after its parent: it takes its place among the aligned siblings and in
    // the Tab order.
    if (FParent && !FParent->FCreating) {
        FParent->ApplyChildTabOrders();
        if (FAlign != alNone)
            FParent->Realign();
    }
    WindowsCreated();
}

bool TControl::CanMakeWindow() const {
    return !FWindowGone && (!FParent || FParent->CanMakeWindow());
}

// What was set on the object before the window existed (the bounds and caption go in with
// CreateWindowEx).
void TControl::ApplyState() {
    if (!FEnabled)
        EnableWindow(FHandle, FALSE);
    if (FPendingTabStop >= 0) {
        const LONG style = GetWindowLongA(FHandle, GWL_STYLE);
        SetWindowLongA(FHandle, GWL_STYLE,
                       FPendingTabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
        FPendingTabStop = -1;
    }
    if (FPendingVisible >= 0 && FParent) {
        ShowWindow(FHandle, FPendingVisible ? SW_SHOWNA : SW_HIDE);
        FPendingVisible = -1;
    }
}

// Places asked in the Tab order before the windows existed, lowest first, so that each lands
// where it was asked.
void TControl::ApplyChildTabOrders() {
    std::vector<TControl*> pending;
    for (TControl* child : FControls)
        if (child->FHandle && child->FPendingTabOrder >= 0)
            pending.push_back(child);
    std::stable_sort(pending.begin(), pending.end(), [](const TControl* A, const TControl* B) {
        return A->FPendingTabOrder < B->FPendingTabOrder;
    });
    for (TControl* child : pending) {
        const int place = child->FPendingTabOrder;
        child->FPendingTabOrder = -1;
        child->SetTabOrder(place);
    }
}

// The window is going: what it held stays with the object, which makes no window again.
void TControl::SaveState() {
    if (!FHandle)
        return;
    FCaption = Caption();
    const RECT r = WindowRectInParent(FHandle);
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
    FEnabled = IsWindowEnabled(FHandle) != FALSE;
    FWindowGone = true;
}

int TControl::ControlId() const {
    if (!FParent)
        return 0;
    const auto& siblings = FParent->FControls;
    return 101 +
           static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TControl::CreateChildHandles() {
    if (!CanMakeWindow())
        return;
    // Without its own window, a child's would make it, and with it that very child a second
    // time: this window comes first, with every child's.
    if (!FHandle) {
        HandleNeeded();
        return;
    }
    for (size_t i = 0; i < FControls.size(); ++i) {
        if (!FControls[i]->FHandle)
            FControls[i]->MakeWindows();
        else
            FControls[i]->CreateChildHandles();
    }
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->FParent)
        c = c->FParent;
    return c->AsForm();
}

// The bounds set on the object win over the class's own size.
void TControl::UseStoredBounds(int& Left, int& Top, int& Width, int& Height) const {
    Left = FLeft;
    Top = FTop;
    if (FWidth >= 0)
        Width = FWidth;
    if (FHeight >= 0)
        Height = FHeight;
}

void TControl::CreateHandle(const char* ClassName, DWORD Style, DWORD ExStyle, int Left, int Top,
                            int Width, int Height, HWND ParentOrOwner) {
    RegisterOwnClass(ClassName, &TControl::StaticWndProc,
                     FParent == nullptr && !(ExStyle & WS_EX_DLGMODALFRAME));
    HWND parent = FParent ? FParent->Handle() : ParentOrOwner;
    UseStoredBounds(Left, Top, Width, Height);
    // A child's identifier comes with the window: set afterwards, it is one more call to the
    // window server.
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(FParent ? ControlId() : 0));
    CreateWindowExA(ExStyle, ClassName, FCaption.c_str(), Style, Left, Top, Width, Height, parent,
                    id, GetModuleHandleA(nullptr), this);
    if (!FHandle)
        throw Exception(
            Format("Error creating window of class %s (error %lu)", ClassName, GetLastError()));
    ApplyFont();
}

void TControl::CreateSystemHandle(const char* ClassName, DWORD Style, DWORD ExStyle, int Left,
                                  int Top, int Width, int Height) {
    HWND parent = FParent ? FParent->Handle() : nullptr;
    UseStoredBounds(Left, Top, Width, Height);
    HWND h = CreateWindowExA(ExStyle, ClassName, FCaption.c_str(), Style, Left, Top, Width, Height,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId())),
                             GetModuleHandleA(nullptr), nullptr);
    if (!h)
        throw Exception(
            Format("Error creating window of class %s (error %lu)", ClassName, GetLastError()));
    // Without its subclass the window would be deaf to this object: it goes again.
    if (!SetWindowSubclass(h, &TControl::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(h);
        throw Exception(Format("Cannot subclass the window of class %s", ClassName));
    }
    FHandle = h;
    FSystemClass = true;
    ApplyFont();
}

void TControl::RecreateSystemHandle(const char* ClassName, DWORD Style, DWORD ExStyle,
                                    const std::function<void()>& Prepare) {
    HWND old = FHandle;
    const std::string text = Caption();
    const RECT bounds{Left(), Top(), Left() + Width(), Top() + Height()};
    const bool visible = Visible();
    const bool enabled = Enabled();
    const bool focused = Focused();
    HWND previous = GetWindow(old, GW_HWNDPREV);
    DestroyHandle();
    FWindowGone = false;
    CreateSystemHandle(ClassName, Style & ~WS_VISIBLE, ExStyle, bounds.left, bounds.top,
                       bounds.right - bounds.left, bounds.bottom - bounds.top);
    // Back to its place among the siblings, which is its place in the Tab order.
    SetWindowPos(FHandle, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetWindowTextA(FHandle, text.c_str());
    if (Prepare)
        Prepare();
    EnableWindow(FHandle, enabled);
    if (visible)
        ShowWindow(FHandle, SW_SHOWNA);
    if (focused)
        ::SetFocus(FHandle);
}

LRESULT CALLBACK TControl::StaticWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_NCCREATE) {
        auto* self =
            static_cast<TControl*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
        if (self) {
            self->FHandle = Wnd;
            SetWindowLongPtrA(Wnd, ControlSlot, reinterpret_cast<LONG_PTR>(self));
        }
    }
    auto* self = reinterpret_cast<TControl*>(GetWindowLongPtrA(Wnd, ControlSlot));
    if (!self)
        return DefWindowProcA(Wnd, Msg, WParam, LParam);
    if (Msg == WM_NCDESTROY) {
        self->SaveState();
        self->FHandle = nullptr;
        return DefWindowProcA(Wnd, Msg, WParam, LParam);
    }
    return self->Dispatch(Wnd, Msg, WParam, LParam);
}

LRESULT CALLBACK TControl::SubclassProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR,
                                        DWORD_PTR Data) {
    auto* self = reinterpret_cast<TControl*>(Data);
    if (Msg == WM_NCDESTROY) {
        RemoveWindowSubclass(Wnd, &TControl::SubclassProc, 1);
        self->SaveState();
        self->FHandle = nullptr;
        return DefSubclassProc(Wnd, Msg, WParam, LParam);
    }
    return self->Dispatch(Wnd, Msg, WParam, LParam);
}

// The dispatch boundary: nothing thrown by a handler goes back into the system.
LRESULT TControl::Dispatch([[maybe_unused]] HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    // The handlers work on FHandle: a message for another window would act on the wrong one.
    ASSERT(Wnd == FHandle);
    try {
        if (auto it = FMessageHandlers.find(Msg); it != FMessageHandlers.end() && it->second) {
            TMessage m{Msg, WParam, LParam, 0};
            it->second(m);
            return m.Result;
        }
        return WndProc(Msg, WParam, LParam);
    } catch (...) {
        Application().HandleException(this);
        return 0;
    }
}

LRESULT TControl::DefaultHandler(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (FSystemClass)
        return DefSubclassProc(FHandle, Msg, WParam, LParam);
    return DefWindowProcA(FHandle, Msg, WParam, LParam);
}

LRESULT TControl::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_ERASEBKGND:
        if (!FSystemClass)
            return 1;
        break;
    case WM_PAINT:
        if (!FSystemClass) {
            const TPaintDC paint(FHandle);
            if (!paint.dc())
                return 0;
            TBufferedPaint buffer(paint.dc(), paint.Rect());
            RECT rc;
            GetClientRect(FHandle, &rc);
            FillRect(buffer.dc(), &paint.Rect(), ColorBrush());
            Paint(buffer.dc(), rc);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (!FSystemClass) {
            const RECT rc = ClientRect();
            FillRect(reinterpret_cast<HDC>(WParam), &rc, ColorBrush());
            Paint(reinterpret_cast<HDC>(WParam), rc);
            return 0;
        }
        break;
    case WM_SIZE: {
        const LRESULT r = DefaultHandler(Msg, WParam, LParam);
        Realign();
        return r;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
        const TMouseButton button = (Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK)   ? mbLeft
                                    : (Msg == WM_RBUTTONDOWN || Msg == WM_RBUTTONDBLCLK) ? mbRight
                                                                                         : mbMiddle;
        TShiftState shift = ShiftFromKeys(WParam);
        if (Msg == WM_LBUTTONDBLCLK || Msg == WM_RBUTTONDBLCLK || Msg == WM_MBUTTONDBLCLK)
            shift = shift | ssDouble;
        const LRESULT r = DefaultHandler(Msg, WParam, LParam);
        MouseDown(button, shift, static_cast<short>(LOWORD(LParam)),
                  static_cast<short>(HIWORD(LParam)));
        return r;
    }
    case WM_COMMAND:
        if (LParam) {
            TControl* child = FromHandle(reinterpret_cast<HWND>(LParam));
            if (child && child != this && child->CNCommand(HIWORD(WParam)))
                return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(LParam);
        TControl* child = header ? FromHandle(header->hwndFrom) : nullptr;
        LRESULT result = 0;
        if (child && child != this && child->CNNotify(header, result))
            return result;
        break;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(LParam);
        if (item->CtlType != ODT_MENU) {
            TControl* child = FromHandle(item->hwndItem);
            if (child && child != this && child->CNDrawItem(item))
                return TRUE;
        }
        break;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        TControl* child = FromHandle(reinterpret_cast<HWND>(LParam));
        if (child && child != this)
            return reinterpret_cast<LRESULT>(child->CtlColor(reinterpret_cast<HDC>(WParam)));
        break;
    }
    default:
        break;
    }
    return DefaultHandler(Msg, WParam, LParam);
}

void TControl::Paint(HDC, const RECT&) {}

void TControl::AdjustClientRect(RECT&) const {}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::FontChanged() {
    Invalidate();
}

bool TControl::CNCommand(WORD) {
    return false;
}
bool TControl::CNNotify(NMHDR*, LRESULT&) {
    return false;
}
bool TControl::CNDrawItem(DRAWITEMSTRUCT*) {
    return false;
}

HBRUSH TControl::CtlColor(HDC DC) {
    SetTextColor(DC, ColorToRGB(FFont.Color()));
    SetBkColor(DC, ColorToRGB(FColor));
    return ColorBrush();
}

// A system colour has the system's brush; another colour gets a brush of its own, kept until the
// colour changes.
HBRUSH TControl::ColorBrush() {
    if (HBRUSH brush = SystemColorBrush(FColor)) {
        FBrush.reset();
        return brush;
    }
    if (!FBrush || FBrushColor != FColor) {
        FBrushColor = FColor;
        FBrush.reset(CreateSolidBrush(ColorToRGB(FColor)));
    }
    return FBrush.get();
}

TShiftState TControl::ShiftFromKeys(WPARAM Keys) {
    TShiftState s = ssNone;
    if (Keys & MK_SHIFT)
        s = s | ssShift;
    if (Keys & MK_CONTROL)
        s = s | ssCtrl;
    if (Keys & MK_LBUTTON)
        s = s | ssLeft;
    if (Keys & MK_RBUTTON)
        s = s | ssRight;
    if (Keys & MK_MBUTTON)
        s = s | ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        s = s | ssAlt;
    return s;
}

int TControl::Left() const {
    return Handle() ? WindowRectInParent(FHandle).left : FLeft;
}
int TControl::Top() const {
    return Handle() ? WindowRectInParent(FHandle).top : FTop;
}
// A form's size set on the object is the size its window is made with: asking it makes no
// window (an aligned control's size is its parent's to give).
int TControl::Width() const {
    if (!FHandle && !FParent && FWidth >= 0)
        return FWidth;
    if (!Handle())
        return std::max(FWidth, 0);
    const RECT r = WindowRectInParent(FHandle);
    return r.right - r.left;
}
int TControl::Height() const {
    if (!FHandle && !FParent && FHeight >= 0)
        return FHeight;
    if (!Handle())
        return std::max(FHeight, 0);
    const RECT r = WindowRectInParent(FHandle);
    return r.bottom - r.top;
}

void TControl::SetLeft(int Value) {
    if (FHandle)
        SetBounds(Value, Top(), Width(), Height());
    else
        FLeft = Value;
}
void TControl::SetTop(int Value) {
    if (FHandle)
        SetBounds(Left(), Value, Width(), Height());
    else
        FTop = Value;
}
void TControl::SetWidth(int Value) {
    if (FHandle)
        SetBounds(Left(), Top(), Value, Height());
    else
        FWidth = std::max(Value, 0);
}
void TControl::SetHeight(int Value) {
    if (FHandle)
        SetBounds(Left(), Top(), Width(), Value);
    else
        FHeight = std::max(Value, 0);
}

void TControl::SetBounds(int Left, int Top, int Width, int Height) {
    if (!FHandle) {
        FLeft = Left;
        FTop = Top;
        FWidth = std::max(Width, 0);
        FHeight = std::max(Height, 0);
        return;
    }
    if (!MoveWindowTo(FHandle, Left, Top, std::max(Width, 0), std::max(Height, 0)))
        return;
    if (FParent && FAlign != alNone)
        FParent->Realign();
}

RECT TControl::ClientRect() const {
    RECT r{};
    GetClientRect(Handle(), &r);
    return r;
}
int TControl::ClientWidth() const {
    return ClientRect().right;
}
int TControl::ClientHeight() const {
    return ClientRect().bottom;
}

void TControl::SetAlign(TAlign Value) {
    FAlign = Value;
    if (FParent)
        FParent->Realign();
}

// While this control's windows are being made, a child not made yet gets the place it will
// have, so that it is made there: moving a made window costs it a new layout, the calendar most.
void TControl::Realign() {
    if (!FHandle || FRealigning)
        return;
    FRealigning = true;
    auto placed = [this](const TControl* c) {
        return c->FHandle || (FCreating && c->FPendingVisible != 0);
    };
    // A size left to the window class is known only once the window is made: until then the
    // children not made yet keep their bounds, and are moved when all are made.
    const bool sizesKnown = std::none_of(FControls.begin(), FControls.end(), [&](TControl* c) {
        return !c->FHandle && placed(c) &&
               (((c->FAlign == alTop || c->FAlign == alBottom) && c->FHeight < 0) ||
                ((c->FAlign == alLeft || c->FAlign == alRight) && c->FWidth < 0));
    });
    RECT r = ClientRect();
    AdjustClientRect(r);
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : FControls) {
            if (c->FAlign != pass)
                continue;
            const bool made = c->FHandle != nullptr;
            if (made ? !c->Visible() : !placed(c) || !sizesKnown)
                continue;
            const int height = made ? c->Height() : c->FHeight;
            const int width = made ? c->Width() : c->FWidth;
            int x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
            switch (pass) {
            case alTop:
                h = height;
                r.top += h;
                break;
            case alBottom:
                h = height;
                y = r.bottom - h;
                r.bottom -= h;
                break;
            case alLeft:
                w = width;
                r.left += w;
                break;
            case alRight:
                w = width;
                x = r.right - w;
                r.right -= w;
                break;
            default:
                break;
            }
            w = std::max(w, 0);
            h = std::max(h, 0);
            if (!made) {
                c->FLeft = x;
                c->FTop = y;
                c->FWidth = w;
                c->FHeight = h;
                continue;
            }
            MoveWindowTo(c->FHandle, x, y, w, h);
        }
    }
    FRealigning = false;
}

// A form not made yet is hidden; a control on it is made to answer.
bool TControl::Visible() const {
    const HWND h = FParent ? Handle() : FHandle;
    if (!h)
        return FParent && FPendingVisible == 1;
    return GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE;
}

// Shown on a window that exists, a control is made at once; otherwise with its parent.
void TControl::SetVisible(bool Value) {
    if (!FHandle && !(Value && FParent && FParent->FHandle)) {
        FPendingVisible = Value;
        return;
    }
    if (!Handle()) {
        FPendingVisible = Value;
        return;
    }
    if (Value)
        CreateChildHandles();
    ShowWindow(FHandle, Value ? SW_SHOW : SW_HIDE);
    if (FParent && FAlign != alNone)
        FParent->Realign();
}

bool TControl::Enabled() const {
    return FHandle ? IsWindowEnabled(FHandle) != FALSE : FEnabled;
}
void TControl::SetEnabled(bool Value) {
    FEnabled = Value;
    if (FHandle && (IsWindowEnabled(FHandle) != FALSE) != Value) {
        EnableWindow(FHandle, Value);
        Invalidate();
    }
}

std::string TControl::Caption() const {
    if (!FHandle)
        return FCaption;
    const int n = GetWindowTextLengthA(FHandle);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(FHandle, text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

void TControl::SetCaption(const std::string& Value) {
    if (!FHandle) {
        if (FCaption != Value) {
            FCaption = Value;
            TextChanged();
        }
        return;
    }
    if (Caption() != Value) {
        SetWindowTextA(FHandle, Value.c_str());
        TextChanged();
    }
}

void TControl::SetColor(TColor Value) {
    FColor = Value;
    Invalidate();
}

void TControl::SetFont(const TFont& Value) {
    FFont = Value;
    FParentFont = false;
    ApplyFont();
}

void TControl::SetParentFont(bool Value) {
    FParentFont = Value;
    if (Value && FParent) {
        FFont = FParent->FFont;
        ApplyFont();
    }
}

void TControl::ApplyFont() {
    if (FHandle && FSystemClass)
        SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), TRUE);
    if (FHandle)
        FontChanged();
    for (TControl* child : FControls) {
        if (child->FParentFont) {
            child->FFont = FFont;
            child->ApplyFont();
        }
    }
}

int TControl::TabOrder() const {
    if (!FParent || !Handle())
        return -1;
    int index = 0;
    for (HWND h = GetWindow(FParent->FHandle, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == FHandle)
            return index;
        ++index;
    }
    return -1;
}

// The Tab order of sibling windows is their z-order.
void TControl::SetTabOrder(int Value) {
    if (!FParent)
        return;
    if (!FHandle || !FParent->FHandle) {
        FPendingTabOrder = std::max(Value, 0);
        return;
    }
    std::vector<HWND> siblings;
    for (HWND h = GetWindow(FParent->FHandle, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (h != FHandle)
            siblings.push_back(h);
    Value = std::clamp(Value, 0, static_cast<int>(siblings.size()));
    HWND after = Value == 0 ? HWND_TOP : siblings[static_cast<size_t>(Value - 1)];
    SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TControl::TabStop() const {
    if (!Handle())
        return FPendingTabStop == 1;
    return GetWindowLongA(FHandle, GWL_STYLE) & WS_TABSTOP;
}

void TControl::SetTabStop(bool Value) {
    if (!FHandle) {
        FPendingTabStop = Value;
        return;
    }
    LONG style = GetWindowLongA(FHandle, GWL_STYLE);
    style = Value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    SetWindowLongA(FHandle, GWL_STYLE, style);
}

void TControl::SetFocus() {
    if (Handle())
        ::SetFocus(FHandle);
}

bool TControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

// A hidden window is painted whole when it shows: only a shown one needs painting now. The
// styles are read in the process; asking the system whether the window is visible is not.
void TControl::Invalidate() {
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FHandle || !(GetWindowLongA(c->FHandle, GWL_STYLE) & WS_VISIBLE))
            return;
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TControl::SetMessageHandler(UINT Msg, TMessageEvent Handler) {
    FMessageHandlers[Msg] = std::move(Handler);
}
