#include "gui/Bevel.h"

TBevel::TBevel(TControl* Parent) : TControl(Parent) {}

void TBevel::CreateWnd() {
    // Disabled, as it only decorates: the dialog manager's arrow keys pass over it instead of
    // leaving the focus on a window that shows no focus mark.
    CreateHandle("TBevel", WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS, 0, 0, 0, 50, 50);
    // Drawn on the parent's surface: whatever lies over it stays in front.
    SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TBevel::Paint(HDC DC, const RECT& ClientRect) {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    // The first colour draws the upper/left edge of a line, the second its lower/right edge.
    const COLORREF first = FStyle == bsLowered ? shadow : highlight;
    const COLORREF second = FStyle == bsLowered ? highlight : shadow;
    const RECT& r = ClientRect;
    auto line = [DC](int X1, int Y1, int X2, int Y2, COLORREF Color) {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, Color));
        TSelectObject selected(DC, pen.get());
        MoveToEx(DC, X1, Y1, nullptr);
        LineTo(DC, X2, Y2);
    };
    switch (FShape) {
    case bsBox: {
        RECT box = r;
        DrawEdge(DC, &box, FStyle == bsLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        break;
    }
    case bsFrame: {
        RECT outer = r;
        DrawEdge(DC, &outer, FStyle == bsLowered ? EDGE_ETCHED : EDGE_BUMP, BF_RECT);
        break;
    }
    case bsTopLine:
        line(r.left, r.top, r.right, r.top, first);
        line(r.left, r.top + 1, r.right, r.top + 1, second);
        break;
    case bsBottomLine:
        line(r.left, r.bottom - 2, r.right, r.bottom - 2, first);
        line(r.left, r.bottom - 1, r.right, r.bottom - 1, second);
        break;
    case bsLeftLine:
        line(r.left, r.top, r.left, r.bottom, first);
        line(r.left + 1, r.top, r.left + 1, r.bottom, second);
        break;
    case bsRightLine:
        line(r.right - 2, r.top, r.right - 2, r.bottom, first);
        line(r.right - 1, r.top, r.right - 1, r.bottom, second);
        break;
    case bsSpacer:
        break;
    }
}
