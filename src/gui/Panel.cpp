#include "gui/Panel.h"

namespace {

void DrawBevel(HDC dc, RECT& r, TBevelCut cut) {
    if (cut == bvNone)
        return;
    if (cut != bvSpace)
        DrawEdge(dc, &r, cut == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    InflateRect(&r, -1, -1);
}

} // namespace

int BevelKindWidth(TBevelKind kind) {
    switch (kind) {
    case bkTile:
    case bkSoft:
        return 2;
    case bkFlat:
        return 1;
    default:
        return 0;
    }
}

void DrawBevelKind(HDC dc, RECT& r, TBevelKind kind) {
    switch (kind) {
    case bkTile:
    case bkSoft:
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        break;
    case bkFlat:
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_FLAT);
        break;
    default:
        break;
    }
}

TPanel::TPanel(TControl* parent) : TPanel(parent, "TPanel") {}

TPanel::TPanel(TControl* parent, const char* className) : TControl(parent), FClassName(className) {}

void TPanel::CreateWnd() {
    CreateHandle(FClassName, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 WS_EX_CONTROLPARENT, 0, 0, 185, 41);
}

void TPanel::Changed() {
    Realign();
    Invalidate();
}

void TPanel::AdjustClientRect(RECT& rect) const {
    int inset = BevelKindWidth(FBevelKind) + FBorderWidth;
    if (FBevelOuter != bvNone)
        ++inset;
    if (FBevelInner != bvNone)
        ++inset;
    InflateRect(&rect, -inset, -inset);
}

void TPanel::Paint(HDC dc, const RECT& clientRect) {
    RECT r = clientRect;
    DrawBevelKind(dc, r, FBevelKind);
    DrawBevel(dc, r, FBevelOuter);
    InflateRect(&r, -FBorderWidth, -FBorderWidth);
    DrawBevel(dc, r, FBevelInner);
    const std::string caption = Caption();
    if (!caption.empty()) {
        TSelectObject font(dc, Font().Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(Font().Color()));
        DrawTextA(dc, caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}
