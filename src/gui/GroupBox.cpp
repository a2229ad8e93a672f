#include "gui/GroupBox.h"

TGroupBox::TGroupBox(TControl* parent) : TControl(parent) {}

void TGroupBox::CreateWnd() {
    CreateHandle("TGroupBox", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 WS_EX_CONTROLPARENT, 0, 0, 185, 105);
}

int TGroupBox::CaptionHeight() const {
    TClientDC dc(Handle());
    TSelectObject font(dc.dc(), Font().Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.dc(), &tm);
    return tm.tmHeight;
}

void TGroupBox::AdjustClientRect(RECT& rect) const {
    rect.top += CaptionHeight();
    InflateRect(&rect, -2, -2);
}

void TGroupBox::TextChanged() {
    Realign();
    Invalidate();
}

void TGroupBox::Paint(HDC dc, const RECT& clientRect) {
    TSelectObject font(dc, Font().Handle());
    const std::string caption = Caption();
    SIZE extent{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);

    // The frame runs through the middle of the caption's line.
    RECT frame = clientRect;
    frame.top += tm.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

    if (!caption.empty()) {
        RECT text{8, 0, 8 + extent.cx + 2, tm.tmHeight};
        FillRect(dc, &text, ColorBrush());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, Enabled() ? ColorToRGB(Font().Color()) : GetSysColor(COLOR_GRAYTEXT));
        text.left += 1;
        DrawTextA(dc, caption.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
}
