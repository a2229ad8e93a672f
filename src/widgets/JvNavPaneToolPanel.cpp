#include "widgets/JvNavPaneToolPanel.h"

#include "gui/Gradient.h"

namespace {

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

} // namespace

TJvNavPaneToolPanel::TJvNavPaneToolPanel(TControl* parent) : TControl(parent) {}

void TJvNavPaneToolPanel::CreateWnd() {
    CreateHandle("TJvNavPaneToolPanel", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 WS_EX_CONTROLPARENT, 0, 0, 185, 41);
    FontChanged();
}

void TJvNavPaneToolPanel::FontChanged() {
    if (!FHeaderFontSet) {
        FHeaderFont = Font();
        FHeaderFont.SetStyle(fsBold);
    }
    Invalidate();
}

void TJvNavPaneToolPanel::SetHeaderFont(const TFont& value) {
    FHeaderFont = value;
    FHeaderFontSet = true;
    Invalidate();
}

void TJvNavPaneToolPanel::SetShowHeader(bool value) {
    FShowHeader = value;
    Realign();
    Invalidate();
}

void TJvNavPaneToolPanel::SetHeaderHeight(int value) {
    FHeaderHeight = value;
    Realign();
    Invalidate();
}

void TJvNavPaneToolPanel::AdjustClientRect(RECT& rect) const {
    if (FShowHeader)
        rect.top += FHeaderHeight;
}

RECT TJvNavPaneToolPanel::CloseButtonRect() const {
    if (!FShowHeader || !FCloseButton)
        return RECT{};
    const RECT c = ClientRect();
    const int size = 16;
    const int top = (FHeaderHeight - size) / 2;
    return RECT{c.right - size - 4, top, c.right - 4, top + size};
}

bool TJvNavPaneToolPanel::OverClose(LPARAM lParam) const {
    const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const RECT r = CloseButtonRect();
    return PtInRect(&r, p);
}

LRESULT TJvNavPaneToolPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (OverClose(lParam)) {
            FClosePressed = true;
            SetCapture(Handle());
            InvalidateRect(Handle(), nullptr, FALSE);
            return 0; // a press on the close button is not a press on the panel
        }
        break;
    case WM_MOUSEMOVE: {
        const bool hot = OverClose(lParam);
        if (hot != FCloseHot) {
            FCloseHot = hot;
            Invalidate();
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&tme);
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        FCloseHot = false;
        Invalidate();
        return 0;
    case WM_LBUTTONUP:
        if (FClosePressed) {
            FClosePressed = false;
            if (GetCapture() == Handle())
                ReleaseCapture();
            Invalidate();
            if (OverClose(lParam) && OnClose)
                OnClose(this);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        FClosePressed = false;
        break;
    default:
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

void TJvNavPaneToolPanel::Paint(HDC dc, const RECT& clientRect) {
    // Frame around the whole panel.
    GdiObject<HPEN> framePen(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow)));
    TSelectObject pen(dc, framePen.get());
    {
        TSelectObject hollow(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, clientRect.left, clientRect.top, clientRect.right, clientRect.bottom);
    }
    if (!FShowHeader)
        return;
    RECT header{clientRect.left, clientRect.top, clientRect.right, clientRect.top + FHeaderHeight};
    RECT fill = header;
    InflateRect(&fill, -1, -1);
    fill.bottom += 1;
    FillGradient(dc, fill, RGB(240, 240, 236), RGB(214, 210, 200));
    Line(dc, header.left, header.bottom - 1, header.right, header.bottom - 1);

    int x = header.left + 6;
    if (FShowGrabber) {
        // Two columns of dots.
        for (int y = header.top + 5; y < header.bottom - 5; y += 3) {
            for (int col = 0; col < 2; ++col) {
                RECT light{x + col * 3 + 1, y + 1, x + col * 3 + 3, y + 3};
                FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
                RECT dark{x + col * 3, y, x + col * 3 + 2, y + 2};
                FillRect(dc, &dark, GetSysColorBrush(COLOR_BTNSHADOW));
            }
        }
        x += 10;
    }
    RECT text{x, header.top, header.right - 24, header.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(FHeaderFont.Color()));
    {
        TSelectObject font(dc, FHeaderFont.Handle());
        const std::string caption = Caption();
        DrawTextA(dc, caption.c_str(), -1, &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }

    if (FCloseButton) {
        RECT b = CloseButtonRect();
        if (FCloseHot || FClosePressed) {
            FillGradient(dc, b, FClosePressed ? RGB(200, 200, 190) : RGB(255, 255, 255),
                         FClosePressed ? RGB(230, 230, 224) : RGB(225, 222, 214));
            TSelectObject hollow(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, b.left, b.top, b.right, b.bottom);
        }
        GdiObject<HPEN> cross(CreatePen(PS_SOLID, 2, ColorToRGB(clBtnText)));
        TSelectObject crossPen(dc, cross.get());
        InflateRect(&b, -4, -4);
        Line(dc, b.left, b.top, b.right, b.bottom);
        Line(dc, b.right, b.top, b.left, b.bottom);
    }
}
