#include "system/OrbVersionInfo.h"

#include "base/ApplicationHooks.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <utility>

namespace {

const char* const ItemNames[] = {"",
                                 "CompanyName",
                                 "FileDescription",
                                 "FileVersion",
                                 "InternalName",
                                 "LegalCopyright",
                                 "LegalTrademarks",
                                 "OriginalFilename",
                                 "ProductName",
                                 "ProductVersion",
                                 "Comments"};

// Reads the whole version data of FileName into a new buffer; empty when there is none.
// Size is the size query's result, Error its last-error code.
std::vector<char> ReadVersionData(const std::string& FileName, DWORD& Size, DWORD& Error) {
    DWORD handle = 0;
    SetLastError(0);
    Size = GetFileVersionInfoSizeA(FileName.c_str(), &handle);
    Error = GetLastError();
    std::vector<char> data;
    if (Size == 0)
        return data;
    data.resize(Size);
    if (!GetFileVersionInfoA(FileName.c_str(), handle, Size, data.data()))
        data.clear();
    return data;
}

} // namespace

TOrbVersionInfo::TOrbVersionInfo() : FFileName(ExecutableName()) {}

TOrbVersionInfo::TOrbVersionInfo(std::string FileName) : FFileName(std::move(FileName)) {}

void TOrbVersionInfo::SetActive(bool Value) {
    if (!Value) {
        FActive = false;
        return;
    }
    FInfoBuffer.clear();
    FFixedBuffer.clear();
    FFixedInfo = nullptr;

    // First pass: translation, language name and the string table.
    DWORD size = 0;
    DWORD error = 0;
    FInfoBuffer = ReadVersionData(FFileName, size, error);
    if (!FInfoBuffer.empty()) {
        const uint32_t translation = GetTranslation();
        char text[9];
        std::snprintf(text, sizeof(text), "%08X", static_cast<unsigned>(translation));
        FTranslation = text;
        char language[256] = {};
        const DWORD n = VerLanguageNameA(translation >> 16, language, sizeof(language));
        // Some systems count the terminating NUL in the result.
        FLanguageName.assign(language,
                             strnlen(language, std::min<size_t>(n, sizeof(language) - 1)));
    }

    // Second pass: the fixed file information.
    FFixedBuffer = ReadVersionData(FFileName, size, error);
    if (size == 0)
        ApplicationMessageBox("GetFileVersionInfoSize error #:" + std::to_string(error),
                              ApplicationTitle(), MB_OK);
    else if (!FFixedBuffer.empty()) {
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(FFixedBuffer.data(), "\\", &value, &length) && value &&
            length >= sizeof(VS_FIXEDFILEINFO))
            FFixedInfo = static_cast<const VS_FIXEDFILEINFO*>(value);
    }
    FActive = true;
}

uint32_t TOrbVersionInfo::GetTranslation() const {
    void* value = nullptr;
    UINT length = 0;
    // const_cast: VerQueryValueA only reads the block.
    if (!VerQueryValueA(const_cast<char*>(FInfoBuffer.data()), "\\VarFileInfo\\Translation", &value,
                        &length) ||
        !value || length < 4)
        return 0;
    const auto* entry = static_cast<const uint16_t*>(value);
    return static_cast<uint32_t>(entry[0]) << 16 | entry[1];
}

std::string TOrbVersionInfo::GetStringValue(const char* Name) const {
    if (FInfoBuffer.empty())
        return std::string();
    const std::string path = "\\StringFileInfo\\" + FTranslation + "\\" + Name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(const_cast<char*>(FInfoBuffer.data()), path.c_str(), &value, &length) ||
        !value || length <= 1)
        return std::string();
    // The length counts the terminating NUL; longer values are cut to 254 characters.
    length = std::min<UINT>(length, 255) - 1;
    const char* text = static_cast<const char*>(value);
    // Stop at an early NUL rather than trust the length blindly.
    return std::string(text, strnlen(text, length));
}

std::string TOrbVersionInfo::GetItem(int Index) const {
    if (!FActive || Index < 0 || Index > 10)
        return std::string();
    if (Index == 0)
        return FLanguageName;
    return GetStringValue(ItemNames[Index]);
}

uint16_t TOrbVersionInfo::GetVersionPart(int Index) const {
    if (!FActive || !FFixedInfo)
        return 0;
    switch (Index) {
    case 0:
        return HIWORD(FFixedInfo->dwFileVersionMS);
    case 1:
        return LOWORD(FFixedInfo->dwFileVersionMS);
    case 2:
        return HIWORD(FFixedInfo->dwFileVersionLS);
    case 3:
        return LOWORD(FFixedInfo->dwFileVersionLS);
    default:
        return 0;
    }
}
