#include "widgets/JvXPButton.h"

#include "gui/Gradient.h"

namespace {

void Frame(HDC dc, const RECT& r, COLORREF color, int round) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
    TSelectObject selectedPen(dc, pen.get());
    TSelectObject hollow(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, round, round);
}

} // namespace

TJvXPButton::TJvXPButton(TControl* parent) : TCustomButton(parent) {}

void TJvXPButton::CreateWnd() {
    CreateHandle("TJvXPButton", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 0, 73,
                 21);
}

LRESULT TJvXPButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FPressed = true;
        FMouseInside = true;
        SetCapture(Handle());
        if (GetFocus() != Handle())
            ::SetFocus(Handle());
        Invalidate();
        break; // the mouse-down event as for any control
    case WM_MOUSEMOVE: {
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const RECT r = ClientRect();
        const bool inside = PtInRect(&r, p);
        if (inside != FMouseInside || inside != FHot) {
            FMouseInside = inside;
            FHot = inside;
            Invalidate();
        }
        if (inside) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&tme);
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        FHot = false;
        if (!FPressed)
            FMouseInside = false;
        Invalidate();
        return 0;
    case WM_LBUTTONUP: {
        const bool click = FPressed && FMouseInside;
        FPressed = false;
        if (GetCapture() == Handle())
            ReleaseCapture();
        Invalidate();
        if (click && Enabled())
            Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (FPressed) {
            FPressed = false;
            Invalidate();
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            FSpaceDown = true;
            FPressed = FMouseInside = true;
            Invalidate();
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE && FSpaceDown) {
            FSpaceDown = false;
            FPressed = false;
            Invalidate();
            if (Enabled())
                Click();
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        Invalidate();
        break;
    default:
        break;
    }
    return TCustomButton::WndProc(msg, wParam, lParam);
}

void TJvXPButton::Paint(HDC dc, const RECT& clientRect) {
    RECT r = clientRect;
    const bool enabled = Enabled();
    const bool down = FPressed && FMouseInside;
    RECT face = r;
    InflateRect(&face, -1, -1);
    if (!enabled)
        FillGradient(dc, face, RGB(245, 244, 234), RGB(245, 244, 234));
    else if (down)
        FillGradient(dc, face, RGB(226, 226, 218), RGB(242, 241, 238));
    else
        FillGradient(dc, face, RGB(255, 255, 255), RGB(214, 208, 197));
    if (enabled && (FHot || Focused()) && !down) {
        RECT rim = r;
        InflateRect(&rim, -1, -1);
        const COLORREF outer = FHot ? RGB(255, 240, 207) : RGB(206, 231, 255);
        const COLORREF inner = FHot ? RGB(248, 179, 48) : RGB(105, 130, 238);
        Frame(dc, rim, outer, 3);
        InflateRect(&rim, -1, -1);
        Frame(dc, rim, inner, 3);
    }
    Frame(dc, r, enabled ? RGB(0, 60, 116) : RGB(201, 199, 186), 5);

    const std::string caption = Caption();
    RECT text = r;
    if (down)
        OffsetRect(&text, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? ColorToRGB(Font().Color()) : RGB(161, 161, 146));
    {
        TSelectObject font(dc, Font().Handle());
        DrawTextA(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (Focused() && enabled) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawFocusRect(dc, &focus);
    }
}
