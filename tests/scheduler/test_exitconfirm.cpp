// The countdown window on real windows under the real message loop: layout, texts, the timeline,
// the keys and buttons that end it, and a second request during a countdown.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/Memo.h"
#include "scheduler/commonU.h"
#include "scheduler/frmExitConfimU.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Sentence(const std::string& word, int seconds) {
    return "Windows will automatically " + word + " in " + std::to_string(seconds) +
           " second(s), to continue working please click cancel.";
}

RECT RectIn(HWND window, HWND parent) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool IsAbove(HWND upper, HWND lower) {
    for (HWND h = GetWindow(lower, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
        if (h == upper)
            return true;
    return false;
}

// A key through the system's input queue, as the keyboard would send it.
void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(in));
}
void Press(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}

// A left click in the middle of a control, through its window messages.
void Click(const TControl& control) {
    const LPARAM at = MAKELPARAM(control.Width() / 2, control.Height() / 2);
    PostMessageA(control.Handle(), WM_MOUSEMOVE, 0, at);
    PostMessageA(control.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control.Handle(), WM_LBUTTONUP, 0, at);
}

class ExitConfirmTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().CreateForm(Main, "TTestMainForm");
        Application().CreateForm(frmExitConfirm);
        Form = frmExitConfirm;
        CountdownTick = Form->TimerConfirm.OnTimer;
    }
    void TearDown() override {
        EXPECT_TRUE(Boxes.empty()) << "error box: " << Boxes.First();
        Application().DestroyForms();
        frmExitConfirm = nullptr;
        Application().ProcessMessages();
    }

    // Makes the countdown tick every interval ms through the modal loop; probe runs after each
    // tick of the window's own handler with the tick's number (1 first).
    void FastTicks(unsigned interval, std::function<void(int)> probe) {
        Form->TimerConfirm.SetInterval(interval);
        Form->TimerConfirm.OnTimer = [this, probe](TObject* sender) {
            ++Ticks;
            CountdownTick(sender);
            if (probe)
                probe(Ticks);
        };
    }
    // Runs f once, ms after the modal run has started.
    void Later(unsigned ms, std::function<void()> f) {
        Helper.SetEnabled(false);
        Helper.SetInterval(ms);
        Helper.OnTimer = [this, f](TObject*) {
            Helper.SetEnabled(false);
            f();
        };
        Helper.SetEnabled(true);
    }
    // Ends a run that the test's action did not end, so a failing test cannot hang.
    void Guard(unsigned ms) {
        Watchdog.SetEnabled(false);
        Watchdog.SetInterval(ms);
        Watchdog.OnTimer = [this](TObject*) {
            Watchdog.SetEnabled(false);
            TimedOut = true;
            Form->SetModalResult(mrAbort);
        };
        Watchdog.SetEnabled(true);
    }
    std::string MemoLine(int i) const { return Form->memoAlert.Lines()[i]; }

    TForm* Main = nullptr;
    TfrmExitConfirm* Form = nullptr;
    TNotifyEvent CountdownTick;
    TTimer Helper;
    TTimer Watchdog;
    int Ticks = 0;
    bool TimedOut = false;
    support::TBoxRecorder Boxes;
};

} // namespace

TEST_F(ExitConfirmTest, LayoutCaptionsAndStyles) {
    HWND form = Form->Handle();
    char name[64] = {};
    GetClassNameA(form, name, sizeof(name));
    EXPECT_STREQ(name, "TfrmExitConfirm");
    EXPECT_EQ(Form->Caption(), "Exit Windows Confim");
    EXPECT_EQ(Form->ClientWidth(), 404);
    EXPECT_EQ(Form->ClientHeight(), 178);
    const LONG style = GetWindowLongA(form, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(form, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU) << "close box";
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST) << "stays above normal windows";
    EXPECT_EQ(Form->FormStyle(), fsStayOnTop);
    EXPECT_EQ(Form->Position(), poDesktopCenter);
    EXPECT_EQ(Form->Font().Name(), "Tahoma");
    EXPECT_EQ(Form->Font().Height(), -11);
    EXPECT_EQ(Form->Color(), clBtnFace);

    const RECT buttons = RectIn(Form->pnlButtons.Handle(), form);
    EXPECT_EQ(buttons.left, 0);
    EXPECT_EQ(buttons.top, 178 - 41);
    EXPECT_EQ(buttons.right, 404);
    EXPECT_EQ(buttons.bottom, 178);
    EXPECT_EQ(Form->pnlButtons.BevelOuter(), bvNone);

    EXPECT_EQ(Form->btnCancel.Left(), 323);
    EXPECT_EQ(Form->btnCancel.Top(), 8);
    EXPECT_EQ(Form->btnCancel.Width(), 73);
    EXPECT_EQ(Form->btnCancel.Height(), 21);
    EXPECT_EQ(Form->btnCancel.Caption(), "Cancel");
    EXPECT_EQ(Form->btnCancel.ModalResult(), mrCancel);
    EXPECT_EQ(Form->btnOk.Left(), 243);
    EXPECT_EQ(Form->btnOk.Top(), 8);
    EXPECT_EQ(Form->btnOk.Width(), 73);
    EXPECT_EQ(Form->btnOk.Height(), 21);
    EXPECT_EQ(Form->btnOk.Caption(), "Ok");
    EXPECT_EQ(Form->btnOk.ModalResult(), mrOk);
    for (const TCustomButton* b : {&Form->btnCancel, &Form->btnOk}) {
        EXPECT_FALSE(b->Default()) << "Enter presses only the focused button";
        EXPECT_FALSE(b->Cancel()) << "Esc presses no button";
    }

    const RECT main = RectIn(Form->pnlMain.Handle(), form);
    EXPECT_EQ(main.left, 0);
    EXPECT_EQ(main.top, 0);
    EXPECT_EQ(main.right, 404);
    EXPECT_EQ(main.bottom, 178 - 41);
    EXPECT_EQ(Form->pnlMain.BorderWidth(), 5);
    EXPECT_EQ(Form->pnlMain.BevelOuter(), bvNone);

    EXPECT_EQ(Form->imgShutdown.Left(), 5);
    EXPECT_EQ(Form->imgShutdown.Top(), 5);
    EXPECT_EQ(Form->imgShutdown.Width(), 68);
    EXPECT_EQ(Form->imgShutdown.Height(), 127);
    EXPECT_EQ(Form->memoAlert.Left(), 73);
    EXPECT_EQ(Form->memoAlert.Top(), 5);
    EXPECT_EQ(Form->memoAlert.Width(), 326);
    EXPECT_EQ(Form->memoAlert.Height(), 127);

    EXPECT_FALSE(Form->TimerConfirm.Enabled());
    EXPECT_EQ(Form->TimerConfirm.Interval(), 1000u);
    EXPECT_FALSE(Form->Visible()) << "hidden until Execute";
}

TEST_F(ExitConfirmTest, MemoIsACentredReadOnlyWrappingTextWithATileFrame) {
    const TMemo& memo = Form->memoAlert;
    const LONG style = GetWindowLongA(memo.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_CENTER);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_FALSE(style & ES_AUTOHSCROLL) << "lines wrap at the memo's width";
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_FALSE(GetWindowLongA(memo.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(memo.Alignment(), taCenter);
    EXPECT_EQ(memo.BorderStyle(), bsNone);
    EXPECT_EQ(memo.BevelKind(), bkTile);
    EXPECT_TRUE(memo.ReadOnly());
    EXPECT_TRUE(memo.WordWrap());
    EXPECT_EQ(memo.Color(), clBtnFace);
    EXPECT_FALSE(memo.ParentFont());
    EXPECT_EQ(memo.Font().Name(), "Tahoma");
    EXPECT_EQ(memo.Font().Height(), -15);
    // The tile frame: two pixels on every side, outside the text.
    EXPECT_EQ(memo.Width() - memo.ClientWidth(), 4);
    EXPECT_EQ(memo.Height() - memo.ClientHeight(), 4);
}

TEST_F(ExitConfirmTest, PictureIsThe48PixelBitmapWithMagentaDrawnTransparent) {
    const TImage& img = Form->imgShutdown;
    ASSERT_NE(img.Bitmap(), nullptr) << "picture resource linked";
    EXPECT_EQ(img.PictureWidth(), 48);
    EXPECT_EQ(img.PictureHeight(), 48);
    BITMAP info{};
    ASSERT_TRUE(GetObjectA(img.Bitmap(), sizeof(info), &info));
    EXPECT_EQ(info.bmBitsPixel, 24);
    EXPECT_TRUE(img.Center());
    EXPECT_TRUE(img.Transparent());
    EXPECT_EQ(img.Align(), alLeft);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, img.Bitmap());
    EXPECT_EQ(GetPixel(dc, 0, 47), RGB(255, 0, 255)) << "bottom-left: the transparent colour";
    const COLORREF centre = GetPixel(dc, 24, 37);
    EXPECT_GT(GetRValue(centre), 180) << "white ring of the power symbol";
    EXPECT_GT(GetGValue(centre), 180);
    EXPECT_GT(GetBValue(centre), 180);
    const COLORREF tile = GetPixel(dc, 8, 24);
    EXPECT_GT(GetRValue(tile), 150) << "red tile";
    EXPECT_LT(GetGValue(tile), 80);
    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST_F(ExitConfirmTest, TextNamesEachActionAndTheStartingSeconds) {
    struct TCase {
        int ExitType;
        int Seconds;
        std::string Word;
    };
    for (const TCase& c :
         {TCase{0, 60, "logoff"}, TCase{1, 30, "restart"}, TCase{2, 60, "shutdown"},
          TCase{3, 60, ""}, TCase{1, 0, "restart"}, TCase{1, -5, "restart"}}) {
        Later(30, [this] { Form->btnCancel.Click(); });
        Guard(3000);
        EXPECT_EQ(Form->Execute(static_cast<uint8_t>(c.ExitType), c.Seconds), mrCancel);
        ASSERT_EQ(Form->memoAlert.Lines().Count(), 3) << c.ExitType;
        EXPECT_EQ(MemoLine(0), "WARNING");
        EXPECT_EQ(MemoLine(1), "");
        EXPECT_EQ(MemoLine(2), Sentence(c.Word, c.Seconds));
        if (c.Word.empty()) {
            EXPECT_NE(MemoLine(2).find("automatically  in 60"), std::string::npos) << "two blanks";
        }
    }
    EXPECT_EQ(MemoLine(2), "Windows will automatically restart in -5 second(s), to continue "
                           "working please click cancel.");
    EXPECT_FALSE(TimedOut);
}

TEST_F(ExitConfirmTest, SixtySecondsCountDownFrom59To0ThenConfirmOnTick61) {
    std::vector<std::string> captions;
    std::string before;
    bool alwaysTopmost = true;
    Later(1, [&] { before = Form->btnOk.Caption(); });
    FastTicks(5, [&](int) {
        captions.push_back(Form->btnOk.Caption());
        alwaysTopmost &= (GetWindowLongA(Form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    });
    Guard(20000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrOk);
    EXPECT_FALSE(TimedOut);
    EXPECT_EQ(before, "Ok") << "the caption before the first tick";
    ASSERT_EQ(Ticks, 61);
    for (int k = 1; k <= 60; ++k)
        EXPECT_EQ(captions[static_cast<size_t>(k - 1)], "Ok (" + std::to_string(60 - k) + ")");
    EXPECT_EQ(captions[60], "Ok (0)") << "the last tick only confirms";
    EXPECT_EQ(MemoLine(2), Sentence("shutdown", 60)) << "the text keeps the starting number";
    EXPECT_TRUE(alwaysTopmost);
    EXPECT_FALSE(Form->Visible());
    EXPECT_FALSE(Form->TimerConfirm.Enabled());
}

TEST_F(ExitConfirmTest, OneSecondShowsZeroThenConfirmsOnTheSecondTick) {
    std::vector<std::string> captions;
    FastTicks(5, [&](int) { captions.push_back(Form->btnOk.Caption()); });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etLogoff, 1), mrOk);
    EXPECT_EQ(captions, (std::vector<std::string>{"Ok (0)", "Ok (0)"}));
}

TEST_F(ExitConfirmTest, ZeroAndNegativeSecondsConfirmOnTheFirstTickWithCaptionOk) {
    for (int seconds : {0, -5, INT32_MIN}) {
        Ticks = 0;
        std::vector<std::string> captions;
        FastTicks(5, [&](int) { captions.push_back(Form->btnOk.Caption()); });
        Guard(5000);
        EXPECT_EQ(Form->Execute(etRestart, seconds), mrOk) << seconds;
        EXPECT_EQ(Ticks, 1) << seconds;
        EXPECT_EQ(captions, std::vector<std::string>{"Ok"}) << seconds;
        EXPECT_EQ(MemoLine(2), Sentence("restart", seconds));
    }
}

TEST_F(ExitConfirmTest, RealTimerConfirmsOneSecondAfterAboutTwoSeconds) {
    std::vector<double> tickTimes;
    const auto start = Clock::now();
    Form->TimerConfirm.OnTimer = [&](TObject* sender) {
        tickTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        CountdownTick(sender);
    };
    Guard(8000);
    EXPECT_EQ(Form->Execute(etLogoff, 1), mrOk);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_FALSE(TimedOut);
    // The second tick confirms, or the clock does at the first message after its time. A busy
    // machine may make it late, never early; late by seconds a user would notice.
    const double noticeable = support::NoticeableMs / 1000.0;
    ASSERT_GE(tickTimes.size(), 1u);
    ASSERT_LE(tickTimes.size(), 2u);
    EXPECT_GT(tickTimes[0], 0.8);
    EXPECT_GT(elapsed, 1.8) << "the confirmation, not before its time";
    // Hiding may wait for the window manager (up to 2 s under Wine without one).
    EXPECT_LT(elapsed, 2.0 + noticeable + 2.0);
    EXPECT_EQ(Form->btnOk.Caption(), "Ok (0)");
}

TEST_F(ExitConfirmTest, OkButtonConfirmsAtOnce) {
    Later(50, [this] { Click(Form->btnOk); });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrOk);
    EXPECT_FALSE(TimedOut);
    EXPECT_FALSE(Form->TimerConfirm.Enabled());
}

TEST_F(ExitConfirmTest, CancelStopsTheTimerAndTheNextExecuteStartsAfresh) {
    FastTicks(20, [this](int tick) {
        if (tick == 3)
            Click(Form->btnCancel);
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrCancel);
    EXPECT_FALSE(TimedOut);
    EXPECT_FALSE(Form->TimerConfirm.Enabled());
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Form->btnOk.Caption(), "Ok (57)");
    const int ticksThen = Ticks;
    pump::For(125);
    EXPECT_EQ(Ticks, ticksThen) << "no tick after the window closed";

    Ticks = 0;
    std::vector<std::string> captions;
    std::string before;
    Later(1, [&] { before = Form->btnOk.Caption(); });
    FastTicks(5, [&](int) { captions.push_back(Form->btnOk.Caption()); });
    EXPECT_EQ(Form->Execute(etLogoff, 2), mrOk);
    EXPECT_EQ(before, "Ok");
    EXPECT_EQ(captions, (std::vector<std::string>{"Ok (1)", "Ok (0)", "Ok (0)"}));
    EXPECT_EQ(MemoLine(2), Sentence("logoff", 2));
}

TEST_F(ExitConfirmTest, CloseBoxGivesCancel) {
    Later(50, [this] { PostMessageA(Form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrCancel);
    EXPECT_FALSE(TimedOut);
}

TEST_F(ExitConfirmTest, AltF4GivesCancel) {
    HWND focus = nullptr;
    Later(100, [&] {
        focus = GetFocus();
        Key(VK_MENU, false);
        Press(VK_F4);
        Key(VK_MENU, true);
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrCancel);
    EXPECT_FALSE(TimedOut) << "Alt+F4 did not close the window";
    EXPECT_EQ(focus, Form->btnCancel.Handle());
}

TEST_F(ExitConfirmTest, EscClosesNothingEvenOnTheMemo) {
    int step = 0;
    bool stillShown = false;
    bool panelAlive = false;
    FastTicks(100, [&](int) {
        switch (step++) {
        case 0:
            Press(VK_ESCAPE); // on Cancel, which has the focus
            break;
        case 1:
            Form->memoAlert.SetFocus();
            Press(VK_ESCAPE);
            break;
        case 2:
            stillShown = Form->Visible() && Form->ModalResult() == mrNone;
            panelAlive = IsWindow(Form->pnlMain.Handle()) && IsWindow(Form->memoAlert.Handle());
            Form->SetModalResult(mrAbort);
            break;
        default:
            break;
        }
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrAbort);
    EXPECT_TRUE(stillShown);
    EXPECT_TRUE(panelAlive);
}

TEST_F(ExitConfirmTest, EnterRightAfterShowingPressesTheFocusedCancel) {
    HWND focus = nullptr;
    Later(50, [&] {
        focus = GetFocus();
        Press(VK_RETURN);
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrCancel);
    EXPECT_FALSE(TimedOut);
    EXPECT_EQ(focus, Form->btnCancel.Handle());
}

TEST_F(ExitConfirmTest, EnterPressesCancelEvenWhenOkHadTheFocusLastTime) {
    // The first run ends with the focus on Ok (moved there with Tab, then pressed with Enter).
    FastTicks(100, [](int tick) {
        if (tick == 1)
            Press(VK_TAB);
        else if (tick == 2)
            Press(VK_RETURN);
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrOk) << "Enter on the focused Ok";
    HWND focus = nullptr;
    Later(50, [&] {
        focus = GetFocus();
        Press(VK_RETURN);
    });
    FastTicks(1000, nullptr);
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrCancel);
    EXPECT_EQ(focus, Form->btnCancel.Handle());
}

TEST_F(ExitConfirmTest, TabOrderIsCancelOkMemo) {
    EXPECT_EQ(GetNextDlgTabItem(Form->Handle(), nullptr, FALSE), Form->btnCancel.Handle());
    EXPECT_EQ(GetNextDlgTabItem(Form->Handle(), Form->btnCancel.Handle(), FALSE),
              Form->btnOk.Handle());
    EXPECT_EQ(GetNextDlgTabItem(Form->Handle(), Form->btnOk.Handle(), FALSE),
              Form->memoAlert.Handle());
    EXPECT_EQ(GetNextDlgTabItem(Form->Handle(), Form->memoAlert.Handle(), FALSE),
              Form->btnCancel.Handle());

    std::vector<HWND> focus;
    FastTicks(80, [&](int tick) {
        focus.push_back(GetFocus());
        if (tick < 4)
            Press(VK_TAB);
        else
            Form->SetModalResult(mrAbort);
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrAbort);
    const std::vector<HWND> expected{Form->btnCancel.Handle(), Form->btnOk.Handle(),
                                     Form->memoAlert.Handle(), Form->btnCancel.Handle()};
    EXPECT_EQ(focus, expected);
}

TEST_F(ExitConfirmTest, CentredOnTheDesktopAndEachTickBringsItToTheFront) {
    TForm cover("TTestCover");
    cover.SetBorderStyle(bsDialog);
    cover.SetClientSize(500, 300);
    RECT shown{};
    bool coverAbove = false, formAboveAfterTick = false;
    FastTicks(100, [&](int tick) {
        if (tick == 1) {
            GetWindowRect(Form->Handle(), &shown);
            SetWindowPos(cover.Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            coverAbove = IsAbove(cover.Handle(), Form->Handle());
        } else if (tick == 2) {
            formAboveAfterTick = IsAbove(Form->Handle(), cover.Handle());
            Form->SetModalResult(mrAbort);
        }
    });
    Guard(5000);
    Form->Execute(etShutdown, 60);
    cover.Hide();
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((shown.left + shown.right) / 2, sw / 2, 1);
    EXPECT_NEAR((shown.top + shown.bottom) / 2, sh / 2, 1);
    ASSERT_TRUE(coverAbove) << "the cover must start above the countdown";
    EXPECT_TRUE(formAboveAfterTick);
}

// No timer message gets through a flood of posted messages: the count follows the clock all the
// same, and the window confirms once its time is up, not before.
TEST_F(ExitConfirmTest, AFloodOfMessagesHoldsNeitherTheCountNorTheConfirmation) {
    struct TCase {
        int Seconds;
        std::vector<std::string> Captions;
    } cases[] = {{0, {}}, {2, {"Ok (1)", "Ok (0)"}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Seconds);
        Ticks = 0;
        FastTicks(1000, nullptr);
        std::vector<std::string> captions;
        pump::TFlood flood;
        const ULONGLONG start = GetTickCount64();
        const ULONGLONG length = static_cast<ULONGLONG>(c.Seconds + 1) * 1000;
        // The flood is its own guard: the test's timers cannot get through it either.
        const ULONGLONG giveUp = start + length + 8000;
        // The window showed before the first message of its run: its time is up by then + length.
        ULONGLONG first = 0;
        int late = 0;
        flood.OnMessage = [&] {
            const ULONGLONG now = GetTickCount64();
            if (!first)
                first = now;
            else if (now >= first + length)
                ++late;
            if (Form->btnOk.Caption() != "Ok" &&
                (captions.empty() || captions.back() != Form->btnOk.Caption()))
                captions.push_back(Form->btnOk.Caption());
            if (GetTickCount64() > giveUp) {
                TimedOut = true;
                Form->SetModalResult(mrAbort);
            }
        };
        flood.Start();
        EXPECT_EQ(Form->Execute(etLogoff, c.Seconds), mrOk);
        const ULONGLONG took = GetTickCount64() - start;
        flood.Stop();
        Application().ProcessMessages();
        EXPECT_FALSE(TimedOut);
        EXPECT_EQ(Ticks, 0) << "the flood kept the timer's messages away";
        EXPECT_GE(took, length) << "not before its time";
        EXPECT_LE(late, 1) << "closed at the first message after its time";
        EXPECT_EQ(captions, c.Captions);
    }
}

// A sleep of the machine while the count runs, played through the window's clock: the clock
// stands still and this thread is stopped for the sleep's length. After the resume the count goes
// on from the seconds it had left (the tick that waited through the sleep takes its one second),
// and the confirmation comes after the count awake.
TEST_F(ExitConfirmTest, ASleepDoesNotSpendTheCount) {
    struct TCase {
        int Seconds;
        int SleepAfterTick;
        DWORD SleepMs;
        std::vector<std::string> Captions;
    } cases[] = {
        {4, 1, 4000, {"Ok (3)", "Ok (2)", "Ok (1)", "Ok (0)"}},
        {2, 1, 3000, {"Ok (1)", "Ok (0)"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Seconds);
        std::atomic<ULONGLONG> asleepAt{0}, slept{0};
        Form->AwakeClock = [&] {
            const ULONGLONG at = asleepAt;
            return at ? at : AwakeMilliseconds() - slept;
        };
        std::vector<std::string> captions;
        int ticks = 0;
        Form->TimerConfirm.OnTimer = [&](TObject* sender) {
            CountdownTick(sender);
            captions.push_back(Form->btnOk.Caption());
            if (++ticks != c.SleepAfterTick)
                return;
            asleepAt = Form->AwakeClock();
            const ULONGLONG before = AwakeMilliseconds();
            Sleep(c.SleepMs);
            slept += AwakeMilliseconds() - before;
            asleepAt = 0;
        };
        Guard(static_cast<unsigned>(c.Seconds + 1) * 1000 + c.SleepMs + 8000);
        const ULONGLONG start = Form->AwakeClock();
        EXPECT_EQ(Form->Execute(etShutdown, c.Seconds), mrOk);
        const ULONGLONG awake = Form->AwakeClock() - start;
        EXPECT_FALSE(TimedOut);
        // The last tick only confirms.
        captions.pop_back();
        EXPECT_EQ(captions, c.Captions);
        // N + 1 seconds less the tick that waited, which may come a clock step early.
        EXPECT_GE(awake, static_cast<ULONGLONG>(c.Seconds) * 1000 - 500) << "confirmed too soon";
    }
}

TEST_F(ExitConfirmTest, TerminatingTheApplicationGivesCancel) {
    FastTicks(20, [](int tick) {
        if (tick == 2)
            Application().Terminate();
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrCancel);
    EXPECT_TRUE(pump::WaitFor([] { return Application().Terminated(); }));
    EXPECT_FALSE(Form->TimerConfirm.Enabled());
    EXPECT_FALSE(TimedOut);
}

TEST_F(ExitConfirmTest, SecondExecuteDuringACountdownLeavesItAloneAndStartsNothing) {
    int secondResult = -1;
    double secondTook = -1;
    int ticksAfterSecond = -1;
    std::string captionBefore, captionAfter, textAfter;
    bool timerAfter = false;
    int visibleTicks = 0;
    FastTicks(20, [&](int tick) {
        if (Form->Visible())
            ++visibleTicks;
        if (tick == 2) {
            captionBefore = Form->btnOk.Caption();
            const auto start = Clock::now();
            secondResult = Form->Execute(etLogoff, 99);
            secondTook = std::chrono::duration<double>(Clock::now() - start).count();
            ticksAfterSecond = Ticks;
            captionAfter = Form->btnOk.Caption();
            textAfter = MemoLine(2);
            timerAfter = Form->TimerConfirm.Enabled();
        }
    });
    Guard(5000);
    EXPECT_EQ(Form->Execute(etShutdown, 5), mrOk) << "the running countdown keeps its result";
    EXPECT_EQ(secondResult, mrCancel);
    EXPECT_GE(secondTook, 0.0);
    EXPECT_EQ(ticksAfterSecond, 2) << "the second request runs no loop of its own";
    EXPECT_LT(secondTook, support::NoticeableMs / 1000.0) << "the second request returns at once";
    EXPECT_EQ(captionBefore, "Ok (3)");
    EXPECT_EQ(captionAfter, "Ok (3)");
    EXPECT_EQ(textAfter, Sentence("shutdown", 5));
    EXPECT_TRUE(timerAfter);
    EXPECT_EQ(Ticks, 6) << "count undisturbed: 5 steps and the confirming tick";
    EXPECT_EQ(visibleTicks, 6);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(ExitConfirmTest, ExecuteOfAFormShownOutsideACountdownStartsNothing) {
    Form->memoAlert.Lines().Add("as it was");
    Form->Show();
    const bool timer = Form->TimerConfirm.Enabled();
    EXPECT_EQ(Form->Execute(etShutdown, 60), mrCancel);
    EXPECT_EQ(Form->TimerConfirm.Enabled(), timer);
    EXPECT_EQ(Form->memoAlert.Text(), "as it was\r\n");
    EXPECT_EQ(Form->btnOk.Caption(), "Ok");
    EXPECT_TRUE(Form->Visible());
    Form->TimerConfirm.SetEnabled(false);
    Form->Hide();
}

// The memo's lines as the window sees them.
TEST_F(ExitConfirmTest, MemoLinesAddClearAndText) {
    TMemo& memo = Form->memoAlert;
    memo.Lines().Clear();
    EXPECT_EQ(memo.Lines().Count(), 0);
    EXPECT_EQ(memo.Text(), "");
    memo.Lines().Add("");
    EXPECT_EQ(memo.Lines().Count(), 1) << "an empty line counts";
    memo.Lines().Add("b");
    EXPECT_EQ(memo.Text(), "\r\nb\r\n");
    EXPECT_EQ(memo.Lines().Count(), 2);
    EXPECT_EQ(memo.Lines()[1], "b");
    EXPECT_EQ(memo.Lines()[2], "") << "outside the lines";
    EXPECT_EQ(memo.Lines()[-1], "");
    memo.SetText("typed\r\nwithout end");
    memo.Lines().Add("c");
    EXPECT_EQ(memo.Lines().Count(), 3);
    EXPECT_EQ(memo.Lines().Text(), "typed\r\nwithout end\r\nc\r\n");
    EXPECT_EQ(SendMessageA(memo.Handle(), EM_GETLINECOUNT, 0, 0), 4) << "three and an empty end";
}

TEST_F(ExitConfirmTest, MemoWrapsTheLongSentence) {
    Later(30, [this] { Form->btnCancel.Click(); });
    Guard(3000);
    Form->Execute(etShutdown, 60);
    // WARNING, the empty line, the sentence on two or more rows, the empty end.
    EXPECT_GE(SendMessageA(Form->memoAlert.Handle(), EM_GETLINECOUNT, 0, 0), 5);
}

TEST_F(ExitConfirmTest, MemoKeepsTextPlaceAndFocusWhenItsWindowIsMadeAnew) {
    TMemo& memo = Form->memoAlert;
    memo.Lines().Add("kept");
    HWND old = memo.Handle();
    const RECT before = RectIn(old, Form->pnlMain.Handle());
    memo.SetWordWrap(false);
    EXPECT_NE(memo.Handle(), old);
    EXPECT_TRUE(GetWindowLongA(memo.Handle(), GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_TRUE(GetWindowLongA(memo.Handle(), GWL_STYLE) & ES_CENTER);
    EXPECT_TRUE(GetWindowLongA(memo.Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(memo.Lines()[0], "kept");
    const RECT after = RectIn(memo.Handle(), Form->pnlMain.Handle());
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(memo.Width() - memo.ClientWidth(), 4) << "frame kept";
    EXPECT_EQ(GetNextDlgTabItem(Form->Handle(), Form->btnOk.Handle(), FALSE), memo.Handle())
        << "Tab order kept";
    EXPECT_EQ(TControl::FromHandle(memo.Handle()), &memo);
    memo.SetAlignment(taLeftJustify);
    EXPECT_FALSE(GetWindowLongA(memo.Handle(), GWL_STYLE) & (ES_CENTER | ES_RIGHT));
    EXPECT_EQ(memo.Lines()[0], "kept");
}
