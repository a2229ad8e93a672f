// Shell helpers against the real Wine registry, shell folders, windows and file system. Every
// test works under its own temp folder and puts back the registry values it changes.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "base/InOutError.h"
#include "base/Registry.h"
#include "system/OrbCommon.h"
#include "SystemInfoTestSupport.h"
#include "base/ScratchPlaces.h"
#include "TestSupport.h"

#include <shellapi.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using sysinfo_test::TitleGuard;
using sysinfo_test::ValueGuard;

const char* const ShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool IsFolder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

using TempFolder = scratch::TTempFolder;

void SetAppData(DWORD type, const void* data, DWORD size) {
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    RegSetValueExA(k, "AppData", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

void SetAppData(const std::string& text) {
    SetAppData(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::string UniqueTitle() {
    return "SundownTest" + std::to_string(GetCurrentProcessId());
}

} // namespace

TEST(GetProgramFolder, IsTheExecutablesFolderWithBackslash) {
    EXPECT_EQ(GetProgramFolder(), support::ExeFolder());
    EXPECT_TRUE(IsFolder(GetProgramFolder()));
}

TEST(CheckDirectory, ExistingFolderIsTrueEitherWay) {
    TempFolder temp;
    EXPECT_TRUE(CheckDirectory(temp.Path(), false));
    EXPECT_TRUE(CheckDirectory(temp.Path(), true));
    EXPECT_TRUE(CheckDirectory(temp.Path() + "\\", false));
}

TEST(CheckDirectory, MissingFolderWithoutCreateIsFalseAndStaysMissing) {
    TempFolder temp;
    EXPECT_FALSE(CheckDirectory(temp.Path() + "\\a", false));
    EXPECT_FALSE(Exists(temp.Path() + "\\a"));
    EXPECT_FALSE(CheckDirectory("", false));
}

TEST(CheckDirectory, CreatesEveryMissingLevel) {
    TempFolder temp;
    const std::string deep = temp.Path() + "\\a\\b\\c";
    EXPECT_TRUE(CheckDirectory(deep, true));
    EXPECT_TRUE(IsFolder(temp.Path() + "\\a"));
    EXPECT_TRUE(IsFolder(temp.Path() + "\\a\\b"));
    EXPECT_TRUE(IsFolder(deep));
    // A trailing backslash is the same folder.
    EXPECT_TRUE(CheckDirectory(temp.Path() + "\\x\\y\\", true));
    EXPECT_TRUE(IsFolder(temp.Path() + "\\x\\y"));
}

TEST(CheckDirectory, FailureToCreateIsFalse) {
    TempFolder temp;
    const std::string file = temp.Path() + "\\file";
    std::ofstream(file) << "x";
    EXPECT_FALSE(CheckDirectory(file, true));
    EXPECT_FALSE(CheckDirectory(file + "\\below", true));
    EXPECT_FALSE(IsFolder(file));
}

TEST(CheckDirectory, EmptyPathToCreateRaises) {
    const auto error = support::Caught<EInOutError>([] { CheckDirectory("", true); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Message(), "Unable to create directory");
    EXPECT_EQ(error->ErrorCode, 3);
}

TEST(CheckDirectory, ShortRelativeNameIsNotReportedAsCreated) {
    TempFolder temp;
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(temp.Path().c_str()));
    const bool result = CheckDirectory("q", true);
    const bool exists = IsFolder(temp.Path() + "\\q");
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(result, exists);
}

TEST(GetAppDataFolder, AppendsTheTitleAndCreatesTheFolder) {
    TempFolder temp;
    ValueGuard saved(HKEY_CURRENT_USER, ShellFolders, "AppData");
    TitleGuard title(UniqueTitle());

    SetAppData(temp.Path());
    EXPECT_EQ(GetAppDataFolder(), temp.Path() + "\\" + UniqueTitle() + "\\");
    EXPECT_TRUE(IsFolder(temp.Path() + "\\" + UniqueTitle()));

    // No second backslash after a value that ends in one.
    SetAppData(temp.Path() + "\\sub\\");
    EXPECT_EQ(GetAppDataFolder(), temp.Path() + "\\sub\\" + UniqueTitle() + "\\");
    EXPECT_TRUE(IsFolder(temp.Path() + "\\sub\\" + UniqueTitle()));
}

TEST(GetAppDataFolder, WineUsersFolderGetsTheTitle) {
    ValueGuard saved(HKEY_CURRENT_USER, ShellFolders, "AppData");
    ASSERT_TRUE(saved.Present());
    TitleGuard title(UniqueTitle());
    const std::string folder = GetAppDataFolder();
    EXPECT_EQ(folder, saved.Text() + "\\" + UniqueTitle() + "\\");
    EXPECT_TRUE(IsFolder(folder));
    RemoveDirectoryA(folder.c_str());
}

TEST(GetAppDataFolder, EmptyTitleGivesTheAppDataFolderItself) {
    TempFolder temp;
    ValueGuard saved(HKEY_CURRENT_USER, ShellFolders, "AppData");
    TitleGuard title("");
    SetAppData(temp.Path());
    EXPECT_EQ(GetAppDataFolder(), temp.Path() + "\\");
}

TEST(GetAppDataFolder, MissingValueGivesAFolderAtTheDriveRoot) {
    TempFolder temp;
    ValueGuard saved(HKEY_CURRENT_USER, ShellFolders, "AppData");
    TitleGuard title(UniqueTitle());
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    RegDeleteValueA(k, "AppData");
    RegCloseKey(k);

    // The current drive is the temp folder's, never the host's root.
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    ASSERT_TRUE(SetCurrentDirectoryA(temp.Path().c_str()));
    const std::string folder = GetAppDataFolder();
    const std::string onDrive = temp.Path().substr(0, 2) + folder;
    const bool created = IsFolder(onDrive);
    RemoveDirectoryA(onDrive.c_str());
    SetCurrentDirectoryA(cwd);

    EXPECT_EQ(folder, "\\" + UniqueTitle() + "\\");
    EXPECT_TRUE(created);
}

TEST(GetAppDataFolder, ValueOfAnotherTypeRaises) {
    ValueGuard saved(HKEY_CURRENT_USER, ShellFolders, "AppData");
    TitleGuard title(UniqueTitle());
    const DWORD number = 7;
    SetAppData(REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(support::MessageOf<ERegistryException>([] { GetAppDataFolder(); }),
              "Invalid data type for 'AppData'");
}

TEST(GetAppDataFolder, UnopenableKeyGivesEmptyAndCreatesNothing) {
    TempFolder temp;
    ValueGuard saved(HKEY_CURRENT_USER, ShellFolders, "AppData");
    TitleGuard title(UniqueTitle());
    SetAppData(temp.Path());
    // A key that refuses full access, which Wine's registry never does by itself.
    const auto previous = TRegistry::SetOpenKeyFunc(
        [](HKEY, const char*, bool, REGSAM, HKEY*) -> LONG { return ERROR_ACCESS_DENIED; });
    const std::string folder = GetAppDataFolder();
    TRegistry::SetOpenKeyFunc(previous);
    EXPECT_EQ(folder, "");
    EXPECT_FALSE(Exists(temp.Path() + "\\" + UniqueTitle()));
}

namespace {

RECT RectOnOtherDesktop() {
    RECT r{1, 2, 3, 4};
    std::thread([&r] {
        HDESK desktop =
            CreateDesktopA("SundownEmptyDesktop", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        if (desktop && SetThreadDesktop(desktop))
            GetTaskbarRect(r);
        if (desktop)
            CloseDesktop(desktop);
    }).join();
    return r;
}

} // namespace

TEST(GetTaskbarRect, GivesTheTaskbarWindowsRectangle) {
    // A taskbar of our own along the bottom edge, above every other window of its class.
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&windowClass);
    HWND taskbar = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "",
                                   WS_POPUP | WS_VISIBLE, 0, 994, 1280, 30, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
    ASSERT_NE(taskbar, nullptr);
    ASSERT_EQ(FindWindowA("Shell_TrayWnd", nullptr), taskbar);
    RECT r{};
    GetTaskbarRect(r);
    DestroyWindow(taskbar);
    UnregisterClassA("Shell_TrayWnd", windowClass.hInstance);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 994);
    EXPECT_EQ(r.right, 1280);
    EXPECT_EQ(r.bottom, 1024);
}

TEST(GetTaskbarRect, NoTaskbarGivesAnEmptyRectangle) {
    // The prefix's desktop has one; a new desktop has none.
    ASSERT_NE(FindWindowA("Shell_TrayWnd", nullptr), nullptr);
    const RECT r = RectOnOtherDesktop();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.bottom, 0);
}

namespace {

// Waits up to ten seconds for a started program's file to be complete.
std::string WaitForFile(const std::string& path, const std::string& ending) {
    for (int i = 0; i < 100; ++i) {
        const std::string text = ReadFile(path);
        if (text.size() >= ending.size() &&
            text.compare(text.size() - ending.size(), ending.size(), ending) == 0)
            return text;
        Sleep(100);
    }
    return ReadFile(path);
}

std::string SystemCmd() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\cmd.exe";
}

} // namespace

TEST(ExecuteFile, StartsTheFileInTheGivenFolder) {
    TempFolder temp;
    const HINSTANCE result =
        ExecuteFile("open", SystemCmd(), "/c echo started>out.txt", temp.Path(), SW_HIDE);
    EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
    EXPECT_EQ(WaitForFile(temp.Path() + "\\out.txt", "\r\n"), "started\r\n");
}

TEST(ExecuteFile, LongParametersArriveWhole) {
    TempFolder temp;
    const std::string word(300, 'w');
    const HINSTANCE result =
        ExecuteFile("open", SystemCmd(), "/c echo " + word + ">long.txt", temp.Path(), SW_HIDE);
    EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
    EXPECT_EQ(WaitForFile(temp.Path() + "\\long.txt", "\r\n"), word + "\r\n");
}

TEST(ExecuteFile, ShellFailureComesBackUnchanged) {
    TempFolder temp;
    const std::string missing = temp.Path() + "\\missing.exe";
    const INT_PTR result =
        reinterpret_cast<INT_PTR>(ExecuteFile("open", missing, "", temp.Path(), SW_SHOWNORMAL));
    EXPECT_LE(result, 32);
    EXPECT_EQ(result, reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", missing.c_str(), "",
                                                              temp.Path().c_str(), SW_SHOWNORMAL)));

    // A missing name longer than 255 characters fails the same way.
    const std::string longName = temp.Path() + "\\" + std::string(300, 'n') + ".exe";
    EXPECT_LE(reinterpret_cast<INT_PTR>(ExecuteFile("open", longName, "", "", SW_SHOWNORMAL)), 32);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
