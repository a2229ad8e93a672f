// The countdown, options and About windows among each other on real windows under Wine: what a
// request for another window does while the countdown runs, the main window shown during a modal
// run, and modal windows asked for while the tray menu is open or the window is being dragged.
// Clicks that must reach a window go through the system's real input.
#include "MainWindowFixture.h"
#include "TestSupport.h"

using fixture::MainWindowTest;
using fixture::TimeOfDay;
using fixture::WaitFor;

namespace {

void MouseButton(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// Presses the control's middle with the mouse, as the user would.
void RealClick(const TControl& control) {
    RECT r{};
    GetWindowRect(control.Handle(), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

// Holds this thread as the window system's tracking of a caption button does: the window keeps
// the mouse, and only mouse messages are taken (no timer, no posted message) until a button-up
// comes; a button held on the close box then closes the window. False when the hold was still on
// after ms (the program never ended it).
bool HoldMouse(HWND window, bool onCloseBox, DWORD ms) {
    SetCapture(window);
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg{};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
            if (msg.message == WM_LBUTTONUP)
                break;
            continue;
        }
        if (GetTickCount64() >= end) {
            ReleaseCapture();
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_MOUSE | QS_SENDMESSAGE);
    }
    if (GetCapture() == window)
        ReleaseCapture();
    if (onCloseBox)
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

SYSTEMTIME Later(SYSTEMTIME t, ULONGLONG ms) {
    FILETIME f{};
    SystemTimeToFileTime(&t, &f);
    ULARGE_INTEGER u{{f.dwLowDateTime, f.dwHighDateTime}};
    u.QuadPart += ms * 10000;
    f = {u.LowPart, u.HighPart};
    FileTimeToSystemTime(&f, &t);
    return t;
}

void Key(WORD vk, DWORD flags = 0) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// Starts moving the form as a user would, then does nothing more: from the keyboard (Alt+Space,
// Move, one step right) or with the mouse pressed on its title bar.
void StartMove(const TForm& form, bool mouse) {
    if (mouse) {
        RECT r{};
        GetWindowRect(form.Handle(), &r);
        SetCursorPos(r.left + 40, r.top + GetSystemMetrics(SM_CYFIXEDFRAME) +
                                      GetSystemMetrics(SM_CYCAPTION) / 2);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        return;
    }
    for (WORD vk : {WORD(VK_MENU), WORD(VK_SPACE)})
        Key(vk);
    for (WORD vk : {WORD(VK_SPACE), WORD(VK_MENU)})
        Key(vk, KEYEVENTF_KEYUP);
    for (WORD vk : {WORD('M'), WORD(VK_RIGHT)}) {
        Key(vk);
        Key(vk, KEYEVENTF_KEYUP);
    }
}

bool InMoveLoop() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMOVESIZE);
}

bool HasFocus(const TForm& form) {
    return IsChild(form.Handle(), GetFocus()) != FALSE;
}

// Runs step on the message loop every interval ms until it returns true (not while it runs).
class TPoll {
public:
    TPoll(unsigned interval, std::function<bool()> step) : FStep(std::move(step)) {
        FTimer.SetInterval(interval);
        FTimer.OnTimer = [this](TObject*) {
            FTimer.SetEnabled(false);
            if (!FStep())
                FTimer.SetEnabled(true);
        };
        FTimer.SetEnabled(true);
    }

private:
    std::function<bool()> FStep;
    TTimer FTimer;
};

// A window of the test's own that takes the activation, as the tray menu's window does.
class TOtherWindow {
public:
    TOtherWindow()
        : FHandle(CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                                  nullptr, nullptr, nullptr, nullptr)) {
        SetForegroundWindow(FHandle);
    }
    ~TOtherWindow() { DestroyWindow(FHandle); }
    TOtherWindow(const TOtherWindow&) = delete;
    TOtherWindow& operator=(const TOtherWindow&) = delete;

private:
    HWND FHandle;
};

class ModalWindowsTest : public MainWindowTest {
protected:
    void StartWith(const std::string& lines) {
        WriteIni("[Settings]\r\n" + lines);
        Start();
    }
    static void Command(WPARAM command) {
        SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, command, 0);
    }
    void Alarm() {
        Now = TimeOfDay(20, 0, 0);
        frmSundown->Clock.Tick();
    }
    void BeforeTheAlarm() {
        Now = TimeOfDay(19, 59, 59);
        frmSundown->Clock.Tick();
    }
};

} // namespace

TEST_F(ModalWindowsTest, DuringTheCountdownARequestForAnotherWindowOnlyRaisesIt) {
    StartWith("Warning=60\r\n");
    struct TCase {
        const char* Name;
        std::function<void()> Request;
    } cases[] = {
        {"tray Options", [] { frmSundown->Options1.Click(); }},
        {"tray About", [] { frmSundown->About1.Click(); }},
        {"command 4", [] { Command(icOptions); }},
        {"Options button of the shown window",
         [] {
             Command(icShow);
             frmSundown->btnOptions.Click();
         }},
    };
    // Whatever other window comes up is noted and closed.
    std::vector<std::string> opened;
    TPoll closer(50, [&] {
        if (frmOptions->Visible()) {
            opened.push_back("Options");
            frmOptions->btnCancel.Click();
        }
        if (frmAbout->Visible()) {
            opened.push_back("About");
            frmAbout->OKBtn.Click();
        }
        return false;
    });
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        opened.clear();
        bool enabled = false, active = false, focused = false;
        TPoll answer(20, [&] {
            if (!frmExitConfirm->Visible())
                return false;
            TOtherWindow other;
            c.Request();
            enabled = IsWindowEnabled(frmExitConfirm->Handle()) != FALSE;
            active = frmExitConfirm->Active();
            focused = HasFocus(*frmExitConfirm);
            frmExitConfirm->btnCancel.Click();
            return true;
        });
        frmSundown->ActionLogoff.Execute();
        EXPECT_TRUE(opened.empty()) << opened.front() << " opened over the countdown";
        EXPECT_TRUE(enabled);
        EXPECT_TRUE(active) << "in front";
        EXPECT_TRUE(focused) << "with the keyboard";
        frmSundown->ActionHideApplication.Execute();
    }
    EXPECT_TRUE(ExitFlags.empty());
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(ModalWindowsTest, TheAlarmOverOptionsOrAboutComesUpInFrontAndTakesAClick) {
    StartWith("Hour=20\r\nMinute=0\r\nWarning=5\r\n");
    struct TCase {
        const char* Name;
        TForm* Form;
        std::function<void()> Open, Close;
        bool Confirm; // else cancel
    } cases[] = {
        {"Options", frmOptions, [] { Command(icOptions); }, [] { frmOptions->btnCancel.Click(); },
         false},
        {"About", frmAbout, [] { frmSundown->About1.Click(); }, [] { frmAbout->OKBtn.Click(); },
         false},
        // Confirmed: the session ends and the options window's run ends by itself.
        {"Options, confirmed", frmOptions, [] { Command(icOptions); }, nullptr, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        BeforeTheAlarm();
        bool over = false, otherDisabled = false;
        TPoll alarm(20, [&] {
            if (!c.Form->Visible())
                return false;
            Alarm();
            EXPECT_FALSE(frmExitConfirm->Visible());
            if (c.Close)
                c.Close();
            return true;
        });
        TPoll answer(20, [&] {
            if (!frmExitConfirm->Visible())
                return false;
            over = IsWindowEnabled(frmExitConfirm->Handle()) && frmExitConfirm->Active();
            otherDisabled = !IsWindowEnabled(c.Form->Handle());
            RealClick(c.Confirm ? frmExitConfirm->btnOk : frmExitConfirm->btnCancel);
            return true;
        });
        c.Open();
        Application().ProcessMessages();
        EXPECT_TRUE(over) << "enabled and in front";
        EXPECT_TRUE(otherDisabled);
        EXPECT_FALSE(c.Form->Visible());
        EXPECT_EQ(ExitFlags.size(), c.Confirm ? 1u : 0u);
        EXPECT_EQ(Application().Terminated(), c.Confirm);
    }
}

// Another window had taken the activation when the countdown came (the tray icon's, when the
// user clicked there): once the countdown is cancelled, the window below takes input again.
TEST_F(ModalWindowsTest, ACancelledCountdownGivesTheWindowBelowTheKeyboardBack) {
    StartWith("Hour=20\r\nMinute=0\r\nWarning=60\r\n");
    struct TCase {
        const char* Name;
        TForm* Form;
        std::function<void()> Open, Close;
    } cases[] = {
        {"Options", frmOptions, [] { Command(icOptions); }, [] { frmOptions->btnCancel.Click(); }},
        {"About", frmAbout, [] { frmSundown->About1.Click(); }, [] { frmAbout->OKBtn.Click(); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        BeforeTheAlarm();
        bool back = false, focused = false;
        TPoll alarm(20, [&] {
            if (!c.Form->Visible())
                return false;
            TOtherWindow other;
            Alarm();
            back = c.Form->Active();
            focused = HasFocus(*c.Form);
            c.Close();
            return true;
        });
        TPoll answer(20, [&] {
            if (!frmExitConfirm->Visible())
                return false;
            RealClick(frmExitConfirm->btnCancel);
            return true;
        });
        c.Open();
        EXPECT_TRUE(back) << "active again";
        EXPECT_TRUE(focused) << "with the keyboard";
    }
    EXPECT_TRUE(ExitFlags.empty());
}

// Nobody at the machine: a menu left open during the countdown does not hold up its end.
TEST_F(ModalWindowsTest, ACountdownRunsOutWhileAMenuIsOpen) {
    struct TCase {
        const char* Name;
        std::function<void()> Open;
    } cases[] = {
        {"tray menu", [] { frmSundown->PopupActionBarTrayIcon.Popup(600, 400); }},
        {"countdown's system menu",
         [] { SendMessageA(frmExitConfirm->Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' '); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StartWith("Warning=1\r\n");
        bool inMenu = false, rescued = false;
        TPoll check(300, [&] {
            inMenu = Application().InSystemLoop();
            return true;
        });
        TPoll rescue(8000, [&] { // a failed case still ends
            rescued = true;
            EndMenu();
            return true;
        });
        TPoll open(20, [&] {
            if (!frmExitConfirm->Visible())
                return false;
            c.Open();
            return true;
        });
        const size_t exitsBefore = ExitFlags.size();
        frmSundown->ActionLogoff.Execute();
        EXPECT_TRUE(inMenu) << "the menu was open";
        EXPECT_FALSE(rescued) << "the count ran out with the menu open";
        EXPECT_EQ(ExitFlags.size(), exitsBefore + 1) << "confirmed";
        TearDown();
        SetUp();
    }
}

// Nobody at the machine: a move left half done, of the countdown (from the keyboard, or with the
// mouse held on its title bar) or of the options window when the alarm falls due, holds neither
// the countdown nor the end of the session.
TEST_F(ModalWindowsTest, AMoveLeftHalfDoneHoldsNeitherTheCountdownNorTheEnd) {
    struct TCase {
        const char* Name;
        bool Options; // else the countdown itself is moved
        bool Mouse;
    } cases[] = {
        {"keyboard move of the countdown", false, false},
        {"mouse held on the countdown's title bar", false, true},
        {"keyboard move of the options window when the alarm falls due", true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StartWith("Hour=20\r\nMinute=0\r\nWarning=1\r\n");
        BeforeTheAlarm();
        ExitFlags.clear();
        TForm* moved = c.Options ? static_cast<TForm*>(frmOptions) : frmExitConfirm;
        bool inLoop = false, rescued = false;
        TPoll start(20, [&] {
            if (!moved->Visible())
                return false;
            StartMove(*moved, c.Mouse);
            return true;
        });
        TPoll inside(20, [&] { // the loop runs the program's timers
            if (!InMoveLoop())
                return false;
            inLoop = true;
            if (c.Options)
                Alarm();
            return true;
        });
        TPoll rescue(8000, [&] { // a failed case still ends
            rescued = true;
            PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        });
        if (c.Options)
            Command(icOptions);
        else
            Alarm();
        if (c.Mouse)
            MouseButton(MOUSEEVENTF_LEFTUP);
        Application().ProcessMessages();
        EXPECT_TRUE(inLoop) << "the move had begun";
        EXPECT_FALSE(rescued) << "the move held the end";
        EXPECT_EQ(ExitFlags.size(), 1u) << "the session ends";
        EXPECT_TRUE(Application().Terminated());
        TearDown();
        SetUp();
    }
}

TEST_F(ModalWindowsTest, TheMainWindowShownDuringAModalRunStaysDisabledAndInactive) {
    StartWith("Warning=60\r\n");
    struct TModal {
        const char* Name;
        TForm* Form;
        std::function<void()> Run, Close;
    } modals[] = {
        {"Options", frmOptions, [] { frmSundown->Options1.Click(); },
         [] { frmOptions->btnCancel.Click(); }},
        {"About", frmAbout, [] { frmSundown->About1.Click(); }, [] { frmAbout->OKBtn.Click(); }},
        {"countdown", frmExitConfirm, [] { frmSundown->ActionLogoff.Execute(); },
         [] { frmExitConfirm->btnCancel.Click(); }},
    };
    struct TShow {
        const char* Name;
        std::function<void()> Show;
    } shows[] = {
        {"command 1", [] { Command(icShow); }},
        {"tray Open", [] { frmSundown->Open1.Click(); }},
        {"double click",
         [] {
             SendMessageA(frmSundown->TrayIcon.Handle(), TJvTrayIcon::CallbackMessage,
                          TJvTrayIcon::IconId, WM_LBUTTONDBLCLK);
         }},
    };
    const HWND main = frmSundown->Handle();
    for (const TModal& m : modals)
        for (const TShow& s : shows) {
            SCOPED_TRACE(std::string(m.Name) + ", " + s.Name);
            bool shown = false, disabled = false, modalActive = false, modalFocused = false;
            TPoll during(20, [&] {
                if (!m.Form->Visible())
                    return false;
                s.Show();
                shown = frmSundown->Visible();
                disabled = !IsWindowEnabled(main);
                modalActive = m.Form->Active();
                modalFocused = HasFocus(*m.Form);
                m.Close();
                return true;
            });
            m.Run();
            EXPECT_TRUE(shown);
            EXPECT_TRUE(disabled);
            EXPECT_TRUE(modalActive);
            EXPECT_TRUE(modalFocused);
            EXPECT_TRUE(IsWindowEnabled(main)) << "enabled again once the run is over";
            frmSundown->ActionHideApplication.Execute();
        }
    EXPECT_TRUE(ExitFlags.empty());
}

TEST_F(ModalWindowsTest, NothingModalStartsInsideTheTrayMenuOrADragAndTheProgramStillEnds) {
    struct TCase {
        const char* Name;
        bool Drag; // else the tray menu is open
        std::function<void()> Event;
        // The window that must come once the loop is over, if any, and its button that must take
        // a real click (read when the case runs: the forms are made anew for each case).
        TForm* (*Comes)();
        TControl& (*Close)();
    } cases[] = {
        {"alarm in the tray menu", false, [this] { Alarm(); },
         []() -> TForm* { return frmExitConfirm; },
         []() -> TControl& { return frmExitConfirm->btnCancel; }},
        {"alarm during a drag", true, [this] { Alarm(); },
         []() -> TForm* { return frmExitConfirm; },
         []() -> TControl& { return frmExitConfirm->btnCancel; }},
        {"command 4 in the tray menu", false, [] { Command(icOptions); },
         []() -> TForm* { return frmOptions; },
         []() -> TControl& { return frmOptions->btnCancel; }},
        {"end of session in the tray menu", false,
         [] { SendMessageA(frmSundown->Handle(), WM_ENDSESSION, TRUE, 0); }, nullptr, nullptr},
        {"end of session during a drag", true,
         [] { SendMessageA(frmSundown->Handle(), WM_ENDSESSION, TRUE, 0); }, nullptr, nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StartWith("Hour=20\r\nMinute=0\r\nWarning=5\r\n");
        BeforeTheAlarm();
        TForm* comes = c.Comes ? c.Comes() : nullptr;
        bool inLoop = false, loopOver = false, came = false, usable = false;
        TPoll inside(300, [&] {
            inLoop = Application().InSystemLoop();
            c.Event();
            if (c.Drag)
                MouseButton(MOUSEEVENTF_LEFTUP);
            return true;
        });
        TPoll rescue(8000, [&] { // a failed case still ends
            EndMenu();
            MouseButton(MOUSEEVENTF_LEFTUP);
            if (comes)
                PostMessageA(comes->Handle(), WM_CLOSE, 0, 0);
            return true;
        });
        TPoll answer(20, [&] {
            if (!comes || !comes->Visible())
                return false;
            came = true;
            usable = loopOver && IsWindowEnabled(comes->Handle()) && comes->Active();
            RealClick(c.Close());
            return true;
        });
        if (c.Drag) {
            frmSundown->ActionShowApplication.Execute();
            POINT header{30, 6};
            ClientToScreen(frmSundown->pnlBackground.Handle(), &header);
            SetCursorPos(header.x, header.y);
            MouseButton(MOUSEEVENTF_LEFTDOWN);
            Application().ProcessMessages(); // the press starts the move loop
        } else {
            frmSundown->PopupActionBarTrayIcon.Popup(600, 400);
        }
        loopOver = true;
        EXPECT_TRUE(inLoop) << "the event came inside the loop";
        if (comes) {
            EXPECT_TRUE(WaitFor([&] { return came && !comes->Visible(); }, 10000));
            EXPECT_TRUE(usable) << "after the loop, enabled and in front";
            EXPECT_TRUE(ExitFlags.empty()) << "the click cancelled";
            EXPECT_FALSE(Application().Terminated());
        } else {
            EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }, 5000))
                << "the program ends";
            EXPECT_FALSE(came);
        }
        TearDown();
        SetUp();
    }
}

// The mouse held on a close box: the window system's tracking of the button runs no timer and no
// posted message until the button is released. Held on the countdown's (slid off it or not) when
// its time is up, the session still ends within a noticeable time of it; held on the options
// window's across the alarm's minute, the alarm still comes that minute.
TEST_F(ModalWindowsTest, AMouseHeldOnACloseBoxHoldsNeitherTheEndNorTheAlarm) {
    struct TCase {
        const char* Name;
        bool Options; // else the countdown's own box
        bool OnCloseBox;
    } cases[] = {
        {"countdown's close box, slid off", false, false},
        {"countdown's close box, held on it", false, true},
        {"options window's close box, across the alarm's minute", true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StartWith("Hour=20\r\nMinute=0\r\nWarning=1\r\n");
        ExitFlags.clear();
        const ULONGLONG start = GetTickCount64();
        // The clock runs on from 19:59:59; the alarm's minute is over when a failed hold ends.
        if (c.Options)
            frmSundown->Clock.SetTimeSource([start] {
                const ULONGLONG ms = GetTickCount64() - start;
                return ms < 5000 ? Later(TimeOfDay(19, 59, 59), ms) : TimeOfDay(20, 1, 0);
            });
        frmSundown->ApplyAlarm();
        TForm* held = c.Options ? static_cast<TForm*>(frmOptions) : frmExitConfirm;
        bool ended = false, countdown = false;
        TPoll hold(20, [&] {
            if (!held->Visible())
                return false;
            ended = HoldMouse(held->Handle(), c.OnCloseBox, 6000);
            return true;
        });
        TPoll answer(20, [&] { // over the options window: cancel, then close that one too
            if (!c.Options || !frmExitConfirm->Visible())
                return false;
            countdown = true;
            frmExitConfirm->btnCancel.Click();
            frmOptions->btnCancel.Click();
            return true;
        });
        TPoll giveUp(9000, [&] {
            frmOptions->btnCancel.Click();
            return true;
        });
        if (c.Options)
            Command(icOptions);
        else
            frmSundown->ActionLogoff.Execute();
        EXPECT_TRUE(ended) << "the hold held the end";
        if (c.Options)
            EXPECT_TRUE(countdown) << "the alarm came in its minute";
        else
            EXPECT_EQ(ExitFlags.size(), 1u) << "confirmed, the session ends";
        TearDown();
        SetUp();
    }
}

// A window of the program held the mouse capture when the countdown came (a scroll bar's drag in
// the About window's report): the first click on Cancel cancels.
TEST_F(ModalWindowsTest, ACaptureHeldWhenTheCountdownComesTakesNotTheClickOnCancel) {
    StartWith("Warning=60\r\n");
    struct TCase {
        const char* Name;
        HWND (*Window)();
    } cases[] = {
        {"the main window", [] { return frmSundown->Handle(); }},
        {"a button of the main window", [] { return frmSundown->btnOptions.Handle(); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        bool rescued = false;
        SetCapture(c.Window());
        TPoll click(20, [&] {
            if (!frmExitConfirm->Visible())
                return false;
            RealClick(frmExitConfirm->btnCancel);
            return true;
        });
        TPoll rescue(support::NoticeableMs, [&] {
            rescued = true;
            frmExitConfirm->btnCancel.Click();
            return true;
        });
        frmSundown->ActionLogoff.Execute();
        EXPECT_FALSE(rescued) << "the first click did not cancel";
        EXPECT_TRUE(ExitFlags.empty());
        ReleaseCapture();
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
