#include "gui/GroupBox.h"

TGroupBox::TGroupBox(TControl* Parent) : TControl(Parent) {}

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

void TGroupBox::AdjustClientRect(RECT& Rect) const {
    Rect.top += CaptionHeight();
    InflateRect(&Rect, -2, -2);
}

void TGroupBox::TextChanged() {
    Realign();
    Invalidate();
}

void TGroupBox::Paint(HDC DC, const RECT& ClientRect) {
    TSelectObject font(DC, Font().Handle());
    const std::string caption = Caption();
    SIZE extent{};
    GetTextExtentPoint32A(DC, caption.c_str(), static_cast<int>(caption.size()), &extent);
    TEXTMETRICA tm{};
    GetTextMetricsA(DC, &tm);

    // The frame runs through the middle of the caption's line.
    RECT frame = ClientRect;
    frame.top += tm.tmHeight / 2;
    DrawEdge(DC, &frame, EDGE_ETCHED, BF_RECT);

    if (!caption.empty()) {
        RECT text{8, 0, 8 + extent.cx + 2, tm.tmHeight};
        FillRect(DC, &text, ColorBrush());
        SetBkMode(DC, TRANSPARENT);
        SetTextColor(DC, Enabled() ? ColorToRGB(Font().Color()) : GetSysColor(COLOR_GRAYTEXT));
        text.left += 1;
        DrawTextA(DC, caption.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
}
