#include "widgets/JvSpinEdit.h"

#include <commctrl.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr int UpDownWidth = 15;

int32_t Clamp32(double Value) {
    if (!std::isfinite(Value))
        return 0;
    Value = std::round(Value);
    if (Value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (Value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(Value);
}

} // namespace

bool TryParseSpinValue(const std::string& Text, int32_t& Result) {
    size_t begin = Text.find_first_not_of(" \t");
    size_t end = Text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    const char* first = Text.data() + begin;
    const char* last = Text.data() + end + 1;
    if (*first == '+' && ++first != last && *first == '-')
        return false; // one sign only
    if (first == last)
        return false;
    int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last)
        return false;
    Result = value;
    return true;
}

TJvSpinEdit::TJvSpinEdit(TControl* Parent) : TControl(Parent) {
    SetColor(clWindow);
}

void TJvSpinEdit::CreateWnd() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    CreateSystemHandle("EDIT",
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | ES_AUTOHSCROLL,
                       WS_EX_CLIENTEDGE, 0, 0, 121, 21);
    // A child of the edit: it goes with the edit's window.
    FUpDown = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, UpDownWidth, 17,
                              Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    // The arrows never move a position of their own: each press is a step of the value.
    SendMessageA(FUpDown, UDM_SETRANGE32, static_cast<WPARAM>(-1), 1);
    SendMessageA(FUpDown, UDM_SETPOS32, 0, 0);
    PlaceUpDown();
    ShowValue();
}

double TJvSpinEdit::Value() const {
    int32_t typed = 0;
    return TryParseSpinValue(Caption(), typed) ? typed : FValue;
}

void TJvSpinEdit::SetValue(double Value) {
    FValue = Clamp32(Value);
    ShowValue();
}

void TJvSpinEdit::ShowValue() {
    const std::string text = std::to_string(FValue);
    if (Caption() != text)
        SetCaption(text);
}

void TJvSpinEdit::Step(int Direction) {
    int32_t current = FValue;
    TryParseSpinValue(Caption(), current);
    const int64_t next =
        static_cast<int64_t>(current) + static_cast<int64_t>(Direction) * FIncrement;
    const int32_t before = FValue;
    SetValue(static_cast<double>(next));
    SendMessageA(Handle(), EM_SETSEL, 0, -1);
    if (FValue != before && OnChange)
        OnChange(this);
}

void TJvSpinEdit::PlaceUpDown() {
    if (!FUpDown)
        return;
    const RECT r = ClientRect();
    SetWindowPos(FUpDown, nullptr, r.right - UpDownWidth, 0, UpDownWidth, r.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, UpDownWidth + 1));
}

bool TJvSpinEdit::CNCommand(WORD Code) {
    if (Code != EN_CHANGE)
        return false;
    int32_t typed = 0;
    if (TryParseSpinValue(Caption(), typed) && typed != FValue) {
        FValue = typed;
        if (OnChange)
            OnChange(this);
    }
    return true;
}

LRESULT TJvSpinEdit::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(LParam);
        if (header && header->hwndFrom == FUpDown && header->code == UDN_DELTAPOS) {
            const auto* change = reinterpret_cast<NMUPDOWN*>(LParam);
            if (change->iDelta != 0)
                Step(change->iDelta > 0 ? 1 : -1);
            if (GetFocus() != Handle())
                ::SetFocus(Handle());
            return 1; // keep the arrows' own position where it is
        }
        break;
    }
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(LParam) == FUpDown)
            return 0;
        break;
    case WM_KEYDOWN:
        if (WParam == VK_UP || WParam == VK_DOWN) {
            Step(WParam == VK_UP ? 1 : -1);
            return 0;
        }
        break;
    case WM_NCPAINT: {
        // A themed edit draws its frame as one piece across the whole window, over its own
        // children (at every focus change): the arrows paint again on top.
        const LRESULT r = TControl::WndProc(Msg, WParam, LParam);
        if (FUpDown)
            RedrawWindow(FUpDown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return r;
    }
    case WM_KILLFOCUS: {
        const LRESULT r = TControl::WndProc(Msg, WParam, LParam);
        ShowValue(); // a text that is no whole number gives way to the value
        return r;
    }
    case WM_SIZE: {
        const LRESULT r = TControl::WndProc(Msg, WParam, LParam);
        PlaceUpDown();
        return r;
    }
    case WM_SETFONT: {
        const LRESULT r = TControl::WndProc(Msg, WParam, LParam);
        PlaceUpDown(); // the edit resets its margins with a new font
        return r;
    }
    default:
        break;
    }
    return TControl::WndProc(Msg, WParam, LParam);
}
