// End to end: the real Sundown.exe started in the tests' Wine prefix, driven as a user's second
// start and other programs would drive it. Its settings.ini is written beforehand with the alarm
// disarmed (in the ".Defaults" section, so that the program writes its own "Settings" section
// whole), so no countdown can start and no session can end here; whatever file the prefix held
// before is put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SettingsFileKeys.h"
#include "gui/Application.h"
#include "base/ScratchPlaces.h"
#include "system/OrbCommon.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

using fixture::KeysOfSection;

// A started program; ended by force if a test left it running.
class TProcess {
public:
    explicit TProcess(const std::string& commandLine) {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        std::string line = commandLine;
        FStarted = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &FInfo);
    }
    ~TProcess() {
        if (!FStarted)
            return;
        if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(FInfo.hProcess, 99);
        CloseHandle(FInfo.hThread);
        CloseHandle(FInfo.hProcess);
    }
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;

    bool Started() const { return FStarted; }
    HANDLE Handle() const { return FInfo.hProcess; }
    // The exit code once ended within ms, else -1.
    long WaitExit(DWORD ms) const {
        if (WaitForSingleObject(FInfo.hProcess, ms) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(FInfo.hProcess, &code);
        return static_cast<long>(code);
    }
    bool Running() const { return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }

private:
    PROCESS_INFORMATION FInfo{};
    BOOL FStarted = FALSE;
};

// Sundown starting or answering beside other tests: ten seconds.
bool WaitFor(const std::function<bool()>& cond) {
    return pump::WaitFor(cond, 10000);
}

HWND MainWindow() {
    return FindWindowA("TfrmSundown", nullptr);
}

class SundownE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(MainWindow(), nullptr) << "another Sundown runs in this prefix";
        Application().SetTitle("Sundown");
        IniFile = GetAppDataFolder() + "settings.ini";
        HadFile = scratch::FileExists(IniFile);
        if (HadFile)
            Saved = scratch::ReadFileBytes(IniFile);
        scratch::WriteFileBytes(IniFile, HandWritten);
    }
    void TearDown() override {
        if (HadFile)
            scratch::WriteFileBytes(IniFile, Saved);
        else
            DeleteFileA(IniFile.c_str());
    }

    // Starts the first copy and waits until it idles, hidden in the tray.
    std::unique_ptr<TProcess> StartFirst() {
        auto p = std::make_unique<TProcess>("\"" + support::ExeFolder() + "Sundown.exe\"");
        EXPECT_TRUE(p->Started());
        // Idle in its message loop: the first activation has run.
        EXPECT_EQ(WaitForInputIdle(p->Handle(), 10000), 0u);
        EXPECT_TRUE(WaitFor([] { return MainWindow() && !IsWindowVisible(MainWindow()); }))
            << "the first copy's window did not come and hide";
        return p;
    }
    long Command(const std::string& args) {
        TProcess p("\"" + support::ExeFolder() + "sundown_command.exe\" " + args);
        return p.WaitExit(10000);
    }

    const std::string HandWritten = "; written by hand\r\n"
                                    "[.Defaults]\r\n"
                                    "Enabled=0\r\n"
                                    "[Notes]\r\n"
                                    "kept=yes\r\n";
    std::string IniFile;
    bool HadFile = false;
    std::string Saved;
};

} // namespace

TEST_F(SundownE2E, SecondStartShowsTheFirstAndCommandsDriveIt) {
    auto first = StartFirst();
    const HWND window = MainWindow();
    ASSERT_NE(window, nullptr);

    // A second start hands over and ends with exit code 0.
    {
        TProcess second("\"" + support::ExeFolder() + "Sundown.exe\"");
        ASSERT_TRUE(second.Started());
        EXPECT_EQ(second.WaitExit(10000), 0);
    }
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }))
        << "the first copy's window comes up";
    EXPECT_EQ(MainWindow(), window) << "no second window";
    {
        TProcess again("\"" + support::ExeFolder() + "Sundown.exe\"");
        EXPECT_EQ(again.WaitExit(10000), 0);
    }
    EXPECT_TRUE(IsWindowVisible(window)) << "shown already: stays shown";

    // Command 2 hides.
    EXPECT_EQ(Command("2"), 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(first->Running());

    // Command 4 opens the options window; the sender waits until it closes.
    TProcess sender("\"" + support::ExeFolder() + "sundown_command.exe\" 4");
    HWND options = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        options = FindWindowA("TfrmOptions", nullptr);
        return options && IsWindowVisible(options);
    })) << "the options window shows";
    EXPECT_EQ(sender.WaitExit(300), -1) << "the send returns only when the command is done";
    PostMessageA(options, WM_CLOSE, 0, 0);
    EXPECT_EQ(sender.WaitExit(10000), 0);
    EXPECT_EQ(scratch::ReadFileBytes(IniFile), HandWritten) << "cancelled options write nothing";
    EXPECT_TRUE(first->Running());

    // Command 3 saves and ends with exit code 0.
    EXPECT_EQ(Command("3"), 0);
    EXPECT_EQ(first->WaitExit(10000), 0);
    const std::string ini = scratch::ReadFileBytes(IniFile);
    EXPECT_EQ(KeysOfSection(ini, "Settings"), fixture::KeyOrder()) << ini;
    EXPECT_NE(ini.find("Enabled=0"), std::string::npos);
    EXPECT_NE(ini.find("; written by hand"), std::string::npos);
    EXPECT_NE(ini.find("[.Defaults]\r\nEnabled=0"), std::string::npos);
    EXPECT_NE(ini.find("[Notes]\r\nkept=yes"), std::string::npos) << "hand-added lines survive";
    EXPECT_EQ(MainWindow(), nullptr);
}

// Windows are made on first use: at rest in the tray only the main window exists, and the others
// come when they are first needed, as the commands need them.
TEST_F(SundownE2E, TheOtherWindowsAreMadeOnlyWhenFirstNeeded) {
    auto first = StartFirst();
    for (const char* name :
         {"TfrmExitConfirm", "TfrmOptions", "TfrmAbout", "TfrmAutoUpdate", "TJvProgressDialog"})
        EXPECT_EQ(FindWindowA(name, nullptr), nullptr) << name << " made before it was needed";

    TProcess sender("\"" + support::ExeFolder() + "sundown_command.exe\" 4");
    HWND options = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        options = FindWindowA("TfrmOptions", nullptr);
        return options && IsWindowVisible(options) && IsWindowEnabled(options);
    })) << "the options window is made and shows at its first use";
    PostMessageA(options, WM_CLOSE, 0, 0);
    EXPECT_EQ(sender.WaitExit(10000), 0);
    EXPECT_EQ(FindWindowA("TfrmOptions", nullptr), options) << "made once, then kept";
    EXPECT_EQ(FindWindowA("TfrmAbout", nullptr), nullptr);
    EXPECT_EQ(Command("3"), 0);
    EXPECT_EQ(first->WaitExit(10000), 0);
}

// The child window of a dialog whose text is caption, or nullptr.
HWND ChildWithText(HWND parent, const std::string& caption) {
    struct Search {
        std::string Caption;
        HWND Found = nullptr;
    } search{caption};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char text[64] = {};
            GetWindowTextA(child, text, sizeof(text));
            if (s->Caption == text) {
                s->Found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

TEST_F(SundownE2E, OptionsConfirmedFromCommandFourWriteTheFileAtOnce) {
    auto first = StartFirst();
    TProcess sender("\"" + support::ExeFolder() + "sundown_command.exe\" 4");
    HWND options = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        options = FindWindowA("TfrmOptions", nullptr);
        return options && IsWindowVisible(options);
    }));
    // The action list lies in the group box inside a panel: search the whole tree.
    HWND action = nullptr;
    EnumChildWindows(
        options,
        [](HWND child, LPARAM data) -> BOOL {
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof(cls));
            if (lstrcmpiA(cls, "COMBOBOX") != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(data) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&action));
    ASSERT_NE(action, nullptr);
    SendMessageA(action, CB_SETCURSEL, 1, 0); // Restart
    const HWND ok = ChildWithText(options, "Ok");
    ASSERT_NE(ok, nullptr);
    SendMessageA(ok, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(ok, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(sender.WaitExit(10000), 0) << "the command returns once the window is confirmed";

    // Written at once, while the program runs on.
    EXPECT_TRUE(first->Running());
    const std::string ini = scratch::ReadFileBytes(IniFile);
    EXPECT_EQ(KeysOfSection(ini, "Settings"), fixture::KeyOrder()) << ini;
    EXPECT_NE(ini.find("ExitWindowsType=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Notes]\r\nkept=yes"), std::string::npos);

    EXPECT_EQ(Command("3"), 0);
    EXPECT_EQ(first->WaitExit(10000), 0);
}

TEST_F(SundownE2E, AfterTheFirstCopyEndedANewStartIsTheFirst) {
    {
        auto first = StartFirst();
        EXPECT_EQ(Command("3"), 0);
        EXPECT_EQ(first->WaitExit(10000), 0);
    }
    EXPECT_EQ(Command("1"), 1) << "no window left";
    auto next = StartFirst();
    EXPECT_TRUE(next->Running()) << "it stays: the mutex went with the first copy";
    EXPECT_EQ(Command("3"), 0);
    EXPECT_EQ(next->WaitExit(10000), 0);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
