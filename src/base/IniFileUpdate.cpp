#include "base/IniFileUpdate.h"

#include <windows.h>

#include <utility>

#include "base/Assert.h"
#include "base/Handles.h"

namespace {

std::string FolderOf(const std::string& FileName) {
    const size_t slash = FileName.find_last_of("\\/");
    if (slash == std::string::npos)
        return FileName.size() >= 2 && FileName[1] == ':' ? FileName.substr(0, 2) : ".";
    return FileName.substr(0, slash + 1);
}

// A new file beside FileName holding what it holds (nothing when it does not exist yet); empty
// when none can be made there. A read-only file gets no copy: it is written in place as before,
// so that it is refused as before wherever the system refuses it.
std::string CopyBeside(const std::string& FileName) {
    const DWORD attributes = GetFileAttributesA(FileName.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A file that is there but cannot be looked at must not be taken for a new one.
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND)
        return {};
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return {};
    char copy[MAX_PATH] = {};
    if (!GetTempFileNameA(FolderOf(FileName).c_str(), "ini", 0, copy))
        return {};
    if (exists && !CopyFileA(FileName.c_str(), copy, FALSE)) {
        DeleteFileA(copy);
        return {};
    }
    return copy;
}

// Makes sure the copy's bytes are on the disk before it takes the file's place.
void FlushToDisk(const std::string& Path) {
    const KernelHandle file(CreateFileA(Path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() != INVALID_HANDLE_VALUE)
        FlushFileBuffers(file.get());
}

} // namespace

TIniFileUpdate::TIniFileUpdate(std::string FileName)
    : FFileName(std::move(FileName)), FCopy(CopyBeside(FFileName)) {
    FIni.emplace(FFileName, InPlace() ? FFileName : FCopy);
}

TIniFileUpdate::~TIniFileUpdate() {
    FIni.reset();
    if (!FCopy.empty())
        DeleteFileA(FCopy.c_str());
}

TIniFile& TIniFileUpdate::Ini() {
    ASSERT(FIni);
    return *FIni;
}

void TIniFileUpdate::Commit() {
    ASSERT(FIni);
    const bool refused = FIni->WriteRefused();
    // The platform's cached copy is written out and let go before the file changes its name.
    FIni.reset();
    if (FCopy.empty())
        return;
    const std::string copy = std::exchange(FCopy, {});
    if (!refused) {
        FlushToDisk(copy);
        if (MoveFileExA(copy.c_str(), FFileName.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return;
    }
    DeleteFileA(copy.c_str());
    throw EIniFileException(Format("Unable to write to %s", FFileName.c_str()));
}
