#include "system/OrbCommon.h"

#include "base/ApplicationHooks.h"
#include "base/InOutError.h"
#include "base/Registry.h"

#include <shellapi.h>

namespace {

bool DirectoryExists(const std::string& Path) {
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The text up to and including the last backslash or colon.
std::string ExtractFilePath(const std::string& Path) {
    const size_t end = Path.find_last_of("\\:");
    return end == std::string::npos ? std::string() : Path.substr(0, end + 1);
}

std::string IncludeTrailingBackslash(std::string Path) {
    if (Path.empty() || Path.back() != '\\')
        Path += '\\';
    return Path;
}

// Creates Dir after its parents. Drive roots and too short paths count as done.
bool ForceDirectories(std::string Dir) {
    if (!Dir.empty() && Dir.back() == '\\')
        Dir.pop_back();
    const std::string parent = ExtractFilePath(Dir);
    if (Dir.size() < 3 || DirectoryExists(Dir) || parent == Dir)
        return true;
    return ForceDirectories(parent) &&
           (CreateDirectoryA(Dir.c_str(), nullptr) || DirectoryExists(Dir));
}

} // namespace

std::string GetAppDataFolder() {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly(
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"))
        return std::string();
    std::string folder;
    if (registry.ValueExists("AppData"))
        folder = registry.ReadString("AppData");
    folder = IncludeTrailingBackslash(IncludeTrailingBackslash(folder) + ApplicationTitle());
    CheckDirectory(folder, true);
    return folder;
}

bool CheckDirectory(const std::string& Path, bool CreateIt) {
    if (DirectoryExists(Path))
        return true;
    if (!CreateIt)
        return false;
    if (Path.empty())
        throw EInOutError("Unable to create directory", ERROR_PATH_NOT_FOUND);
    // A short relative name counts as done for the recursion; the folder must really be there.
    return ForceDirectories(Path) && DirectoryExists(Path);
}

void GetTaskbarRect(RECT& R) {
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (taskbar)
        GetWindowRect(taskbar, &R);
    else
        R = RECT{0, 0, 0, 0};
}

std::string GetProgramFolder() {
    return IncludeTrailingBackslash(ExtractFilePath(ExecutableName()));
}

HINSTANCE ExecuteFile(const std::string& Operation, const std::string& FileName,
                      const std::string& Parameters, const std::string& Directory, WORD ShowCmd) {
    // Texts are passed whole: cutting a path or a command line could start something else.
    return ShellExecuteA(ApplicationMainWindow(), Operation.c_str(), FileName.c_str(),
                         Parameters.c_str(), Directory.c_str(), ShowCmd);
}
