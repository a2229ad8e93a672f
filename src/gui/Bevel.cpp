#include "gui/Bevel.h"

TBevel::TBevel(TControl* parent) : TControl(parent) {}

void TBevel::CreateWnd() {
    CreateHandle("TBevel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 50, 50);
    // Drawn on the parent's surface: whatever lies over it stays in front.
    SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TBevel::Paint(HDC dc, const RECT& clientRect) {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    // The first colour draws the upper/left edge of a line, the second its lower/right edge.
    const COLORREF first = FStyle == bsLowered ? shadow : highlight;
    const COLORREF second = FStyle == bsLowered ? highlight : shadow;
    const RECT& r = clientRect;
    auto line = [dc](int x1, int y1, int x2, int y2, COLORREF color) {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
        TSelectObject selected(dc, pen.get());
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    };
    switch (FShape) {
    case bsBox: {
        RECT box = r;
        DrawEdge(dc, &box, FStyle == bsLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        break;
    }
    case bsFrame: {
        RECT outer = r;
        DrawEdge(dc, &outer, FStyle == bsLowered ? EDGE_ETCHED : EDGE_BUMP, BF_RECT);
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
