#include "base/IniFileSave.h"

#include <algorithm>

#include "base/Handles.h"
#include "base/IniFile.h"

namespace {

// Written in pieces, so that a disk that fills part-way is seen at the piece that failed.
constexpr DWORD PieceSize = 64 * 1024;
// The copy's name beside the file: fixed, so a copy left by a save that was cut off is found.
constexpr const char* CopySuffix = ".saving";

std::string FolderOf(const std::string& Path) {
    const size_t slash = Path.find_last_of("\\/");
    if (slash == std::string::npos)
        return Path.size() >= 2 && Path[1] == ':' ? Path.substr(0, 2) : ".\\";
    return Path.substr(0, slash + 1);
}

// The file a link leads to, or Path itself when it is no link or is missing.
std::string LinkTarget(const std::string& Path) {
    const KernelHandle file(
        CreateFileA(Path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return Path;
    char final[MAX_PATH + 16] = {};
    const DWORD n = GetFinalPathNameByHandleA(file.get(), final, sizeof final,
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= sizeof final)
        return Path;
    const std::string name(final, n);
    if (name.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + name.substr(8);
    return name.rfind("\\\\?\\", 0) == 0 ? name.substr(4) : name;
}

bool WriteAll(HANDLE File, const std::string& Bytes, TIniFileWrites& Writes) {
    for (size_t at = 0; at < Bytes.size(); at += PieceSize) {
        const DWORD size = static_cast<DWORD>(std::min<size_t>(PieceSize, Bytes.size() - at));
        if (!Writes.Write(File, Bytes.data() + at, size))
            return false;
    }
    return true;
}

bool Rewind(HANDLE File, uint64_t Size) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(Size);
    return SetFilePointerEx(File, at, nullptr, FILE_BEGIN) != 0;
}

// Writes the file itself, keeping its old text to put back when a write fails.
bool WriteInPlace(const std::string& Path, const std::string& Bytes, TIniFileWrites& Writes) {
    uint64_t free = 0;
    if (!Writes.FreeSpace(FolderOf(Path), free) || free < Bytes.size())
        return false;
    std::string old;
    bool exists = false;
    if (!ReadIniFile(Path, old, exists) || !exists)
        return false;
    const KernelHandle file(CreateFileA(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return false;
    if (WriteAll(file.get(), Bytes, Writes) && SetEndOfFile(file.get()) && Writes.Flush(file.get()))
        return true;
    if (Rewind(file.get(), 0) && WriteAll(file.get(), old, Writes))
        SetEndOfFile(file.get());
    FlushFileBuffers(file.get());
    return false;
}

// Writes Bytes into a new copy beside the file and puts it in the file's place. Sets Refused when
// the folder takes no new file.
bool WriteThroughCopy(const std::string& Path, DWORD Attributes, const std::string& Bytes,
                      TIniFileWrites& Writes, bool& Refused) {
    const std::string copy = Path + CopySuffix;
    DeleteFileA(copy.c_str());
    KernelHandle file(CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        // Another save at work holds the copy: the file is its to write.
        const DWORD error = GetLastError();
        Refused = error != ERROR_SHARING_VIOLATION && error != ERROR_FILE_EXISTS;
        return false;
    }
    bool whole = WriteAll(file.get(), Bytes, Writes) && Writes.Flush(file.get());
    whole = CloseHandle(file.release()) && whole;
    // The replacement is a new file: the old one's attributes go onto it first. A disk that keeps
    // none of them is no reason to refuse the save.
    const DWORD keep = Attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (whole && keep)
        SetFileAttributesA(copy.c_str(), keep);
    if (whole && Writes.Replace(copy, Path))
        return true;
    DeleteFileA(copy.c_str());
    return false;
}

} // namespace

bool TIniFileWrites::Write(HANDLE File, const char* Data, DWORD Size) {
    DWORD written = 0;
    return WriteFile(File, Data, Size, &written, nullptr) && written == Size;
}

bool TIniFileWrites::Flush(HANDLE File) {
    return FlushFileBuffers(File) != 0;
}

bool TIniFileWrites::FreeSpace(const std::string& Folder, uint64_t& Bytes) {
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExA(Folder.c_str(), &free, nullptr, nullptr))
        return false;
    Bytes = free.QuadPart;
    return true;
}

bool TIniFileWrites::Replace(const std::string& Copy, const std::string& File) {
    return MoveFileExA(Copy.c_str(), File.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

TIniFileWrites& PlatformIniFileWrites() {
    static TIniFileWrites writes;
    return writes;
}

std::string IniFilePath(const std::string& FileName) {
    if (FileName.find_first_of("\\/:") != std::string::npos)
        return FileName;
    char folder[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(folder, sizeof folder);
    return n == 0 || n >= sizeof folder ? FileName : std::string(folder, n) + "\\" + FileName;
}

bool ReadIniFile(const std::string& FileName, std::string& Bytes, bool& Exists) {
    Bytes.clear();
    Exists = false;
    const KernelHandle file(CreateFileA(IniFilePath(FileName).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    Exists = true;
    char buffer[PieceSize];
    DWORD n = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
        if (n == 0)
            return true;
        Bytes.append(buffer, n);
    }
    return false;
}

void SaveIniFile(const std::string& FileName, const std::string& Bytes, TIniFileWrites& Writes) {
    const std::string path = LinkTarget(IniFilePath(FileName));
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool refusedAsBefore =
        attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    bool refused = false;
    if (!refusedAsBefore &&
        (WriteThroughCopy(path, attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes, Bytes,
                          Writes, refused) ||
         (refused && WriteInPlace(path, Bytes, Writes)))) {
        // Readers through the platform see the new text at once.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName.c_str());
        return;
    }
    throw EIniFileException(Format("Unable to write to %s", FileName.c_str()));
}

void RemoveIniFileCopy(const std::string& FileName) {
    DeleteFileA((LinkTarget(IniFilePath(FileName)) + CopySuffix).c_str());
}
