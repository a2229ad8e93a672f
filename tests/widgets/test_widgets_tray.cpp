// The tray icon: what it hands the shell (through its seam), its mouse handling, balloons, the
// taskbar's re-creation, and the real Shell_NotifyIconA under Wine.
#include <gtest/gtest.h>

#include <cstring>

#include "MessagePump.h"
#include "gui/Action.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "gui/ImageList.h"
#include "gui/Menu.h"
#include "gui/Timer.h"
#include "widgets/JvTrayIcon.h"
#include "TestSupport.h"

namespace {

using pump::WaitFor;

struct TCall {
    DWORD Message;
    NOTIFYICONDATAA Data;
};

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        Icons.AddIcon(LoadIconA(nullptr, IDI_APPLICATION));
        Icons.AddIcon(LoadIconA(nullptr, IDI_WARNING));
        Tray = std::make_unique<TJvTrayIcon>();
        Tray->SetShellNotifyFunction([this](DWORD message, NOTIFYICONDATAA* data) {
            Calls.push_back({message, *data});
            return ShellAnswer;
        });
        Tray->SetIcons(&Icons);
    }
    void TearDown() override {
        Tray.reset();
        Application().DestroyForms();
    }
    TImageList Icons{32, 32};
    std::unique_ptr<TJvTrayIcon> Tray;
    std::vector<TCall> Calls;
    BOOL ShellAnswer = TRUE;
};

} // namespace

TEST_F(TrayTest, ActivatingAddsTheIconWithCallbackIconAndTip) {
    EXPECT_TRUE(Calls.empty()) << "nothing reaches the shell while inactive";
    Tray->SetHint("Workstation will logoff at 20:00");
    Tray->SetActive(true);
    ASSERT_EQ(Calls.size(), 1u);
    const NOTIFYICONDATAA& d = Calls[0].Data;
    EXPECT_EQ(Calls[0].Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(d.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(d.hWnd, Tray->Handle());
    EXPECT_NE(d.hWnd, nullptr);
    EXPECT_EQ(d.uID, TJvTrayIcon::IconId);
    EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(d.uCallbackMessage, TJvTrayIcon::CallbackMessage);
    EXPECT_NE(d.hIcon, nullptr);
    EXPECT_STREQ(d.szTip, "Workstation will logoff at 20:00");
}

TEST_F(TrayTest, HintAndIconChangesModifyAndDeactivatingDeletes) {
    Tray->SetActive(true);
    Calls.clear();
    Tray->SetHint(std::string(200, 'x'));
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_TRUE(Calls[0].Data.uFlags & NIF_TIP);
    EXPECT_EQ(std::strlen(Calls[0].Data.szTip), 127u) << "cut to the shell's limit";
    const HICON first = Calls[0].Data.hIcon;
    Tray->SetIconIndex(1);
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_TRUE(Calls[1].Data.uFlags & NIF_ICON);
    EXPECT_NE(Calls[1].Data.hIcon, first);
    EXPECT_EQ(Tray->IconIndex(), 1);
    Tray->SetActive(false);
    ASSERT_EQ(Calls.size(), 3u);
    EXPECT_EQ(Calls[2].Message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(Calls[2].Data.uID, TJvTrayIcon::IconId);
    EXPECT_EQ(Calls[2].Data.hWnd, Tray->Handle());
}

TEST_F(TrayTest, LostIconIsAddedAgainWhenAModifyFails) {
    Tray->SetActive(true);
    Calls.clear();
    ShellAnswer = FALSE;
    Tray->SetHint("again");
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_EQ(Calls[0].Message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(Calls[1].Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_STREQ(Calls[1].Data.szTip, "again");
}

// An icon the list keeps from its resources reaches the shell as it is, with no copy made;
// an image the list holds only as bitmaps is copied out of it.
TEST_F(TrayTest, TheShellGetsTheListsOwnIconWithoutACopy) {
    TImageList kept{32, 32};
    ASSERT_EQ(kept.AddResourceIcon(111), 0); // the armed image of the program's resources
    Tray->SetIcons(&kept);
    Tray->SetActive(true);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Data.hIcon, kept.ResourceIcon(0));
    Tray->SetIcons(&Icons); // images given as icons of the caller's: copied out
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_NE(Calls[1].Data.hIcon, nullptr);
    EXPECT_NE(Calls[1].Data.hIcon, kept.ResourceIcon(0));
    Tray->SetActive(false);
}

TEST_F(TrayTest, TaskbarRecreationAddsTheIconAgain) {
    TForm* main = nullptr;
    Application().CreateForm(main); // the shell's broadcast reaches top-level windows only
    Tray->SetHint("Workstation will shutdown at 07:05");
    Tray->SetActive(true);
    Calls.clear();
    // What the shell broadcasts when its taskbar comes back.
    SendMessageA(main->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_STREQ(Calls[0].Data.szTip, "Workstation will shutdown at 07:05");
    EXPECT_NE(Calls[0].Data.hIcon, nullptr);
    // The broadcast itself reaches the icon, through the main form, once.
    Calls.clear();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, 2000, &result);
    WaitFor([&] { return !Calls.empty(); }, 2000);
    pump::For(100);
    ASSERT_EQ(Calls.size(), 1u) << "added once, not once for each window that heard it";
    EXPECT_EQ(Calls[0].Message, static_cast<DWORD>(NIM_ADD));
    // An inactive icon stays out.
    Tray->SetActive(false);
    Calls.clear();
    SendMessageA(main->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Calls.empty());
}

TEST_F(TrayTest, BalloonCarriesTitleTextIconAndTime) {
    Tray->BalloonHint("Warning", "ignored while inactive", btWarning, 60000);
    EXPECT_TRUE(Calls.empty());
    Tray->SetActive(true);
    Calls.clear();
    Tray->BalloonHint("Warning", "Workstation will shutdown in 60 second(s)", btWarning, 60000);
    ASSERT_EQ(Calls.size(), 1u);
    const NOTIFYICONDATAA& d = Calls[0].Data;
    EXPECT_EQ(Calls[0].Message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_TRUE(d.uFlags & NIF_INFO);
    EXPECT_STREQ(d.szInfoTitle, "Warning");
    EXPECT_STREQ(d.szInfo, "Workstation will shutdown in 60 second(s)");
    EXPECT_EQ(d.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(d.uTimeout, 60000u);
    EXPECT_TRUE(Tray->BalloonShowing());
    Tray->BalloonHint(std::string(100, 't'), std::string(400, 'x'), btInfo, 20000);
    EXPECT_EQ(std::strlen(Calls[1].Data.szInfoTitle), 63u);
    EXPECT_EQ(std::strlen(Calls[1].Data.szInfo), 255u);
    EXPECT_EQ(Calls[1].Data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
}

TEST_F(TrayTest, HideBalloonClearsItOnceAndNothingWhenNoneShows) {
    Tray->SetActive(true);
    Calls.clear();
    Tray->HideBalloon();
    EXPECT_TRUE(Calls.empty());
    Tray->BalloonHint("Warning", "text", btWarning, 60000);
    Tray->HideBalloon();
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_TRUE(Calls[1].Data.uFlags & NIF_INFO);
    EXPECT_STREQ(Calls[1].Data.szInfo, "");
    EXPECT_FALSE(Tray->BalloonShowing());
    Tray->HideBalloon();
    EXPECT_EQ(Calls.size(), 2u);
}

TEST_F(TrayTest, ShortBalloonIsTakenAwayAfterItsTimeLongOneIsLeftToTheShell) {
    Tray->SetActive(true);
    Calls.clear();
    const DWORD start = GetTickCount();
    Tray->BalloonHint("Warning", "short", btWarning, 300);
    EXPECT_TRUE(WaitFor([&] { return !Tray->BalloonShowing(); }, support::NoticeableMs));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 250u);
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_STREQ(Calls[1].Data.szInfo, "");

    Calls.clear();
    Tray->BalloonHint("Warning", "long", btWarning, 10000);
    WaitFor([] { return false; }, 500);
    EXPECT_TRUE(Tray->BalloonShowing());
    EXPECT_EQ(Calls.size(), 1u);

    // No time or a negative one: the shell's own time, no early end here.
    Calls.clear();
    Tray->BalloonHint("Warning", "zero", btWarning, 0);
    EXPECT_EQ(Calls[0].Data.uTimeout, 0u);
    Tray->BalloonHint("Warning", "huge", btWarning, 3000000000000LL);
    EXPECT_EQ(Calls[1].Data.uTimeout, 0xFFFFFFFFu) << "clamped, not wrapped";
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(Tray->BalloonShowing());
}

TEST_F(TrayTest, ShellReportingTheBalloonGoneClearsIt) {
    Tray->SetActive(true);
    Tray->BalloonHint("Warning", "text", btWarning, 60000);
    SendMessageA(Tray->Handle(), TJvTrayIcon::CallbackMessage, TJvTrayIcon::IconId,
                 NIN_BALLOONTIMEOUT);
    EXPECT_FALSE(Tray->BalloonShowing());
}

TEST_F(TrayTest, HideAndShowApplicationHandleMainFormAndTaskbarButton) {
    TForm* main = nullptr;
    Application().CreateForm(main, "TTrayMain");
    main->SetBorderStyle(bsNone);
    main->Show();
    Tray->SetVisibility(tvVisibleTaskBar | tvVisibleTaskList | tvAutoHide | tvRestoreDbClick);
    Tray->HideApplication();
    EXPECT_FALSE(IsWindowVisible(main->Handle()));
    EXPECT_FALSE(Tray->ApplicationVisible());
    Tray->ShowApplication();
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
    EXPECT_FALSE(GetWindowLongA(main->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
        << "the taskbar button shows";
    ShowWindow(main->Handle(), SW_MINIMIZE);
    Tray->ShowApplication();
    EXPECT_FALSE(IsIconic(main->Handle())) << "restored";
    EXPECT_TRUE(Tray->ApplicationVisible());
    Tray->SetVisibility(0);
    Tray->ShowApplication();
    EXPECT_TRUE(GetWindowLongA(main->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
        << "no taskbar button without tvVisibleTaskBar";
}

TEST_F(TrayTest, MinimisingTheMainFormHidesTheApplicationWithAutoHide) {
    TForm* main = nullptr;
    Application().CreateForm(main, "TTrayMain");
    Tray->SetVisibility(tvVisibleTaskBar | tvAutoHide);
    Tray->SetActive(true);
    main->Show();
    ShowWindow(main->Handle(), SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(main->Handle()));
}

TEST_F(TrayTest, DoubleClickRunsTheDefaultItemAndRestoresTheApplication) {
    TForm* main = nullptr;
    Application().CreateForm(main, "TTrayMain");
    TPopupMenu menu;
    TMenuItem open(&menu.Items()), exitItem(&menu.Items());
    open.SetCaption("Open");
    open.SetDefault(true);
    std::vector<std::string> ran;
    open.OnClick = [&](TObject*) { ran.push_back("Open"); };
    exitItem.OnClick = [&](TObject*) { ran.push_back("Exit"); };
    Tray->SetPopupMenu(&menu);
    Tray->SetVisibility(tvVisibleTaskBar | tvRestoreDbClick);
    Tray->SetActive(true);
    main->Hide();
    // A single click does nothing; a double click runs Open and shows the application.
    SendMessageA(Tray->Handle(), TJvTrayIcon::CallbackMessage, 1, WM_LBUTTONDOWN);
    SendMessageA(Tray->Handle(), TJvTrayIcon::CallbackMessage, 1, WM_LBUTTONUP);
    EXPECT_TRUE(ran.empty());
    EXPECT_FALSE(IsWindowVisible(main->Handle()));
    SendMessageA(Tray->Handle(), TJvTrayIcon::CallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(ran, std::vector<std::string>{"Open"});
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
}

TEST_F(TrayTest, RightClickOpensThePopupMenuAtThePointer) {
    TPopupMenu menu;
    TMenuItem open(&menu.Items());
    open.SetCaption("Open");
    int popups = 0;
    menu.OnPopup = [&](TObject*) { ++popups; };
    RECT menuRect{};
    TTimer timer;
    timer.SetInterval(100);
    timer.OnTimer = [&](TObject*) {
        if (HWND w = FindWindowA("#32768", nullptr)) {
            timer.SetEnabled(false);
            GetWindowRect(w, &menuRect);
            EndMenu();
        }
    };
    Tray->SetPopupMenu(&menu);
    Tray->SetActive(true);
    SetCursorPos(300, 200);
    POINT p{};
    GetCursorPos(&p);
    PostMessageA(Tray->Handle(), TJvTrayIcon::CallbackMessage, 1, WM_RBUTTONUP);
    WaitFor([&] { return menuRect.right != 0; }, 3000);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(menuRect.left, p.x);
    EXPECT_EQ(menuRect.top, p.y);
}

// The real shell call under Wine: add, change, balloon, delete.
TEST(TrayIconShell, RealNotifyIconCallsSucceed) {
    TImageList icons(32, 32);
    icons.AddIcon(LoadIconA(nullptr, IDI_APPLICATION));
    std::vector<std::pair<DWORD, BOOL>> results;
    TJvTrayIcon tray;
    tray.SetShellNotifyFunction([&](DWORD message, NOTIFYICONDATAA* data) {
        const BOOL r = Shell_NotifyIconA(message, data);
        results.emplace_back(message, r);
        return r;
    });
    tray.SetIcons(&icons);
    tray.SetHint("Sundown");
    tray.SetActive(true);
    tray.SetHint("Workstation will logoff at 20:00");
    tray.BalloonHint("Warning", "Workstation will logoff in 5 second(s)", btWarning, 5000);
    tray.HideBalloon();
    tray.SetActive(false);
    std::vector<DWORD> messages;
    for (auto& [message, result] : results) {
        messages.push_back(message);
        EXPECT_TRUE(result) << "message " << message;
    }
    EXPECT_EQ(messages,
              (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_MODIFY, NIM_DELETE}));
    // Deleting again fails: the icon really went.
    NOTIFYICONDATAA d{};
    d.cbSize = sizeof(d);
    d.hWnd = tray.Handle();
    d.uID = TJvTrayIcon::IconId;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &d));
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
