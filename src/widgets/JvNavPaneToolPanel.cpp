#include "widgets/JvNavPaneToolPanel.h"

#include "gui/Gradient.h"

namespace {

void Line(HDC DC, int X1, int Y1, int X2, int Y2) {
    MoveToEx(DC, X1, Y1, nullptr);
    LineTo(DC, X2, Y2);
}

} // namespace

TJvNavPaneToolPanel::TJvNavPaneToolPanel(TControl* Parent) : TControl(Parent) {}

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

void TJvNavPaneToolPanel::SetHeaderFont(const TFont& Value) {
    FHeaderFont = Value;
    FHeaderFontSet = true;
    Invalidate();
}

void TJvNavPaneToolPanel::SetShowHeader(bool Value) {
    FShowHeader = Value;
    Realign();
    Invalidate();
}

void TJvNavPaneToolPanel::SetHeaderHeight(int Value) {
    FHeaderHeight = Value;
    Realign();
    Invalidate();
}

void TJvNavPaneToolPanel::AdjustClientRect(RECT& Rect) const {
    if (FShowHeader)
        Rect.top += FHeaderHeight;
}

RECT TJvNavPaneToolPanel::CloseButtonRect() const {
    if (!FShowHeader || !FCloseButton)
        return RECT{};
    const RECT c = ClientRect();
    const int size = 16;
    const int top = (FHeaderHeight - size) / 2;
    return RECT{c.right - size - 4, top, c.right - 4, top + size};
}

bool TJvNavPaneToolPanel::OverClose(LPARAM LParam) const {
    const POINT p{static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
    const RECT r = CloseButtonRect();
    return PtInRect(&r, p);
}

LRESULT TJvNavPaneToolPanel::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (OverClose(LParam)) {
            FClosePressed = true;
            SetCapture(Handle());
            InvalidateRect(Handle(), nullptr, FALSE);
            return 0; // a press on the close button is not a press on the panel
        }
        break;
    case WM_MOUSEMOVE: {
        const bool hot = OverClose(LParam);
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
            if (OverClose(LParam) && OnClose)
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
    return TControl::WndProc(Msg, WParam, LParam);
}

void TJvNavPaneToolPanel::Paint(HDC DC, const RECT& ClientRect) {
    // Frame around the whole panel.
    GdiObject<HPEN> framePen(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow)));
    TSelectObject pen(DC, framePen.get());
    {
        TSelectObject hollow(DC, GetStockObject(NULL_BRUSH));
        Rectangle(DC, ClientRect.left, ClientRect.top, ClientRect.right, ClientRect.bottom);
    }
    if (!FShowHeader)
        return;
    RECT header{ClientRect.left, ClientRect.top, ClientRect.right, ClientRect.top + FHeaderHeight};
    RECT fill = header;
    InflateRect(&fill, -1, -1);
    fill.bottom += 1;
    FillGradient(DC, fill, RGB(240, 240, 236), RGB(214, 210, 200));
    Line(DC, header.left, header.bottom - 1, header.right, header.bottom - 1);

    int x = header.left + 6;
    if (FShowGrabber) {
        // Two columns of dots.
        for (int y = header.top + 5; y < header.bottom - 5; y += 3) {
            for (int col = 0; col < 2; ++col) {
                RECT light{x + col * 3 + 1, y + 1, x + col * 3 + 3, y + 3};
                FillRect(DC, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
                RECT dark{x + col * 3, y, x + col * 3 + 2, y + 2};
                FillRect(DC, &dark, GetSysColorBrush(COLOR_BTNSHADOW));
            }
        }
        x += 10;
    }
    RECT text{x, header.top, header.right - 24, header.bottom};
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(FHeaderFont.Color()));
    {
        TSelectObject font(DC, FHeaderFont.Handle());
        const std::string caption = Caption();
        DrawTextA(DC, caption.c_str(), -1, &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }

    if (FCloseButton) {
        RECT b = CloseButtonRect();
        if (FCloseHot || FClosePressed) {
            FillGradient(DC, b, FClosePressed ? RGB(200, 200, 190) : RGB(255, 255, 255),
                         FClosePressed ? RGB(230, 230, 224) : RGB(225, 222, 214));
            TSelectObject hollow(DC, GetStockObject(NULL_BRUSH));
            Rectangle(DC, b.left, b.top, b.right, b.bottom);
        }
        GdiObject<HPEN> cross(CreatePen(PS_SOLID, 2, ColorToRGB(clBtnText)));
        TSelectObject crossPen(DC, cross.get());
        InflateRect(&b, -4, -4);
        Line(DC, b.left, b.top, b.right, b.bottom);
        Line(DC, b.right, b.top, b.left, b.bottom);
    }
}
