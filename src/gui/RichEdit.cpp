#include "gui/RichEdit.h"

#include <richedit.h>

#include "base/Exception.h"

namespace {

const char* const RichEditClass = "RichEdit20A";

// The rich edit classes live in riched20.dll, loaded on first use and kept for the process's
// life: windows of its classes may exist until the very end.
void LoadRichEditLibrary() {
    static const HMODULE library = LoadLibraryA("riched20.dll");
    if (!library)
        throw Exception(Format("Error loading riched20.dll (error %lu)", GetLastError()));
}

// Large enough for any text the program shows; the system's default is 32,767 characters.
constexpr LPARAM NoTextLimit = 0x7FFFFFFE;

CHARFORMAT2A SelectionFormat(HWND Edit) {
    CHARFORMAT2A cf{};
    cf.cbSize = sizeof(cf);
    SendMessageA(Edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

void SetSelectionFormat(HWND Edit, CHARFORMAT2A& Cf) {
    Cf.cbSize = sizeof(Cf);
    SendMessageA(Edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&Cf));
}

WORD ParaAlignment(TAlignment Value) {
    switch (Value) {
    case taCenter:
        return PFA_CENTER;
    case taRightJustify:
        return PFA_RIGHT;
    default:
        return PFA_LEFT;
    }
}

// Keeps the selection across work that moves it.
class TSelectionKeeper {
public:
    explicit TSelectionKeeper(HWND Edit) : FEdit(Edit) {
        SendMessageA(FEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&FRange));
    }
    ~TSelectionKeeper() { SendMessageA(FEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&FRange)); }
    TSelectionKeeper(const TSelectionKeeper&) = delete;
    TSelectionKeeper& operator=(const TSelectionKeeper&) = delete;

private:
    HWND FEdit;
    CHARRANGE FRange{};
};

} // namespace

std::string TTextAttributes::Name() const {
    return SelectionFormat(FEdit.Handle()).szFaceName;
}

void TTextAttributes::SetName(const std::string& Value) {
    CHARFORMAT2A cf{};
    cf.dwMask = CFM_FACE;
    lstrcpynA(cf.szFaceName, Value.c_str(), LF_FACESIZE);
    SetSelectionFormat(FEdit.Handle(), cf);
}

TColor TTextAttributes::Color() const {
    const CHARFORMAT2A cf = SelectionFormat(FEdit.Handle());
    if (cf.dwEffects & CFE_AUTOCOLOR)
        return clWindowText;
    return static_cast<TColor>(cf.crTextColor);
}

void TTextAttributes::SetColor(TColor Value) {
    CHARFORMAT2A cf{};
    cf.dwMask = CFM_COLOR;
    if (Value == clWindowText)
        cf.dwEffects = CFE_AUTOCOLOR;
    else
        cf.crTextColor = ColorToRGB(Value);
    SetSelectionFormat(FEdit.Handle(), cf);
}

TFontStyle TTextAttributes::Style() const {
    const CHARFORMAT2A cf = SelectionFormat(FEdit.Handle());
    TFontStyle style = fsNone;
    if (cf.dwEffects & CFE_BOLD)
        style = style | fsBold;
    if (cf.dwEffects & CFE_ITALIC)
        style = style | fsItalic;
    if (cf.dwEffects & CFE_UNDERLINE)
        style = style | fsUnderline;
    return style;
}

void TTextAttributes::SetStyle(TFontStyle Value) {
    CHARFORMAT2A cf{};
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (Value & fsBold)
        cf.dwEffects |= CFE_BOLD;
    if (Value & fsItalic)
        cf.dwEffects |= CFE_ITALIC;
    if (Value & fsUnderline)
        cf.dwEffects |= CFE_UNDERLINE;
    SetSelectionFormat(FEdit.Handle(), cf);
}

int TTextAttributes::Size() const {
    return static_cast<int>(SelectionFormat(FEdit.Handle()).yHeight / 20);
}

void TTextAttributes::SetSize(int Value) {
    CHARFORMAT2A cf{};
    cf.dwMask = CFM_SIZE;
    cf.yHeight = Value * 20; // twips
    SetSelectionFormat(FEdit.Handle(), cf);
}

TRichEdit::TRichEdit(TControl* Parent) : TCustomMemo(Parent, RichEditClass) {}

void TRichEdit::CreateWnd() {
    LoadRichEditLibrary();
    TCustomMemo::CreateWnd();
}

DWORD TRichEdit::WindowStyle() const {
    DWORD style = EditStyle();
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        style |= WS_VSCROLL | ES_AUTOVSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        style |= WS_HSCROLL;
    return style;
}

void TRichEdit::ApplySettings() {
    Perform(EM_EXLIMITTEXT, 0, FMaxLength > 0 ? FMaxLength : NoTextLimit);
    // Line width 0 wraps at the window's edge; 1 practically never wraps.
    Perform(EM_SETTARGETDEVICE, 0, WordWrap() ? 0 : 1);
    Perform(EM_SETREADONLY, ReadOnly(), 0);
    ApplyAlignment();
}

void TRichEdit::ApplyAlignment() {
    TSelectionKeeper keep(Handle());
    CHARRANGE all{0, -1};
    Perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = ParaAlignment(FAlignment);
    Perform(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

// Without a window the text is the one it is made with.
void TRichEdit::SetText(const std::string& Value) {
    if (!HandleAllocated()) {
        SetCaption(Value);
        return;
    }
    SetWindowTextA(Handle(), Value.c_str());
    ApplyAlignment();
}

int TRichEdit::GetTextLen() const {
    return static_cast<int>(SendMessageA(Handle(), WM_GETTEXTLENGTH, 0, 0));
}

int TRichEdit::SelStart() const {
    CHARRANGE r{};
    SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMin;
}

void TRichEdit::SetSelStart(int Value) {
    CHARRANGE r{Value, Value};
    Perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

int TRichEdit::SelLength() const {
    CHARRANGE r{};
    SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMax - r.cpMin;
}

void TRichEdit::SetSelLength(int Value) {
    CHARRANGE r{};
    Perform(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    r.cpMax = r.cpMin + Value;
    Perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

std::string TRichEdit::SelText() const {
    CHARRANGE r{};
    SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    // A paragraph break comes back as one CR, so the selection's length is enough.
    std::string text(static_cast<size_t>(r.cpMax - r.cpMin) + 1, '\0');
    const LRESULT n =
        SendMessageA(Handle(), EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

void TRichEdit::SetSelText(const std::string& Value) {
    Perform(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TRichEdit::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    if (!HandleAllocated())
        return;
    LONG style = GetWindowLongA(Handle(), GWL_STYLE) & ~static_cast<LONG>(ES_CENTER | ES_RIGHT);
    style |= static_cast<LONG>(WindowStyle() & (ES_CENTER | ES_RIGHT));
    SetWindowLongA(Handle(), GWL_STYLE, style);
    ApplyAlignment();
}

TAlignment TRichEdit::ParagraphAlignment(int Position) const {
    TSelectionKeeper keep(Handle());
    CHARRANGE at{Position, Position};
    SendMessageA(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    SendMessageA(Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    switch (pf.wAlignment) {
    case PFA_CENTER:
        return taCenter;
    case PFA_RIGHT:
        return taRightJustify;
    default:
        return taLeftJustify;
    }
}

// The rich edit reads its scroll bars only when it is made: before that, the window is simply
// made with them.
void TRichEdit::SetScrollBars(TScrollStyle Value) {
    if (FScrollBars == Value)
        return;
    FScrollBars = Value;
    RecreateHandle();
}

void TRichEdit::SetMaxLength(int Value) {
    FMaxLength = Value > 0 ? Value : 0;
    if (HandleAllocated())
        Perform(EM_EXLIMITTEXT, 0, FMaxLength > 0 ? FMaxLength : NoTextLimit);
}
