#include "gui/Panel.h"

namespace {

void DrawBevel(HDC DC, RECT& R, TBevelCut Cut) {
    if (Cut == bvNone)
        return;
    if (Cut != bvSpace)
        DrawEdge(DC, &R, Cut == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    InflateRect(&R, -1, -1);
}

} // namespace

int BevelKindWidth(TBevelKind Kind) {
    switch (Kind) {
    case bkTile:
    case bkSoft:
        return 2;
    case bkFlat:
        return 1;
    default:
        return 0;
    }
}

void DrawBevelKind(HDC DC, RECT& R, TBevelKind Kind) {
    switch (Kind) {
    case bkTile:
    case bkSoft:
        DrawEdge(DC, &R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        break;
    case bkFlat:
        DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_FLAT);
        break;
    default:
        break;
    }
}

TPanel::TPanel(TControl* Parent) : TPanel(Parent, "TPanel") {}

TPanel::TPanel(TControl* Parent, const char* ClassName) : TControl(Parent), FClassName(ClassName) {}

void TPanel::CreateWnd() {
    CreateHandle(FClassName, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 WS_EX_CONTROLPARENT, 0, 0, 185, 41);
}

void TPanel::Changed() {
    Realign();
    Invalidate();
}

void TPanel::AdjustClientRect(RECT& Rect) const {
    int inset = BevelKindWidth(FBevelKind) + FBorderWidth;
    if (FBevelOuter != bvNone)
        ++inset;
    if (FBevelInner != bvNone)
        ++inset;
    InflateRect(&Rect, -inset, -inset);
}

void TPanel::Paint(HDC DC, const RECT& ClientRect) {
    RECT r = ClientRect;
    DrawBevelKind(DC, r, FBevelKind);
    DrawBevel(DC, r, FBevelOuter);
    InflateRect(&r, -FBorderWidth, -FBorderWidth);
    DrawBevel(DC, r, FBevelInner);
    const std::string caption = Caption();
    if (!caption.empty()) {
        TSelectObject font(DC, Font().Handle());
        SetBkMode(DC, TRANSPARENT);
        SetTextColor(DC, ColorToRGB(Font().Color()));
        DrawTextA(DC, caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}
