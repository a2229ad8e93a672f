#include "base/IniFile.h"

#include "base/Convert.h"
#include "base/IniFileSave.h"

namespace {

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
    if (IsIniBlank(Value.front()) || IsIniBlank(Value.back())) {
        return true;
    }
    return Value.size() >= 2 && IsQuote(Value.front()) && Value.back() == Value.front();
}

bool HasLineBreak(const std::string& Text) {
    return Text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

} // namespace

TIniText& TIniFile::Text() const {
    if (!FText) {
        FReadable = ReadIniFile(FFileName, FRead, FExists);
        FText.emplace(FReadable ? FRead : std::string());
    }
    return *FText;
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
    return Text().Value(Section, Ident).has_value();
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    std::optional<std::string> value = Text().Value(Section, Ident);
    return value ? std::move(*value) : Default;
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
    TIniText& ini = Text();
    // What a file that cannot be read holds is unknown: writing would lose it.
    if (!FReadable)
        throw EIniFileException(Format("Unable to write to %s", FFileName.c_str()));
    ini.Set(Section, Ident, text);
    FWritten = true;
    if (!FDeferred)
        SaveChanges(PlatformIniFileWrites());
}

void TIniFile::SaveChanges(TIniFileWrites& Writes) {
    if (!FWritten)
        return;
    std::string bytes = FText->Bytes();
    if (FExists && bytes == FRead)
        return;
    try {
        SaveIniFile(FFileName, bytes, Writes);
    } catch (...) {
        // Reads go back to what the file holds.
        FText.reset();
        FWritten = false;
        throw;
    }
    FRead = std::move(bytes);
    FExists = true;
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
