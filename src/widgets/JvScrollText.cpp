#include "widgets/JvScrollText.h"

#include <algorithm>

namespace {
constexpr UINT_PTR StepTimer = 1;
} // namespace

TJvScrollText::TJvScrollText(TControl* parent) : TControl(parent) {}

void TJvScrollText::CreateWnd() {
    CreateHandle("TJvScrollText", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 200, 150);
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
    if (!Handle())
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

void TJvScrollText::SetActive(bool value) {
    if (value) {
        FLines = FItems;
        Measure();
        Restart();
    }
    FActive = value;
    UpdateTimer();
}

void TJvScrollText::UpdateTimer() {
    if (!Handle())
        return;
    KillTimer(Handle(), StepTimer);
    if (FActive)
        SetTimer(Handle(), StepTimer, FDelay, nullptr); // 0 is the system's shortest interval
}

void TJvScrollText::SetDelay(unsigned value) {
    FDelay = value;
    UpdateTimer();
}

void TJvScrollText::SetWordWrap(bool value) {
    FWordWrap = value;
    Measure();
    Invalidate();
}

void TJvScrollText::SetScrollDirection(TJvScrollTextDirection value) {
    FScrollDirection = value;
    Measure();
    Restart();
}

void TJvScrollText::FontChanged() {
    Measure();
    Invalidate();
}

LRESULT TJvScrollText::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == StepTimer) {
            Step();
            return 0;
        }
        break;
    case WM_SIZE: {
        const LRESULT r = TControl::WndProc(msg, wParam, lParam);
        Measure();
        return r;
    }
    default:
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

void TJvScrollText::Paint(HDC dc, const RECT& clientRect) {
    // The DC's own brush: no brush is made per painting.
    SetDCBrushColor(dc, ColorToRGB(FBackgroundColor));
    FillRect(dc, &clientRect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    TSelectObject font(dc, Font().Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font().Color()));
    int y = Vertical() ? FPosition : 0;
    const int x = Vertical() ? 0 : FPosition;
    for (size_t i = 0; i < FLines.size() && i < FLineHeights.size(); ++i) {
        const int h = FLineHeights[i];
        if (y + h > clientRect.top && y < clientRect.bottom && !FLines[i].empty()) {
            RECT r{x, y, Vertical() ? clientRect.right : x + FBlockExtent, y + h};
            DrawTextA(dc, FLines[i].c_str(), -1, &r, TextFormat());
        }
        y += h;
    }
}
