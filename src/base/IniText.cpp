#include "base/IniText.h"

#include <windows.h>

#include <algorithm>

#include "base/WideText.h"

namespace {

// The blanks the reading rules drop at the ends of lines, names and values.
bool IsBlankUnit(unsigned C, bool Latin) {
    if ((C >= 9 && C <= 13) || C == ' ' || C == 0x1a)
        return true;
    if (C == 0xA0)
        return Latin;
    return C == 0x1680 || (C >= 0x2000 && C <= 0x200A) || C == 0x2028 || C == 0x2029 ||
           C == 0x202F || C == 0x205F || C == 0x3000;
}

std::string Trimmed(std::string Name) {
    while (!Name.empty() && IsIniBlank(Name.back()))
        Name.pop_back();
    Name.erase(Name.begin(), std::find_if_not(Name.begin(), Name.end(), IsIniBlank));
    return Name;
}

// Case folded as the platform compares names; Trim drops outer blanks first, as the platform
// does with the names it is asked for (not with those in the file).

std::string Fold(std::string Name, bool Trim) {
    if (Trim)
        Name = Trimmed(std::move(Name));
    if (std::all_of(Name.begin(), Name.end(),
                    [](char C) { return static_cast<unsigned char>(C) < 0x80; })) {
        for (char& c : Name)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return Name;
    }
    std::wstring wide = Widen(Name);
    CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide, CP_UTF8);
}

// Splits the text into lines as the platform does: at each "\n", and at each "\r" once no "\n"
// follows; then finds each line's section name, or its key and value. Ansi turns a run of
// units into text of the code page.
template <class S, class ToAnsi>
void ScanLines(const S& Text, size_t Start, bool Latin, ToAnsi Ansi, auto& Lines) {
    using C = typename S::value_type;
    const auto blank = [&](C U) {
        return IsBlankUnit(static_cast<unsigned>(static_cast<std::make_unsigned_t<C>>(U)), Latin);
    };
    // A name or value ends at a NUL, as the platform keeps them in NUL-ended strings.
    const auto text = [&](size_t From, size_t To) {
        size_t end = From;
        while (end < To && Text[end] != C(0))
            ++end;
        return Ansi(From, end);
    };
    Lines.clear();
    const size_t n = Text.size();
    bool newlines = true;
    for (size_t pos = Start; pos < n;) {
        auto& line = Lines.emplace_back();
        line.Begin = pos;
        size_t brk = newlines ? Text.find(C('\n'), pos) : S::npos;
        if (brk == S::npos) {
            newlines = false;
            brk = Text.find(C('\r'), pos);
        }
        line.Next = brk == S::npos ? n : brk + 1;
        line.Break = brk == S::npos ? n : brk;
        if (brk != S::npos && Text[brk] == C('\n') && brk > pos && Text[brk - 1] == C('\r'))
            --line.Break;
        size_t s = pos, e = line.Next;
        while (s < e && blank(Text[s]))
            ++s;
        while (e > s && blank(Text[e - 1]))
            --e;
        pos = line.Next;
        if (s == e)
            continue;
        if (Text[s] == C('[')) {
            size_t close = e - 1;
            while (close > s && Text[close] != C(']'))
                --close;
            if (close > s) {
                // Blanks inside the brackets go as well.
                size_t from = s + 1;
                while (from < close && blank(Text[from]))
                    ++from;
                while (close > from && blank(Text[close - 1]))
                    --close;
                line.Kind = std::decay_t<decltype(line)>::Section;
                line.Name = text(from, close);
                continue;
            }
        }
        line.Kind = std::decay_t<decltype(line)>::Entry;
        size_t eq = s;
        while (eq < e && Text[eq] != C('='))
            ++eq;
        if (eq == e) {
            line.Name = text(s, e);
            continue;
        }
        size_t nameEnd = eq;
        while (nameEnd > s + 1 && blank(Text[nameEnd - 1]))
            --nameEnd;
        line.Name = text(s, nameEnd);
        size_t v = eq + 1;
        while (v < e && blank(Text[v]))
            ++v;
        line.Value = text(v, e);
    }
}

// One pair of enclosing quotes goes, as the platform's reads drop it.
std::string Unquoted(std::string Value) {
    if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') &&
        Value.back() == Value.front())
        return Value.substr(1, Value.size() - 2);
    return Value;
}

} // namespace

bool IsIniBlank(char C) {
    return IsBlankUnit(static_cast<unsigned char>(C), true);
}

std::string FoldIniName(const std::string& Name) {
    return Fold(Name, true);
}

TIniText::TIniText(std::string Bytes) {
    const auto starts = [&](const char* Mark, size_t Size) {
        return Bytes.size() >= Size && Bytes.compare(0, Size, Mark, Size) == 0;
    };
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
        FEncoding = Bytes[0] == '\xFF' ? TEncoding::Utf16LE : TEncoding::Utf16BE;
        const bool little = FEncoding == TEncoding::Utf16LE;
        // An odd last byte stands as a unit of its own, its missing half zero.
        FOdd = Bytes.size() % 2 != 0;
        FWide.resize((Bytes.size() + 1) / 2);
        for (size_t i = 0; i < FWide.size(); ++i) {
            const unsigned a = static_cast<unsigned char>(Bytes[2 * i]);
            const unsigned b =
                2 * i + 1 < Bytes.size() ? static_cast<unsigned char>(Bytes[2 * i + 1]) : 0;
            FWide[i] = static_cast<wchar_t>(little ? a | b << 8 : a << 8 | b);
        }
        FStart = 1;
    } else {
        FEncoding = starts("\xEF\xBB\xBF", 3) ? TEncoding::Utf8 : TEncoding::Ansi;
        FStart = FEncoding == TEncoding::Utf8 ? 3 : 0;
        FNarrow = std::move(Bytes);
    }
    Scan();
}

void TIniText::Scan() {
    FSections.clear();
    if (Wide()) {
        ScanLines(
            FWide, FStart, true,
            [&](size_t From, size_t To) { return Narrow(FWide.substr(From, To - From)); }, FLines);
    } else if (FEncoding == TEncoding::Utf8) {
        ScanLines(
            FNarrow, FStart, false,
            [&](size_t From, size_t To) {
                return Narrow(Widen(FNarrow.substr(From, To - From), CP_UTF8));
            },
            FLines);
    } else {
        ScanLines(
            FNarrow, FStart, true,
            [&](size_t From, size_t To) { return FNarrow.substr(From, To - From); }, FLines);
    }
}

std::string TIniText::Bytes() const {
    if (!Wide())
        return FNarrow;
    std::string bytes;
    bytes.reserve(FWide.size() * 2);
    for (const wchar_t unit : FWide) {
        const auto u = static_cast<unsigned>(unit);
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        bytes += FEncoding == TEncoding::Utf16LE ? low : high;
        bytes += FEncoding == TEncoding::Utf16LE ? high : low;
    }
    if (FOdd)
        bytes.pop_back();
    return bytes;
}

void TIniText::Put(size_t Position, size_t End, const std::string& Text) {
    if (Position == Size())
        FOdd = false;
    if (Wide())
        FWide.replace(Position, End - Position, Widen(Text));
    else if (FEncoding == TEncoding::Utf8)
        FNarrow.replace(Position, End - Position, Narrow(Widen(Text), CP_UTF8));
    else
        FNarrow.replace(Position, End - Position, Text);
}

std::string TIniText::LineBreak() const {
    const auto unit = [&](size_t I) {
        return Wide() ? static_cast<unsigned>(FWide[I]) : static_cast<unsigned char>(FNarrow[I]);
    };
    for (size_t i = FStart; i < Size(); ++i)
        if (unit(i) == '\n')
            return i > FStart && unit(i - 1) == '\r' ? "\r\n" : "\n";
    for (size_t i = FStart; i < Size(); ++i)
        if (unit(i) == '\r')
            return "\r";
    return "\r\n";
}

bool TIniText::EndsLine(const TLine& Line) const {
    if (Line.Next == Line.Break)
        return false;
    const unsigned last = Wide() ? static_cast<unsigned>(FWide[Line.Next - 1])
                                 : static_cast<unsigned char>(FNarrow[Line.Next - 1]);
    // A lone "\r" ends a line only where no "\n" follows; text added after it would join it.
    return last == '\n' || LineBreak() == "\r";
}

TIniText::TRange TIniText::FindSection(const std::string& Folded) const {
    TRange range;
    size_t i = 0;
    // Lines before the first section belong to a section without a name.
    if (!Folded.empty()) {
        while (i < FLines.size() &&
               !(FLines[i].Kind == TLine::Section && Fold(FLines[i].Name, false) == Folded))
            ++i;
        if (i == FLines.size())
            return range;
        range.Header = i++;
    }
    range.Found = true;
    range.First = i;
    while (i < FLines.size() && FLines[i].Kind != TLine::Section)
        ++i;
    range.End = i;
    return range;
}

const TIniText::TEntries* TIniText::SectionEntries(const std::string& Section) const {
    const std::string folded = FoldIniName(Section);
    auto it = FSections.find(folded);
    if (it == FSections.end()) {
        // Found, or known to be missing, in one pass over the lines.
        std::optional<TEntries>& entries = FSections[folded];
        const TRange range = FindSection(folded);
        if (range.Found) {
            entries.emplace();
            for (size_t i = range.First; i < range.End; ++i)
                if (FLines[i].Kind == TLine::Entry && !FLines[i].Name.empty())
                    entries->emplace(Fold(FLines[i].Name, false), FLines[i].Value); // first wins
        }
        it = FSections.find(folded);
    }
    return it->second ? &*it->second : nullptr;
}

std::optional<std::string> TIniText::Value(const std::string& Section,
                                           const std::string& Ident) const {
    const TEntries* entries = SectionEntries(Section);
    if (!entries)
        return std::nullopt;
    const auto it = entries->find(FoldIniName(Ident));
    if (it == entries->end() || !it->second)
        return std::nullopt;
    return Unquoted(*it->second);
}

void TIniText::Set(const std::string& Section, const std::string& Ident, const std::string& Text) {
    const std::string ident = FoldIniName(Ident);
    const std::string line = Trimmed(Ident) + "=" + Text;
    const std::string br = LineBreak();
    const TRange range = FindSection(FoldIniName(Section));
    // What must come before added lines so that they start a line of their own.
    const auto opening = [&](size_t Last) {
        const TLine& l = FLines[Last];
        return EndsLine(l) ? std::string() : l.Next > l.Break ? std::string("\n") : br;
    };
    if (!range.Found) {
        const std::string before = FLines.empty() ? "" : opening(FLines.size() - 1);
        Put(Size(), Size(), before + "[" + Trimmed(Section) + "]" + br + line + br);
    } else {
        size_t last = range.Header;
        for (size_t i = range.First; i < range.End; ++i) {
            const TLine& l = FLines[i];
            if (l.Kind == TLine::Entry && Fold(l.Name, false) == ident) {
                Put(l.Begin, l.Break, line);
                Scan();
                return;
            }
            if (l.Kind != TLine::Blank)
                last = i;
        }
        if (last == TRange::None)
            Put(FStart, FStart, line + br);
        else
            Put(FLines[last].Next, FLines[last].Next, opening(last) + line + br);
    }
    Scan();
}
