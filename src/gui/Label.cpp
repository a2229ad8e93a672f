#include "gui/Label.h"

#include <vector>

#include "gui/Decoration.h"

TLabel::TLabel(TControl* Parent) : TControl(Parent) {}

void TLabel::CreateWnd() {
    CreateHandle("TLabel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 65, 13);
}

LRESULT TLabel::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (PassFocusOn(Handle(), Msg, WParam))
        return 0;
    return TControl::WndProc(Msg, WParam, LParam);
}

UINT TLabel::TextFormat() const {
    UINT format = DT_NOPREFIX | DT_EXPANDTABS;
    format |= FWordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (FAlignment == taCenter)
        format |= DT_CENTER;
    else if (FAlignment == taRightJustify)
        format |= DT_RIGHT;
    return format;
}

void TLabel::TextChanged() {
    if (FAutoSize)
        AdjustSize();
    Invalidate();
}

void TLabel::FontChanged() {
    if (FAutoSize)
        AdjustSize();
    Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
    FAutoSize = Value;
    if (Value)
        AdjustSize();
}

void TLabel::SetWordWrap(bool Value) {
    FWordWrap = Value;
    if (FAutoSize)
        AdjustSize();
    Invalidate();
}

void TLabel::AdjustSize() {
    if (!HandleAllocated())
        return;
    std::string text = Caption();
    if (text.empty())
        text = " ";
    RECT r{0, 0, FWordWrap ? Width() : 0, 0};
    {
        TClientDC dc(Handle());
        TSelectObject font(dc.dc(), Font().Handle());
        DrawTextA(dc.dc(), text.c_str(), -1, &r, TextFormat() | DT_CALCRECT);
    }
    // Two pixels for the last glyph's ink past its advance width (substituted fonts under Wine
    // draw a closing "." there), which the label's own window would otherwise clip.
    SetBounds(Left(), Top(), FWordWrap ? Width() : r.right + 2, r.bottom);
}

// Lets the parent, then each visible sibling that lies beneath the label, draw itself into DC
// shifted to the label's place.
void TLabel::PaintBeneath(HDC DC) {
    HWND parent = GetParent(Handle());
    if (!parent)
        return;
    RECT self{};
    GetWindowRect(Handle(), &self);
    std::vector<HWND> beneath;
    for (HWND h = GetWindow(Handle(), GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT)) {
        RECT r{}, common{};
        const bool shown = GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE;
        if (shown && GetWindowRect(h, &r) && IntersectRect(&common, &r, &self))
            beneath.push_back(h);
    }
    auto print = [&](HWND H) {
        POINT origin{0, 0};
        ClientToScreen(H, &origin);
        const int saved = SaveDC(DC);
        OffsetViewportOrgEx(DC, origin.x - self.left, origin.y - self.top, nullptr);
        SendMessageA(H, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT);
        RestoreDC(DC, saved);
    };
    print(parent);
    for (auto it = beneath.rbegin(); it != beneath.rend(); ++it)
        print(*it);
}

void TLabel::Paint(HDC DC, const RECT& ClientRect) {
    if (FTransparent)
        PaintBeneath(DC);
    RECT r = ClientRect;
    TSelectObject font(DC, Font().Handle());
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, Enabled() ? ColorToRGB(Font().Color()) : GetSysColor(COLOR_GRAYTEXT));
    const std::string text = Caption();
    DrawTextA(DC, text.c_str(), -1, &r, TextFormat());
}
