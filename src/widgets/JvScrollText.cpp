#include "widgets/JvScrollText.h"

#include <algorithm>

#include "gui/Decoration.h"

namespace {
constexpr UINT_PTR StepTimer = 1;
} // namespace

TJvScrollText::TJvScrollText(TControl* Parent) : TControl(Parent) {}

void TJvScrollText::CreateWnd() {
    CreateHandle("TJvScrollText", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 200, 150);
    Measure();
    UpdateTimer();
}

TJvScrollText::~TJvScrollText() {
    if (HandleAllocated())
        KillTimer(Handle(), StepTimer);
}

UINT TJvScrollText::TextFormat() const {
    UINT format = DT_NOPREFIX | DT_EXPANDTABS;
    format |= (FWordWrap && Vertical()) ? DT_WORDBREAK : DT_SINGLELINE;
    if (FAlignment == taCenter)
        format |= DT_CENTER;
    else if (FAlignment == taRightJustify)
        format |= DT_RIGHT;
    return format;
}

// Heights of the shown lines (wrapped at the control's width when WordWrap is on) and the
// block's extent along the motion.
void TJvScrollText::Measure() {
    FLineHeights.clear();
    FBlockExtent = 0;
    if (!HandleAllocated())
        return;
    TClientDC client(Handle());
    HDC dc = client.dc();
    TSelectObject font(dc, Font().Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    int widest = 0;
    for (const std::string& line : FLines) {
        RECT r{0, 0, std::max(ClientWidth(), 1), 0};
        if (line.empty()) {
            r.bottom = tm.tmHeight;
        } else {
            DrawTextA(dc, line.c_str(), -1, &r, TextFormat() | DT_CALCRECT);
        }
        FLineHeights.push_back(std::max<int>(r.bottom - r.top, tm.tmHeight));
        widest = std::max<int>(widest, line.empty() ? 0 : r.right - r.left);
    }
    if (Vertical()) {
        for (int h : FLineHeights)
            FBlockExtent += h;
    } else {
        FBlockExtent = widest;
    }
}

void TJvScrollText::Restart() {
    switch (FScrollDirection) {
    case drFromBottom:
        FPosition = ClientHeight();
        break;
    case drFromTop:
        FPosition = -FBlockExtent;
        break;
    case drFromRight:
        FPosition = ClientWidth();
        break;
    case drFromLeft:
        FPosition = -FBlockExtent;
        break;
    }
    Invalidate();
}

void TJvScrollText::Step() {
    const int extent = Vertical() ? ClientHeight() : ClientWidth();
    switch (FScrollDirection) {
    case drFromBottom:
    case drFromRight:
        FPosition -= FScrollPixels;
        if (FPosition + FBlockExtent <= 0)
            FPosition = extent;
        break;
    case drFromTop:
    case drFromLeft:
        FPosition += FScrollPixels;
        if (FPosition >= extent)
            FPosition = -FBlockExtent;
        break;
    }
    Invalidate();
}

void TJvScrollText::SetActive(bool Value) {
    if (Value) {
        FLines = FItems;
        Handle(); // the scrolling runs on the window's timer
        Measure();
        Restart();
    }
    FActive = Value;
    UpdateTimer();
}

void TJvScrollText::UpdateTimer() {
    if (!HandleAllocated())
        return;
    KillTimer(Handle(), StepTimer);
    if (FActive)
        SetTimer(Handle(), StepTimer, FDelay, nullptr); // 0 is the system's shortest interval
}

void TJvScrollText::SetDelay(unsigned Value) {
    FDelay = Value;
    UpdateTimer();
}

void TJvScrollText::SetWordWrap(bool Value) {
    FWordWrap = Value;
    Measure();
    Invalidate();
}

void TJvScrollText::SetScrollDirection(TJvScrollTextDirection Value) {
    FScrollDirection = Value;
    Measure();
    Restart();
}

void TJvScrollText::FontChanged() {
    Measure();
    Invalidate();
}

LRESULT TJvScrollText::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (PassFocusOn(Handle(), Msg, WParam))
        return 0;
    switch (Msg) {
    case WM_TIMER:
        if (WParam == StepTimer) {
            Step();
            return 0;
        }
        break;
    case WM_SIZE: {
        const LRESULT r = TControl::WndProc(Msg, WParam, LParam);
        Measure();
        return r;
    }
    default:
        break;
    }
    return TControl::WndProc(Msg, WParam, LParam);
}

void TJvScrollText::Paint(HDC DC, const RECT& ClientRect) {
    // The DC's own brush: no brush is made per painting.
    SetDCBrushColor(DC, ColorToRGB(FBackgroundColor));
    FillRect(DC, &ClientRect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    TSelectObject font(DC, Font().Handle());
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(Font().Color()));
    int y = Vertical() ? FPosition : 0;
    const int x = Vertical() ? 0 : FPosition;
    for (size_t i = 0; i < FLines.size() && i < FLineHeights.size(); ++i) {
        const int h = FLineHeights[i];
        if (y + h > ClientRect.top && y < ClientRect.bottom && !FLines[i].empty()) {
            RECT r{x, y, Vertical() ? ClientRect.right : x + FBlockExtent, y + h};
            DrawTextA(DC, FLines[i].c_str(), -1, &r, TextFormat());
        }
        y += h;
    }
}
