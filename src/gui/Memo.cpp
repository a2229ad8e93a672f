#include "gui/Memo.h"

#include <algorithm>
#include <vector>

#include "base/Handles.h"

namespace {

const std::string LineBreak = "\r\n";

std::vector<std::string> SplitLines(const std::string& Text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < Text.size()) {
        const size_t end = Text.find(LineBreak, start);
        if (end == std::string::npos) {
            lines.push_back(Text.substr(start));
            break;
        }
        lines.push_back(Text.substr(start, end - start));
        start = end + LineBreak.size();
    }
    return lines;
}

} // namespace

int TMemoLines::Count() const {
    return static_cast<int>(SplitLines(FMemo.Caption()).size());
}

std::string TMemoLines::Strings(int Index) const {
    const std::vector<std::string> lines = SplitLines(FMemo.Caption());
    if (Index < 0 || Index >= static_cast<int>(lines.size()))
        return std::string();
    return lines[static_cast<size_t>(Index)];
}

void TMemoLines::Add(const std::string& Line) {
    std::string text = FMemo.Caption();
    if (!text.empty() && !text.ends_with(LineBreak))
        text += LineBreak;
    FMemo.SetCaption(text + Line + LineBreak);
}

void TMemoLines::Clear() {
    FMemo.SetCaption(std::string());
}

std::string TMemoLines::Text() const {
    std::string text;
    for (const std::string& line : SplitLines(FMemo.Caption()))
        text += line + LineBreak;
    return text;
}

void TMemoLines::SetText(const std::string& Text) {
    FMemo.SetCaption(Text);
}

void TMemo::CreateWnd() {
    TCustomMemo::CreateWnd();
    FrameChanged();
}

DWORD TMemo::WindowStyle() const {
    return EditStyle() | ES_AUTOVSCROLL | ES_NOHIDESEL;
}

DWORD TMemo::WindowExStyle() const {
    return 0; // the border and the bevel are drawn by the memo itself
}

int TMemo::FrameWidth() const {
    return BevelKindWidth(FBevelKind) + (FBorderStyle == bsNone ? 0 : 2);
}

void TMemo::FrameChanged() {
    if (!HandleAllocated())
        return;
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TMemo::ApplySettings() {
    Perform(EM_SETLIMITTEXT, 0, 0);
}

// The system's edit box reads its alignment only when it is made: before that, the window is
// simply made with it.
void TMemo::SetAlignment(TAlignment Value) {
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    RecreateHandle();
}

void TMemo::SetBorderStyle(TBorderStyle Value) {
    FBorderStyle = Value == bsNone ? bsNone : bsSingle;
    FrameChanged();
}

void TMemo::SetBevelKind(TBevelKind Value) {
    FBevelKind = Value;
    FrameChanged();
}

void TMemo::PaintFrame() {
    TWindowDC windowDC(Handle());
    if (!windowDC.dc())
        return;
    RECT r{0, 0, Width(), Height()};
    DrawBevelKind(windowDC.dc(), r, FBevelKind);
    if (FBorderStyle != bsNone)
        DrawEdge(windowDC.dc(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
}

LRESULT TMemo::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_NCCALCSIZE: {
        RECT* r = WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(LParam)->rgrc[0]
                         : reinterpret_cast<RECT*>(LParam);
        const int w = FrameWidth();
        r->left += w;
        r->top += w;
        r->right = std::max(r->left, r->right - w);
        r->bottom = std::max(r->top, r->bottom - w);
        return 0;
    }
    case WM_NCPAINT:
        PaintFrame();
        return 0;
    default:
        break;
    }
    return TCustomMemo::WndProc(Msg, WParam, LParam);
}
