#include "base/IniFile.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "base/Convert.h"
#include "base/WideText.h"

namespace {

// Blanks the private-profile functions drop around a value.
bool IsProfileBlank(char C) {
    return C == ' ' || C == '\t' || C == '\v' || C == '\f' || C == '\x1a' ||
           static_cast<unsigned char>(C) == 0xA0;
}

bool IsQuote(char C) {
    return C == '"' || C == '\'';
}

// Whether the reading rules would change Value: outer blanks are dropped, and so is one pair of
// enclosing quotes. One extra pair of double quotes protects it, and text that needs none is
// written as it is, so files written without them read the same.
bool NeedsQuotes(const std::string& Value) {
    if (Value.empty()) {
        return false;
    }
    if (IsProfileBlank(Value.front()) || IsProfileBlank(Value.back())) {
        return true;
    }
    return Value.size() >= 2 && IsQuote(Value.front()) && Value.back() == Value.front();
}

bool HasLineBreak(const std::string& Text) {
    return Text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Reads the raw text with the given fallback, whatever its length.
std::string ProfileString(const std::string& File, const std::string& Section,
                          const std::string& Ident, const char* Fallback) {
    DWORD size = 2048;
    for (;;) {
        std::vector<char> buffer(size);
        const DWORD n = GetPrivateProfileStringA(Section.c_str(), Ident.c_str(), Fallback,
                                                 buffer.data(), size, File.c_str());
        // A full buffer may have cut the text short: read again with room to spare.
        if (n + 1 < size || size >= (1u << 24)) {
            return std::string(buffer.data(), n);
        }
        size *= 4;
    }
}

// The names of the keys the section holds, as the platform lists them.
std::vector<std::string> ProfileKeys(const std::string& File, const std::string& Section) {
    DWORD size = 4096;
    for (;;) {
        std::vector<char> buffer(size);
        const DWORD n = GetPrivateProfileStringA(Section.c_str(), nullptr, "", buffer.data(), size,
                                                 File.c_str());
        // A list cut short comes back as size - 2: read again with room to spare.
        if (n + 2 < size || size >= (1u << 24)) {
            std::vector<std::string> keys;
            for (const char* p = buffer.data(); p < buffer.data() + n && *p; p += strlen(p) + 1)
                keys.emplace_back(p);
            return keys;
        }
        size *= 4;
    }
}

// Whether the platform matches the name as it is compared here: plain ASCII without outer blanks
// (the platform drops those, and folds other letters its own way), and not a comment's (the key
// list leaves comments out).
bool IsPlainName(const std::string& Name) {
    if (Name.empty() || Name.front() == ';' || IsProfileBlank(Name.front()) ||
        IsProfileBlank(Name.back()) || isspace(static_cast<unsigned char>(Name.front())) ||
        isspace(static_cast<unsigned char>(Name.back())))
        return false;
    return std::none_of(Name.begin(), Name.end(),
                        [](char C) { return static_cast<unsigned char>(C) >= 0x80; });
}

bool SameName(const std::string& A, const std::string& B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return tolower(static_cast<unsigned char>(X)) ==
                      tolower(static_cast<unsigned char>(Y));
           });
}

bool WriteProfileString(const std::string& File, const std::string& Section,
                        const std::string& Ident, const std::string& Text) {
    // The ANSI function converts through a 16-bit counted string and cuts longer text short;
    // long text goes through the wide function after the same code-page conversion.
    if (Text.size() < 30000) {
        return WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), Text.c_str(),
                                          File.c_str());
    }
    return WritePrivateProfileStringW(Widen(Section).c_str(), Widen(Ident).c_str(),
                                      Widen(Text).c_str(), Widen(File).c_str());
}

// Two different fallbacks tell a missing entry from one that holds either of them.
constexpr const char* MissingA = "\x01";
constexpr const char* MissingB = "\x02";

} // namespace

TIniFile::~TIniFile() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, FPath.c_str());
}

bool TIniFile::MayHold(const std::string& Section, const std::string& Ident) const {
    if (!IsPlainName(Ident))
        return true;
    auto it = FKeys.find(Section);
    if (it == FKeys.end())
        it = FKeys.emplace(Section, ProfileKeys(FPath, Section)).first;
    return std::any_of(it->second.begin(), it->second.end(),
                       [&](const std::string& Key) { return SameName(Key, Ident); });
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
    if (!MayHold(Section, Ident)) {
        return false;
    }
    const std::string a = ProfileString(FPath, Section, Ident, MissingA);
    if (a != MissingA) {
        return true;
    }
    return ProfileString(FPath, Section, Ident, MissingB) == a;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    if (!MayHold(Section, Ident)) {
        return Default;
    }
    // The platform would cut trailing blanks off Default; it is returned here untouched.
    const std::string a = ProfileString(FPath, Section, Ident, MissingA);
    if (a != MissingA) {
        return a;
    }
    if (ProfileString(FPath, Section, Ident, MissingB) == a) {
        return a;
    }
    return Default;
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
    int32_t value = 0;
    return TryStrToInt(ReadString(Section, Ident, ""), value) ? value : Default;
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& Section, const std::string& Ident,
                           double Default) const {
    double value = 0;
    return TryStrToFloat(ReadString(Section, Ident, ""), value) ? value : Default;
}

TDateTime TIniFile::ReadDate(const std::string& Section, const std::string& Ident,
                             TDateTime Default) const {
    TDateTime value = 0;
    return TryStrToDate(ReadString(Section, Ident, ""), value) ? value : Default;
}

TDateTime TIniFile::ReadTime(const std::string& Section, const std::string& Ident,
                             TDateTime Default) const {
    TDateTime value = 0;
    return TryStrToTime(ReadString(Section, Ident, ""), value) ? value : Default;
}

TDateTime TIniFile::ReadDateTime(const std::string& Section, const std::string& Ident,
                                 TDateTime Default) const {
    TDateTime value = 0;
    return TryStrToDateTime(ReadString(Section, Ident, ""), value) ? value : Default;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
    // A line break would end the line and start another: refuse rather than inject lines.
    if (HasLineBreak(Section) || HasLineBreak(Ident) || HasLineBreak(Value) ||
        Ident.find('=') != std::string::npos || Section.find(']') != std::string::npos) {
        throw EIniFileException(Format("Unable to write to %s (the entry '%s' cannot be stored)",
                                       FFileName.c_str(), Ident.c_str()));
    }
    const std::string text = NeedsQuotes(Value) ? "\"" + Value + "\"" : Value;
    FKeys.clear();
    if (!WriteProfileString(FPath, Section, Ident, text)) {
        throw EIniFileException(Format("Unable to write to %s", FFileName.c_str()));
    }
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
    WriteString(Section, Ident, FloatToStr(Value));
}

void TIniFile::WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value) {
    WriteString(Section, Ident, DateToStr(Value));
}

void TIniFile::WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value) {
    WriteString(Section, Ident, TimeToStr(Value));
}

void TIniFile::WriteDateTime(const std::string& Section, const std::string& Ident,
                             TDateTime Value) {
    WriteString(Section, Ident, DateTimeToStr(Value));
}
