#pragma once
// An INI file read and written through the Windows private-profile functions. Made on a file name
// without touching the file. Values always come from the platform; only the names of the keys a
// section holds are kept, from the first read of that section until the next write through this
// object, so that a key the section lacks gives its default without a read. Keep the object short
// lived where another writer may change the file meanwhile.
#include <map>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Variant.h"

// A write that the platform refused, or a value the file format cannot carry.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TIniFile {
public:
    explicit TIniFile(std::string FileName) : FFileName(FileName), FPath(std::move(FileName)) {}
    // Reads and writes the file at Path, a stand-in for FileName (a copy of it), and names
    // FileName in its messages.
    TIniFile(std::string FileName, std::string Path)
        : FFileName(std::move(FileName)), FPath(std::move(Path)) {}
    // Flushes the platform's cached copy of the file.
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return FFileName; }
    // True once the platform has refused a write: what the file holds since is unknown.
    bool WriteRefused() const { return FWriteRefused; }

    // Whether the section holds the key (an empty entry is present).
    bool ValueExists(const std::string& Section, const std::string& Ident) const;

    // Reads give Default when the file, section or key is missing, or the text does not convert.
    // Text is read whole, however long; one pair of enclosing quotes and outer blanks are dropped
    // by the platform.
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

    // Writes raise EIniFileException "Unable to write to %s" when the platform refuses. Text that
    // the reading rules would change (outer blanks, enclosing quotes) is written inside one extra
    // pair of quotes so it reads back unchanged. Section, key or value holding a line break or NUL
    // cannot be carried by the format and is refused with EIniFileException before anything is
    // written.
    void WriteString(const std::string& Section, const std::string& Ident,
                     const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    void WriteFloat(const std::string& Section, const std::string& Ident, double Value);
    void WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value);
    void WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value);
    void WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value);

private:
    // Whether the section may hold the key: false only when its key list rules the key out.
    bool MayHold(const std::string& Section, const std::string& Ident) const;

    std::string FFileName;
    std::string FPath;
    bool FWriteRefused = false;
    mutable std::map<std::string, std::vector<std::string>> FKeys;
};
