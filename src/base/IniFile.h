#pragma once
// An INI file read and written by the rules of the Windows private-profile functions. Made on a
// file name without touching the file; the file is read once, at the first read or write, and
// each section's entries are found in one pass. Keep the object short lived where another writer
// may change the file meanwhile.
#include <optional>
#include <string>

#include "base/Exception.h"
#include "base/IniText.h"
#include "base/Variant.h"

// A write that the platform refused, or a value the file format cannot carry.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TIniFileWrites;

class TIniFile {
public:
    explicit TIniFile(std::string FileName) : FFileName(std::move(FileName)) {}
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return FFileName; }

    // Whether the section holds the key (an empty entry is present).
    bool ValueExists(const std::string& Section, const std::string& Ident) const;

    // Reads give Default when the file, section or key is missing, or the text does not convert.
    // Text is read whole, however long; one pair of enclosing quotes and outer blanks are dropped
    // as the platform drops them.
    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) const;
    int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;
    double ReadFloat(const std::string& Section, const std::string& Ident, double Default) const;
    TDateTime ReadDate(const std::string& Section, const std::string& Ident,
                       TDateTime Default) const;
    TDateTime ReadTime(const std::string& Section, const std::string& Ident,
                       TDateTime Default) const;
    TDateTime ReadDateTime(const std::string& Section, const std::string& Ident,
                           TDateTime Default) const;

    // Each write saves the whole file (IniFileSave.h) and raises EIniFileException "Unable to
    // write to %s" when that fails, the file then as it was; a file that is there but cannot be
    // read is not written. Text that the reading rules would change (outer blanks, enclosing
    // quotes) is written inside one extra pair of quotes so it reads back unchanged. Section, key
    // or value holding a line break or NUL cannot be carried by the format and is refused with
    // EIniFileException before anything is written.
    void WriteString(const std::string& Section, const std::string& Ident,
                     const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    void WriteFloat(const std::string& Section, const std::string& Ident, double Value);
    void WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value);
    void WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value);
    void WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value);

protected:
    // Keeps the writes in memory until SaveChanges.
    struct TDeferred {};
    TIniFile(std::string FileName, TDeferred) : FFileName(std::move(FileName)), FDeferred(true) {}
    // Saves the writes kept so far; nothing when they change no byte.
    void SaveChanges(TIniFileWrites& Writes);

private:
    // The file as read at the first read or write, with the writes since.
    TIniText& Text() const;

    std::string FFileName;
    bool FDeferred = false;
    mutable std::optional<TIniText> FText;
    mutable std::string FRead; // the bytes read
    mutable bool FReadable = true;
    mutable bool FExists = false;
    bool FWritten = false;
};
