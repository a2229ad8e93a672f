#include "gui/PageControl.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/Application.h"

namespace {

void InitTabControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

} // namespace

TPageControl::TPageControl(TControl* Parent) : TControl(Parent) {
    Application().AddMessageFilter(this);
}

// The selectors of the pages added so far come with the window; the pages' own windows follow.
// The dialog manager never stops at a window that holds controls for it (WS_EX_CONTROLPARENT):
// the selectors are a stop of their own, and Tab from them enters the active page (TabIntoPage).
void TPageControl::CreateWnd() {
    InitTabControls();
    CreateSystemHandle(WC_TABCONTROLA,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                           StyleBits(),
                       0, 0, 0, 289, 193);
    // Made with flat buttons, the control would draw separators between them as well.
    Perform(TCM_SETEXTENDEDSTYLE, TCS_EX_FLATSEPARATORS, 0);
    if (FImages)
        Perform(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->Handle()));
    for (size_t i = 0; i < FPages.size(); ++i)
        InsertTab(static_cast<int>(i));
}

void TPageControl::WindowsCreated() {
    Perform(TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
    ShowActivePage();
}

TPageControl::~TPageControl() {
    Application().RemoveMessageFilter(this);
    for (TTabSheet* page : FPages)
        page->FPageControl = nullptr;
}

DWORD TPageControl::StyleBits() const {
    switch (FStyle) {
    case tsButtons:
        return TCS_BUTTONS;
    case tsFlatButtons:
        return TCS_BUTTONS | TCS_FLATBUTTONS;
    default:
        return TCS_TABS;
    }
}

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount())
        return nullptr;
    return FPages[static_cast<size_t>(Index)];
}

int TPageControl::ActivePageIndex() const {
    const auto it = std::find(FPages.begin(), FPages.end(), FActivePage);
    return it == FPages.end() ? -1 : static_cast<int>(it - FPages.begin());
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->FPageControl != this)
        return;
    FActivePage = Page;
    if (!HandleAllocated())
        return; // shown once the windows are made
    Perform(TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
    ShowActivePage();
}

// The active page is laid out first, then the others hide: no moment without a page.
void TPageControl::ShowActivePage() {
    if (FActivePage && !FActivePage->Visible())
        FActivePage->Show();
    for (TTabSheet* page : FPages)
        if (page != FActivePage && page->Visible())
            page->Hide();
}

void TPageControl::SetStyle(TTabStyle Value) {
    FStyle = Value;
    if (!HandleAllocated())
        return;
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    style &= ~static_cast<LONG>(TCS_BUTTONS | TCS_FLATBUTTONS);
    style |= static_cast<LONG>(StyleBits());
    SetWindowLongA(Handle(), GWL_STYLE, style);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Realign();
    Invalidate();
}

void TPageControl::SetImages(TImageList* Value) {
    FImages = Value;
    if (!HandleAllocated())
        return;
    Perform(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Value ? Value->Handle() : nullptr));
    Realign();
    Invalidate();
}

RECT TPageControl::TabRect(int Index) const {
    RECT r{};
    if (Index >= 0 && Index < PageCount())
        SendMessageA(Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(Index),
                     reinterpret_cast<LPARAM>(&r));
    return r;
}

void TPageControl::AdjustClientRect(RECT& Rect) const {
    RECT window{};
    GetWindowRect(Handle(), &window);
    RECT display{0, 0, window.right - window.left, window.bottom - window.top};
    SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    IntersectRect(&Rect, &Rect, &display);
}

bool TPageControl::CNNotify(NMHDR* Header, LRESULT& Result) {
    switch (Header->code) {
    case TCN_SELCHANGING: {
        bool allow = true;
        if (OnChanging)
            OnChanging(this, allow);
        Result = allow ? FALSE : TRUE;
        return true;
    }
    case TCN_SELCHANGE:
        Changed();
        Result = 0;
        return true;
    default:
        return false;
    }
}

void TPageControl::Changed() {
    FActivePage = Pages(static_cast<int>(Perform(TCM_GETCURSEL)));
    ShowActivePage();
    if (OnChange)
        OnChange(this);
}

void TPageControl::SelectByKey(int Index) {
    if (Index < 0 || Index >= PageCount() || Index == ActivePageIndex())
        return;
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (!allow)
        return;
    Perform(TCM_SETCURSEL, static_cast<WPARAM>(Index), 0);
    Changed();
}

void TPageControl::SelectNextPage(bool GoForward) {
    const int count = PageCount();
    if (count < 2)
        return;
    const int at = ActivePageIndex();
    SelectByKey(GoForward ? (at + 1) % count : (at + count - 1) % count);
}

// The first stop on the active page, else the stop after the page control.
HWND TPageControl::TabIntoPage() const {
    if (FActivePage && FActivePage->HandleAllocated() && IsWindowVisible(FActivePage->Handle()))
        if (HWND first = GetNextDlgTabItem(FActivePage->Handle(), nullptr, FALSE))
            return first;
    return GetNextDlgTabItem(GetAncestor(Handle(), GA_ROOT), Handle(), FALSE);
}

LRESULT TPageControl::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    // Tab alone on the selectors goes on into the active page, which the dialog manager would
    // pass by; Shift+Tab and Ctrl+Tab are left to it and to the message loop.
    const auto* key = reinterpret_cast<const MSG*>(LParam);
    const bool plainTab =
        GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (Msg == WM_GETDLGCODE && key && key->message == WM_KEYDOWN && key->wParam == VK_TAB &&
        plainTab)
        return TControl::WndProc(Msg, WParam, LParam) | DLGC_WANTTAB;
    if (Msg == WM_KEYDOWN && WParam == VK_TAB && plainTab) {
        if (HWND next = TabIntoPage())
            ::SetFocus(next);
        return 0;
    }
    // The system's button-style selectors only move their focus mark with the arrows; tabs
    // select, and so do buttons here.
    if (Msg == WM_KEYDOWN && FStyle != tsTabs) {
        switch (WParam) {
        case VK_LEFT:
        case VK_UP:
            SelectByKey(ActivePageIndex() - 1);
            return 0;
        case VK_RIGHT:
        case VK_DOWN:
            SelectByKey(ActivePageIndex() + 1);
            return 0;
        default:
            break;
        }
    }
    return TControl::WndProc(Msg, WParam, LParam);
}

namespace {

// The first page control among control's descendants whose window shows and takes input.
TPageControl* FirstShownPageControl(const TControl& Control) {
    for (TControl* child : Control.Controls()) {
        if (!IsWindowVisible(child->Handle()) || !IsWindowEnabled(child->Handle()))
            continue;
        if (auto* pages = dynamic_cast<TPageControl*>(child))
            return pages;
        if (TPageControl* pages = FirstShownPageControl(*child))
            return pages;
    }
    return nullptr;
}

} // namespace

bool TPageControl::PreTranslateMessage(const MSG& Msg) {
    if (Msg.message != WM_KEYDOWN || Msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0 ||
        GetKeyState(VK_MENU) < 0)
        return false;
    TPageControl* pages = nullptr;
    HWND root = GetAncestor(Msg.hwnd, GA_ROOT);
    for (HWND h = Msg.hwnd; h && !pages; h = h == root ? nullptr : GetParent(h))
        pages = dynamic_cast<TPageControl*>(TControl::FromHandle(h));
    if (!pages) {
        const TControl* form = TControl::FromHandle(root);
        pages = form ? FirstShownPageControl(*form) : nullptr;
    }
    if (pages != this)
        return false;
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    return true;
}

void TPageControl::InsertTab(int Index) {
    TTabSheet* page = FPages[static_cast<size_t>(Index)];
    const std::string text = page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = page->ImageIndex();
    Perform(TCM_INSERTITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::InsertPage(TTabSheet* Page) {
    FPages.push_back(Page);
    if (HandleAllocated())
        InsertTab(PageCount() - 1);
    if (!FActivePage)
        SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
    const auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end())
        return;
    if (HandleAllocated())
        Perform(TCM_DELETEITEM, static_cast<WPARAM>(it - FPages.begin()), 0);
    FPages.erase(it);
    if (FActivePage == Page) {
        FActivePage = nullptr;
        SetActivePage(Pages(0));
    }
}

void TPageControl::UpdateTab(TTabSheet* Page) {
    const auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end() || !HandleAllocated())
        return;
    const std::string text = Page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = Page->ImageIndex();
    Perform(TCM_SETITEMA, static_cast<WPARAM>(it - FPages.begin()),
            reinterpret_cast<LPARAM>(&item));
    // The selectors' row may have grown or shrunk.
    Realign();
}

TTabSheet::TTabSheet(TPageControl* PageControl) : TControl(PageControl), FPageControl(PageControl) {
    SetAlign(alClient);
    FPageControl->InsertPage(this);
}

// Hidden until the page control shows it.
void TTabSheet::CreateWnd() {
    CreateHandle("TTabSheet", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, 0,
                 0, 281, 165);
}

TTabSheet::~TTabSheet() {
    if (FPageControl)
        FPageControl->RemovePage(this);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl)
        return -1;
    for (int i = 0; i < FPageControl->PageCount(); ++i)
        if (FPageControl->Pages(i) == this)
            return i;
    return -1;
}

void TTabSheet::SetImageIndex(int Value) {
    FImageIndex = Value;
    if (FPageControl)
        FPageControl->UpdateTab(this);
}

void TTabSheet::TextChanged() {
    if (FPageControl)
        FPageControl->UpdateTab(this);
    Invalidate();
}
