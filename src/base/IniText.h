#pragma once
// The text of an INI file as the private-profile functions see it: lines, sections and entries
// are found by the platform's reading rules, and an entry is set by changing its own line alone,
// so every other byte (other lines, blank lines, line ends, NULs, text in an encoding the rules
// cannot read) stays as it was. A file that opens with a UTF-8 or UTF-16 byte-order mark is read
// and written in that encoding, any other in the system's code page.
//
//   TIniText text(bytes);
//   text.Set("Settings", "Hour", "20");          // rewritten where it stands, or added
//   std::optional<std::string> hour = text.Value("settings", "HOUR");
//   write(text.Bytes());
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TIniText {
public:
    // An empty file.
    TIniText() : TIniText(std::string()) {}
    explicit TIniText(std::string Bytes);

    // The file's bytes with every change made.
    std::string Bytes() const;

    // The entry's text as the platform reads it: names match without regard to case, outer
    // blanks and one pair of enclosing quotes are dropped, the text ends at a NUL and is whole
    // however long. Nothing when the section (the first of its name), the key (the first of its
    // name) or the key's equals sign is missing.
    std::optional<std::string> Value(const std::string& Section, const std::string& Ident) const;

    // Makes the key's line read Ident=Text: the key's line is rewritten where it stands, a
    // missing key is added after the last line of its section that is not blank, a missing
    // section at the end of the file. Line ends follow the file's own. The caller keeps line
    // breaks and NULs out of the names and Text.
    void Set(const std::string& Section, const std::string& Ident, const std::string& Text);

    enum class TEncoding : uint8_t { Ansi, Utf8, Utf16LE, Utf16BE };

private:
    struct TLine {
        size_t Begin = 0; // first unit of the line
        size_t Break = 0; // its line break, or the end of the text
        size_t Next = 0;  // first unit after the break
        enum TKind : uint8_t { Blank, Section, Entry } Kind = Blank;
        std::string Name;                 // the section's or key's name, in the code page
        std::optional<std::string> Value; // an entry's text after its equals sign
    };
    using TEntries = std::map<std::string, std::optional<std::string>>;
    // The lines of a section: its header (None for the lines before the first section) and the
    // lines after it, First to End.
    struct TRange {
        static constexpr size_t None = static_cast<size_t>(-1);
        bool Found = false;
        size_t Header = None, First = 0, End = 0;
    };

    void Scan();
    // The units of the text: Ansi and Utf8 in FNarrow, UTF-16 in FWide.
    bool Wide() const { return FEncoding == TEncoding::Utf16LE || FEncoding == TEncoding::Utf16BE; }
    size_t Size() const { return Wide() ? FWide.size() : FNarrow.size(); }
    // Inserts Text (in the code page) at Position, or puts it in place of the units up to End.
    void Put(size_t Position, size_t End, const std::string& Text);
    // The line break the file uses, and whether Line's break ends it for the reading rules.
    std::string LineBreak() const;
    bool EndsLine(const TLine& Line) const;
    TRange FindSection(const std::string& Folded) const;
    const TEntries* SectionEntries(const std::string& Section) const;

    TEncoding FEncoding = TEncoding::Ansi;
    size_t FStart = 0; // units before the text (a byte-order mark)
    bool FOdd = false; // a UTF-16 file's odd last byte is the last unit, nothing added after it
    std::string FNarrow;
    std::wstring FWide;
    std::vector<TLine> FLines;
    // The entries of each section looked up so far (nothing for a missing one), by folded names.
    mutable std::map<std::string, std::optional<TEntries>> FSections;
};

// Whether the reading rules drop the character at the ends of lines, names and values.
bool IsIniBlank(char C);

// Names as the platform compares them: without regard to case, outer blanks dropped.
std::string FoldIniName(const std::string& Name);
