#pragma once
// Reader of a file's version resource, by default the running program's own.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TOrbVersionInfo {
public:
    // Reads the running program's executable.
    TOrbVersionInfo();
    // Reads the given file instead.
    explicit TOrbVersionInfo(std::string FileName);
    TOrbVersionInfo(const TOrbVersionInfo&) = delete;
    TOrbVersionInfo& operator=(const TOrbVersionInfo&) = delete;

    bool Active() const { return FActive; }
    // True reads the file afresh; False only switches the reader off, keeping the data.
    void SetActive(bool Value);

    // 0 the language name, 1 "CompanyName" ... 10 "Comments"; empty when inactive or out of range.
    std::string GetItem(int Index) const;
    // 0 major, 1 minor, 2 release, 3 build of the fixed file version; 0 when inactive or out of
    // range.
    uint16_t GetVersionPart(int Index) const;

    const std::string& FileName() const { return FFileName; }
    // The string-table block: language then code page as eight hex digits ("0C0904E4").
    const std::string& Translation() const { return FTranslation; }

private:
    std::string GetStringValue(const char* Name) const;
    uint32_t GetTranslation() const;

    bool FActive = false;
    std::string FFileName;
    std::vector<char> FInfoBuffer; // strings and translation are read from this copy
    std::string FTranslation;
    std::string FLanguageName;
    std::vector<char> FFixedBuffer; // the fixed file information is read from this copy
    const VS_FIXEDFILEINFO* FFixedInfo = nullptr;
};
