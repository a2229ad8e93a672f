#include "widgets/JvXPButton.h"

#include "gui/Gradient.h"

namespace {

void Frame(HDC DC, const RECT& R, COLORREF Color, int Round) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, Color));
    TSelectObject selectedPen(DC, pen.get());
    TSelectObject hollow(DC, GetStockObject(NULL_BRUSH));
    RoundRect(DC, R.left, R.top, R.right, R.bottom, Round, Round);
}

} // namespace

TJvXPButton::TJvXPButton(TControl* Parent) : TCustomButton(Parent) {}

void TJvXPButton::CreateWnd() {
    CreateHandle("TJvXPButton", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 0, 73,
                 21);
}

LRESULT TJvXPButton::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
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
        const POINT p{static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
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
        if (WParam == VK_SPACE) {
            FSpaceDown = true;
            FPressed = FMouseInside = true;
            Invalidate();
            return 0;
        }
        break;
    case WM_KEYUP:
        if (WParam == VK_SPACE && FSpaceDown) {
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
    return TCustomButton::WndProc(Msg, WParam, LParam);
}

void TJvXPButton::Paint(HDC DC, const RECT& ClientRect) {
    RECT r = ClientRect;
    const bool enabled = Enabled();
    const bool down = FPressed && FMouseInside;
    RECT face = r;
    InflateRect(&face, -1, -1);
    if (!enabled)
        FillGradient(DC, face, RGB(245, 244, 234), RGB(245, 244, 234));
    else if (down)
        FillGradient(DC, face, RGB(226, 226, 218), RGB(242, 241, 238));
    else
        FillGradient(DC, face, RGB(255, 255, 255), RGB(214, 208, 197));
    if (enabled && (FHot || Focused()) && !down) {
        RECT rim = r;
        InflateRect(&rim, -1, -1);
        const COLORREF outer = FHot ? RGB(255, 240, 207) : RGB(206, 231, 255);
        const COLORREF inner = FHot ? RGB(248, 179, 48) : RGB(105, 130, 238);
        Frame(DC, rim, outer, 3);
        InflateRect(&rim, -1, -1);
        Frame(DC, rim, inner, 3);
    }
    Frame(DC, r, enabled ? RGB(0, 60, 116) : RGB(201, 199, 186), 5);

    const std::string caption = Caption();
    RECT text = r;
    if (down)
        OffsetRect(&text, 1, 1);
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, enabled ? ColorToRGB(Font().Color()) : RGB(161, 161, 146));
    {
        TSelectObject font(DC, Font().Handle());
        DrawTextA(DC, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (Focused() && enabled) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        SetTextColor(DC, RGB(0, 0, 0));
        DrawFocusRect(DC, &focus);
    }
}
