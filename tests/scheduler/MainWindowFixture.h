#pragma once
// The program's four windows created as the program creates them, in process, with their
// platform edges recorded: the tray icon's shell calls, ExitWindowsEx, message boxes, and the
// clock's time (a fixed time of day unless a test sets another). The settings file lies in a
// temporary folder; the application title is unique, so the settings folder made under the
// application-data folder is the test's own and is removed afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "MessagePump.h"
#include "SettingsFileKeys.h"
#include "TestSupport.h"
#include "about/frmAboutU.h"
#include "gui/Application.h"
#include "base/ScratchPlaces.h"
#include "gui/Timer.h"
#include "scheduler/frmExitConfimU.h"
#include "scheduler/frmOptionsU.h"
#include "scheduler/frmSundownU.h"
#include "system/OrbCommon.h"

namespace fixture {

using pump::WaitFor;

inline SYSTEMTIME TimeOfDay(int hour, int minute, int second, int day = 4) {
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

struct TShellCall {
    DWORD Message;
    NOTIFYICONDATAA Data;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().SetTitle("SundownTest-" + scratch::UniqueName());
        Application().CreateForm(frmSundown);
        Application().CreateForm(frmExitConfirm);
        Application().CreateForm(frmOptions);
        Application().CreateForm(frmAbout);
        AppDataFolder = GetAppDataFolder();
        IniFile = Folder.File("settings.ini");
        frmSundown->Settings()->SetINIFileName(IniFile);
        frmSundown->TrayIcon.SetShellNotifyFunction([this](DWORD message, NOTIFYICONDATAA* data) {
            ShellCalls.push_back({message, *data});
            return TRUE;
        });
        frmSundown->SessionApi.ExitWindowsEx = [this](UINT flags, DWORD) {
            ExitFlags.push_back(flags);
            return TRUE;
        };
        frmSundown->Clock.SetTimeSource([this] { return Now; });
    }

    void TearDown() override {
        Application().ProcessMessages();
        Application().DestroyForms();
        frmSundown = nullptr;
        frmExitConfirm = nullptr;
        frmOptions = nullptr;
        frmAbout = nullptr;
        Boxes.OnBox = nullptr;
        if (!AppDataFolder.empty())
            scratch::RemoveTree(AppDataFolder.substr(0, AppDataFolder.size() - 1));
    }

    // Shows the main window as the application's run does and waits for the first activation
    // to have hidden it again.
    void Start() {
        frmSundown->Show();
        ASSERT_TRUE(WaitFor([] { return frmSundown->Activated(); })) << "never activated";
        Application().ProcessMessages();
    }

    // Runs action on the message loop as soon as form is shown (polled every 20 ms).
    void WhenShown(TForm* form, std::function<void()> action) {
        Poller.SetInterval(20);
        Poller.OnTimer = [this, form, action](TObject*) {
            if (!form->Visible())
                return;
            Poller.SetEnabled(false);
            action();
        };
        Poller.SetEnabled(true);
    }

    // The balloons shown (NIF_INFO with a text), and the calls that took one away.
    std::vector<NOTIFYICONDATAA> Balloons() const {
        std::vector<NOTIFYICONDATAA> out;
        for (const TShellCall& c : ShellCalls)
            if ((c.Data.uFlags & NIF_INFO) && c.Data.szInfo[0])
                out.push_back(c.Data);
        return out;
    }
    int BalloonRemovals() const {
        int n = 0;
        for (const TShellCall& c : ShellCalls)
            if ((c.Data.uFlags & NIF_INFO) && !c.Data.szInfo[0])
                ++n;
        return n;
    }

    std::string ReadIni() const { return scratch::ReadFileBytes(IniFile); }
    void WriteIni(const std::string& text) const { scratch::WriteFileBytes(IniFile, text); }

    scratch::TTempFolder Folder;
    std::string IniFile;
    std::string AppDataFolder;
    support::TBoxRecorder Boxes;
    std::vector<TShellCall> ShellCalls;
    std::vector<UINT> ExitFlags;
    SYSTEMTIME Now = TimeOfDay(12, 0, 0);
    TTimer Poller;
};

} // namespace fixture
