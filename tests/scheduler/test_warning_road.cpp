// The schedule and the steps that end the session, in process: the tray hint and image, the
// balloon, the countdown window driven through its buttons, ExitWindowsEx through the session
// seam (never the real one), saving and exiting, and the alarm over simulated days.
#include <climits>

#include "MainWindowFixture.h"
#include "base/FormatSettings.h"
#include "scheduler/commonU.h"

using fixture::KeyOrder;
using fixture::KeysOfSection;
using fixture::MainWindowTest;
using fixture::TimeOfDay;
using fixture::WaitFor;

namespace {

class WarningRoadTest : public MainWindowTest {
protected:
    // Starts with the given [Settings] lines and no alarm due.
    void StartWith(const std::string& lines) {
        WriteIni("[Settings]\r\n" + lines);
        Start();
        IniAtStart = ReadIni();
    }
    // Presses a countdown button as soon as the window shows.
    void Answer(TJvXPButton TfrmExitConfirm::*button) {
        WhenShown(frmExitConfirm, [this, button] {
            CountdownText = frmExitConfirm->memoAlert.Text();
            (frmExitConfirm->*button).Click();
        });
    }
    std::string IniAtStart;
    std::string CountdownText;
};

} // namespace

TEST_F(WarningRoadTest, HintNamesTheActionAndTheTimeWithTwoDigits) {
    struct TCase {
        const char* Lines;
        const char* Hint;
    } cases[] = {
        {"ExitWindowsType=0\r\nHour=20\r\nMinute=0\r\n", "Workstation will logoff at 20:00"},
        {"ExitWindowsType=1\r\nHour=7\r\nMinute=5\r\n", "Workstation will restart at 07:05"},
        {"ExitWindowsType=2\r\nHour=20\r\nMinute=0\r\n", "Workstation will shutdown at 20:00"},
        {"ExitWindowsType=5\r\nHour=0\r\nMinute=59\r\n", "Workstation will  at 00:59"},
        {"ExitWindowsType=-1\r\nHour=23\r\nMinute=10\r\n", "Workstation will  at 23:10"},
    };
    StartWith("");
    for (const TCase& c : cases) {
        WriteIni(std::string("[Settings]\r\n") + c.Lines);
        frmSundown->LoadSettings();
        EXPECT_EQ(frmSundown->TrayIcon.Hint(), c.Hint);
        EXPECT_STREQ(ShellCalls.back().Data.szTip, c.Hint);
    }
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(WarningRoadTest, BalloonAndCountdownTextForEveryAction) {
    StartWith("Warning=60\r\n");
    struct TCase {
        TAction* Action;
        const char* Word;
    } cases[] = {
        {&frmSundown->ActionLogoff, "logoff"},
        {&frmSundown->ActionRestart, "restart"},
        {&frmSundown->ActionShutdown, "shutdown"},
    };
    for (const TCase& c : cases) {
        ShellCalls.clear();
        Answer(&TfrmExitConfirm::btnCancel);
        c.Action->Execute();
        const auto balloons = Balloons();
        ASSERT_EQ(balloons.size(), 1u) << c.Word;
        EXPECT_STREQ(balloons[0].szInfoTitle, "Warning");
        EXPECT_EQ(std::string(balloons[0].szInfo),
                  std::string("Workstation will ") + c.Word + " in 60 second(s)");
        EXPECT_EQ(balloons[0].dwInfoFlags & 3u, static_cast<DWORD>(NIIF_WARNING));
        EXPECT_EQ(balloons[0].uTimeout, 60000u);
        EXPECT_NE(CountdownText.find(std::string("Windows will automatically ") + c.Word +
                                     " in 60 second(s)"),
                  std::string::npos)
            << CountdownText;
        EXPECT_EQ(BalloonRemovals(), 1) << "the balloon is taken away";
        EXPECT_FALSE(frmSundown->TrayIcon.BalloonShowing());
    }
    EXPECT_TRUE(ExitFlags.empty());
    EXPECT_EQ(ReadIni(), IniAtStart) << "cancelled: nothing written";
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(WarningRoadTest, UnknownActionHasAnEmptyWordAndEndsNoSession) {
    StartWith("ExitWindowsType=7\r\nWarning=30\r\nHour=20\r\nMinute=0\r\n");
    Answer(&TfrmExitConfirm::btnOk);
    frmSundown->ClockAlarm(&frmSundown->Clock);
    ASSERT_EQ(Balloons().size(), 1u);
    EXPECT_STREQ(Balloons()[0].szInfo, "Workstation will  in 30 second(s)");
    EXPECT_NE(CountdownText.find("automatically  in 30"), std::string::npos);
    EXPECT_TRUE(ExitFlags.empty()) << "no session end for an action without a name";
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); })) << "but the program ends";
    EXPECT_EQ(KeysOfSection(ReadIni(), "Settings").size(), 24u);
}

class ConfirmedRoadTest : public WarningRoadTest,
                          public ::testing::WithParamInterface<std::pair<int, UINT>> {};

TEST_P(ConfirmedRoadTest, AsksExitWindowsSavesExitsAndTakesTheBalloonAway) {
    const auto [exitType, flags] = GetParam();
    StartWith("ExitWindowsType=" + std::to_string(exitType) + "\r\nWarning=45\r\n");
    Answer(&TfrmExitConfirm::btnOk);
    frmSundown->ClockAlarm(&frmSundown->Clock);
    ASSERT_EQ(ExitFlags.size(), 1u);
    EXPECT_EQ(ExitFlags[0], flags);
    EXPECT_EQ(Balloons().size(), 1u);
    EXPECT_EQ(BalloonRemovals(), 1);
    EXPECT_FALSE(frmSundown->TrayIcon.BalloonShowing());
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
    const std::string ini = ReadIni();
    EXPECT_EQ(KeysOfSection(ini, "Settings").size(), 24u) << "saved";
    EXPECT_NE(ini.find("ExitWindowsType=" + std::to_string(exitType)), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Actions, ConfirmedRoadTest,
                         ::testing::Values(std::pair<int, UINT>{0, 0u}, std::pair<int, UINT>{1, 2u},
                                           std::pair<int, UINT>{2, 9u},
                                           std::pair<int, UINT>{258, 9u})); // low eight bits

TEST_F(WarningRoadTest, TheCountdownRunningOutConfirms) {
    StartWith("ExitWindowsType=1\r\nWarning=1\r\n");
    const DWORD start = GetTickCount();
    frmSundown->ActionRestart.Execute();
    const DWORD took = GetTickCount() - start;
    ASSERT_EQ(ExitFlags.size(), 1u);
    EXPECT_EQ(ExitFlags[0], static_cast<UINT>(EWX_REBOOT));
    EXPECT_GE(took, 1500u) << "two ticks of the countdown";
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
}

TEST_F(WarningRoadTest, CancelledAlarmComesAgainTheNextDay) {
    StartWith("Hour=20\r\nMinute=0\r\nWarning=60\r\nExitWindowsType=2\r\n");
    int countdowns = 0;
    const auto cancelEach = [&] {
        WhenShown(frmExitConfirm, [&] {
            ++countdowns;
            frmExitConfirm->btnCancel.Click();
        });
    };
    Now = TimeOfDay(19, 59, 59, 4);
    frmSundown->Clock.Tick();
    cancelEach();
    Now = TimeOfDay(20, 0, 0, 4);
    frmSundown->Clock.Tick();
    EXPECT_EQ(countdowns, 1);
    for (int s = 1; s < 60; ++s) { // the rest of the minute
        Now = TimeOfDay(20, 0, s, 4);
        frmSundown->Clock.Tick();
    }
    EXPECT_EQ(countdowns, 1) << "once that day";
    Now = TimeOfDay(19, 59, 59, 5);
    frmSundown->Clock.Tick();
    cancelEach();
    Now = TimeOfDay(20, 0, 0, 5);
    frmSundown->Clock.Tick();
    EXPECT_EQ(countdowns, 2) << "again the next day";
    EXPECT_TRUE(ExitFlags.empty());
    EXPECT_EQ(ReadIni(), IniAtStart);
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(WarningRoadTest, SecondRoadWhileTheCountdownIsOpenStartsNothing) {
    StartWith("Hour=20\r\nMinute=0\r\nWarning=60\r\nExitWindowsType=0\r\n");
    Now = TimeOfDay(19, 59, 59);
    frmSundown->Clock.Tick();
    std::string captionAfter;
    TTimer ticker;
    WhenShown(frmExitConfirm, [&] {
        // A Tasks command, then the alarm's minute, while the countdown runs.
        frmSundown->ActionShutdown.Execute();
        Now = TimeOfDay(20, 0, 0);
        frmSundown->Clock.Tick();
        EXPECT_TRUE(frmExitConfirm->Visible()) << "the running countdown goes on";
        EXPECT_TRUE(frmSundown->TrayIcon.BalloonShowing()) << "its balloon stays";
        // Let it tick once, then cancel.
        ticker.SetInterval(20);
        ticker.OnTimer = [&](TObject*) {
            if (frmExitConfirm->btnOk.Caption() == "Ok") {
                return;
            }
            ticker.SetEnabled(false);
            captionAfter = frmExitConfirm->btnOk.Caption();
            frmExitConfirm->btnCancel.Click();
        };
        ticker.SetEnabled(true);
    });
    frmSundown->ActionLogoff.Execute();
    EXPECT_EQ(captionAfter, "Ok (59)") << "count undisturbed";
    ASSERT_EQ(Balloons().size(), 1u) << "no second balloon";
    EXPECT_STREQ(Balloons()[0].szInfo, "Workstation will logoff in 60 second(s)");
    EXPECT_TRUE(ExitFlags.empty());
    EXPECT_FALSE(frmSundown->WarningRunning());
    // The alarm's minute came during the countdown and was not queued.
    Application().ProcessMessages();
    EXPECT_FALSE(frmExitConfirm->Visible());
    EXPECT_EQ(Balloons().size(), 1u);
}

// Once the program is ending the alarm starts nothing: not while the box of a failed save at Exit
// is open, nor after command 3 or the session's end before the message loop has seen the request.
TEST_F(WarningRoadTest, OnceTheProgramIsEndingTheAlarmStartsNothing) {
    struct TCase {
        const char* Name;
        bool AlarmInTheBox; // else right after the request
        std::function<void()> Exit;
    } cases[] = {
        {"tray Exit, its box open", true, [] { frmSundown->Exit1.Click(); }},
        {"command 3", false,
         [] { SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, icExit, 0); }},
        {"end of session", false,
         [] { SendMessageA(frmSundown->Handle(), WM_ENDSESSION, TRUE, 0); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // Nothing can be saved: the settings folder's name is taken by a file.
        scratch::WriteFileBytes(Folder.File("taken"), "");
        frmSundown->Settings()->SetINIFileName(Folder.File("taken") + "\\settings.ini");
        Start();
        Boxes.clear();
        ShellCalls.clear();
        ExitFlags.clear();
        Now = TimeOfDay(19, 59, 59);
        frmSundown->Clock.Tick();
        const auto alarm = [this] {
            Now = TimeOfDay(20, 0, 0);
            frmSundown->Clock.Tick();
        };
        Boxes.OnBox = [&](const support::TBox&) {
            if (c.AlarmInTheBox)
                alarm();
        };
        bool countdown = false;
        WhenShown(frmExitConfirm, [&] {
            countdown = true;
            frmExitConfirm->btnCancel.Click();
        });
        c.Exit();
        if (!c.AlarmInTheBox)
            alarm();
        Application().ProcessMessages();
        EXPECT_EQ(Boxes.size(), c.AlarmInTheBox ? 1u : 0u) << Boxes.First();
        EXPECT_TRUE(Balloons().empty()) << "no warning";
        EXPECT_FALSE(countdown);
        EXPECT_TRUE(ExitFlags.empty());
        EXPECT_TRUE(Application().Terminated());
        TearDown();
        SetUp();
    }
}

// Exit, command 3 or the session's end while the countdown runs, with posted messages queued
// before the quit message the whole time: the countdown ends unconfirmed at once, and nothing ends
// the session, even once its count is spent.
TEST_F(WarningRoadTest, ExitUnderAQueueOfMessagesEndsNoSession) {
    struct TCase {
        const char* Name;
        std::function<void()> Exit;
    } cases[] = {
        {"command 3", [] { SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, icExit, 0); }},
        {"end of session", [] { SendMessageA(frmSundown->Handle(), WM_ENDSESSION, TRUE, 0); }},
        {"tray Exit", [] { frmSundown->Exit1.Click(); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StartWith("Warning=1\r\n");
        pump::TFlood flood;
        ULONGLONG until = 0;
        flood.OnMessage = [&] {
            if (GetTickCount64() >= until)
                flood.Stop();
        };
        WhenShown(frmExitConfirm, [&] {
            until = GetTickCount64() + 4000; // past the count's end
            flood.Start();
            c.Exit();
        });
        frmSundown->ActionLogoff.Execute();
        const bool shown = frmExitConfirm->Visible();
        flood.Stop();
        EXPECT_TRUE(ExitFlags.empty()) << "the session ends after Exit";
        EXPECT_FALSE(shown);
        EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
        TearDown();
        SetUp();
    }
}

// The user chose Exit during the countdown and the settings cannot be saved: while the box that
// says so is open, the countdown is off the screen, even once its count is spent.
TEST_F(WarningRoadTest, AtExitTheCountdownGoesWhileTheBoxOfAFailedSaveIsOpen) {
    scratch::WriteFileBytes(Folder.File("taken"), "");
    frmSundown->Settings()->SetINIFileName(Folder.File("taken") + "\\settings.ini");
    Start();
    bool shownWithTheBox = true;
    Boxes.OnBox = [&](const support::TBox&) {
        pump::For(3000); // the box left open past the count's end
        shownWithTheBox = frmExitConfirm->Visible();
    };
    WhenShown(frmExitConfirm, [] { frmSundown->Exit1.Click(); });
    frmSundown->ExitWindowsWithWarning(etLogoff, 1);
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_FALSE(shownWithTheBox);
    EXPECT_TRUE(ExitFlags.empty());
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
}

TEST_F(WarningRoadTest, EndSessionDuringTheCountdownSavesAndEnds) {
    StartWith("Warning=60\r\n");
    WhenShown(frmExitConfirm, [] { SendMessageA(frmSundown->Handle(), WM_ENDSESSION, TRUE, 0); });
    frmSundown->ActionShutdown.Execute();
    EXPECT_TRUE(ExitFlags.empty()) << "the countdown was cancelled by the ending program";
    EXPECT_EQ(BalloonRemovals(), 1);
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
    EXPECT_EQ(KeysOfSection(ReadIni(), "Settings").size(), 24u);
}

TEST_F(WarningRoadTest, BalloonTimeStaysWithinWhatTheShellTakes) {
    EXPECT_EQ(WarningBalloonTime(60), 60000);
    EXPECT_EQ(WarningBalloonTime(1), 1000);
    EXPECT_EQ(WarningBalloonTime(0), 0);
    EXPECT_EQ(WarningBalloonTime(-5), 0);
    EXPECT_EQ(WarningBalloonTime(INT_MIN), 0);
    EXPECT_EQ(WarningBalloonTime(2147483), 2147483000);
    EXPECT_EQ(WarningBalloonTime(2147484), INT_MAX) << "Seconds x 1000 would overflow 32 bits";
    EXPECT_EQ(WarningBalloonTime(INT_MAX), INT_MAX);

    for (const char* warning : {"0", "-5", "3000000"}) {
        SCOPED_TRACE(warning);
        StartWith(std::string("Warning=") + warning + "\r\n");
        ShellCalls.clear();
        Answer(&TfrmExitConfirm::btnCancel);
        frmSundown->ActionLogoff.Execute();
        ASSERT_EQ(Balloons().size(), 1u);
        EXPECT_LE(Balloons()[0].uTimeout, static_cast<UINT>(INT_MAX));
        EXPECT_EQ(std::string(Balloons()[0].szInfo),
                  std::string("Workstation will logoff in ") + warning + " second(s)");
        EXPECT_NE(CountdownText.find(std::string("in ") + warning + " second(s)"),
                  std::string::npos);
        TearDown();
        SetUp();
    }
}

TEST_F(WarningRoadTest, ActiveToggleFlipsTheLiveStateOnly) {
    StartWith("Hour=20\r\nMinute=0\r\n");
    const std::string hint = frmSundown->TrayIcon.Hint();
    frmSundown->Active1.Click();
    EXPECT_FALSE(frmSundown->Clock.AlarmEnabled());
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 1);
    EXPECT_EQ(frmSundown->TrayIcon.Hint(), hint);
    frmSundown->ActionActive.Update();
    EXPECT_FALSE(frmSundown->ActionActive.Checked());
    // Disarmed: the alarm minute passes without a countdown, Tasks still work.
    Now = TimeOfDay(19, 59, 59);
    frmSundown->Clock.Tick();
    Now = TimeOfDay(20, 0, 0);
    frmSundown->Clock.Tick();
    EXPECT_TRUE(Balloons().empty());
    Answer(&TfrmExitConfirm::btnCancel);
    frmSundown->Logoff1.Click();
    EXPECT_EQ(Balloons().size(), 1u);
    // Switched back on after the minute: not until the next day.
    frmSundown->Active1.Click();
    EXPECT_TRUE(frmSundown->Clock.AlarmEnabled());
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 0);
    Now = TimeOfDay(20, 0, 30);
    frmSundown->Clock.Tick();
    EXPECT_EQ(Balloons().size(), 1u);
    EXPECT_EQ(ReadIni(), IniAtStart) << "the toggle is never written";
    // The settings again set the clock (as the options window's Ok does).
    frmSundown->Active1.Click();
    frmSundown->ApplyAlarm();
    EXPECT_TRUE(frmSundown->Clock.AlarmEnabled());
}

TEST_F(WarningRoadTest, OutOfRangeTimeIsShownAndDisarms) {
    for (const char* lines : {"Hour=24\r\nMinute=0\r\n", "Hour=7\r\nMinute=60\r\n",
                              "Hour=261\r\nMinute=0\r\n", "Hour=-1\r\nMinute=0\r\n"}) {
        SCOPED_TRACE(lines);
        // Armed at another time first, as by an earlier load.
        WriteIni("[Settings]\r\nHour=6\r\nMinute=30\r\n");
        Start();
        ASSERT_TRUE(frmSundown->Clock.AlarmEnabled());
        Boxes.clear();
        WriteIni(std::string("[Settings]\r\n") + lines);
        try {
            frmSundown->LoadSettings();
            ADD_FAILURE() << "accepted";
        } catch (const std::exception& e) {
            Application().ShowException(e);
        }
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_NE(Boxes[0].Text.find("is not a valid time"), std::string::npos);
        EXPECT_EQ(Boxes[0].Caption, Application().Title());
        EXPECT_FALSE(frmSundown->Clock.AlarmEnabled()) << "not left armed at 06:30";
        EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 1);
        // The alarm minute of the old time passes quietly.
        Now = TimeOfDay(6, 29, 59);
        frmSundown->Clock.Tick();
        Now = TimeOfDay(6, 30, 0);
        frmSundown->Clock.Tick();
        EXPECT_TRUE(Balloons().empty());
        TearDown();
        SetUp();
    }
}

TEST_F(WarningRoadTest, OutOfRangeTimeAtTheFirstActivationGoesToTheErrorBox) {
    WriteIni("[Settings]\r\nHour=24\r\n");
    Start();
    ASSERT_EQ(Boxes.size(), 1u) << "the default error box";
    EXPECT_EQ(Boxes[0].Text, "'24" + std::string(1, FormatSettings().TimeSeparator) + "0" +
                                 std::string(1, FormatSettings().TimeSeparator) +
                                 "0' is not a valid time");
    EXPECT_FALSE(frmSundown->Clock.AlarmEnabled());
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 1);
    EXPECT_TRUE(frmSundown->TrayIcon.Active());
    EXPECT_FALSE(Application().Terminated()) << "the program runs on";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
