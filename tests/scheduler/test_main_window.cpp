// The main window on real windows under Wine: first activation, hiding and closing, the
// hand-over commands, the session's end, the tray menu, placement and dragging.
#include "MainWindowFixture.h"
#include "update/OrbAutoUpdate.h"

using fixture::KeyOrder;
using fixture::KeysOfSection;
using fixture::MainWindowTest;
using fixture::WaitFor;

namespace {

std::vector<std::string> RegisteredKeys(TProgramSettings& settings) {
    std::vector<std::string> keys;
    for (int i = 0; i < settings.Count(); ++i)
        keys.push_back(settings.GetItem(i).KeyName());
    return keys;
}

struct TMenuEntry {
    std::string Caption;
    UINT Type;
    UINT State;
    HMENU SubMenu;
};

std::vector<TMenuEntry> MenuEntries(HMENU menu) {
    std::vector<TMenuEntry> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = sizeof(text);
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii);
        out.push_back({text, mii.fType, mii.fState, mii.hSubMenu});
    }
    return out;
}

// The colour bits of a 32x32 icon: what tells one image from another.
std::vector<DWORD> IconBits(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {};
    const GdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> bits(32 * 32);
    const MemoryDC dc(CreateCompatibleDC(nullptr));
    if (!GetDIBits(dc.get(), color ? color.get() : mask.get(), 0, 32, bits.data(), &bi,
                   DIB_RGB_COLORS))
        return {};
    return bits;
}

} // namespace

// The countdown and options windows have a dialog frame, whose title bar holds the close box
// only; a plain frame shows the program's icon there.
TEST_F(MainWindowTest, DialogFramesShowNoIconInTheirTitleBar) {
    TForm* plain = nullptr;
    Application().CreateForm(plain, "TSundownPlainFrame");
    plain->SetBorderStyle(bsSingle);
    const struct {
        const char* Name;
        TForm* Form;
        bool Icon;
    } rows[] = {{"countdown", frmExitConfirm, false},
                {"options", frmOptions, false},
                {"plain frame", plain, true}};
    for (const auto& row : rows) {
        HWND h = row.Form->Handle();
        const std::string caption = row.Form->Caption();
        SetWindowTextA(h, ""); // nothing but the icon, if any, stands at the caption's left
        ShowWindow(h, SW_SHOWNA);
        Application().ProcessMessages();
        RECT window{};
        GetWindowRect(h, &window);
        POINT client{0, 0};
        ClientToScreen(h, &client);
        const int border = client.x - window.left;
        const int y = (client.y - window.top + border) / 2; // the caption's middle line
        HDC dc = GetWindowDC(h);
        const COLORREF background = GetPixel(dc, border + 80, y);
        int differing = 0;
        for (int x = border; x < border + GetSystemMetrics(SM_CXSMICON) + 4; ++x)
            for (int dy = -6; dy <= 6; ++dy) {
                const COLORREF c = GetPixel(dc, x, y + dy);
                differing += abs(GetRValue(c) - GetRValue(background)) +
                                 abs(GetGValue(c) - GetGValue(background)) +
                                 abs(GetBValue(c) - GetBValue(background)) >
                             60;
            }
        ReleaseDC(h, dc);
        ShowWindow(h, SW_HIDE);
        SetWindowTextA(h, caption.c_str());
        if (row.Icon)
            EXPECT_GT(differing, 20) << row.Name;
        else
            EXPECT_EQ(differing, 0) << row.Name;
    }
}

TEST_F(MainWindowTest, CreatedHiddenPlacedWithSettingsObjectButNoKeys) {
    char name[32] = {};
    GetClassNameA(frmSundown->Handle(), name, sizeof(name));
    EXPECT_STREQ(name, "TfrmSundown");
    EXPECT_EQ(Application().MainForm(), frmSundown) << "the first window is the main window";
    EXPECT_EQ(frmSundown->Caption(), "Sundown");
    EXPECT_EQ(frmSundown->ClientWidth(), 491);
    EXPECT_EQ(frmSundown->ClientHeight(), 271);
    EXPECT_FALSE(frmSundown->Visible());
    EXPECT_FALSE(frmSundown->TrayIcon.Active());
    EXPECT_TRUE(ShellCalls.empty());
    ASSERT_NE(frmSundown->Settings(), nullptr);
    EXPECT_EQ(frmSundown->Settings()->Count(), 0) << "keys come at the first activation";
    EXPECT_EQ(frmSundown->Settings()->SettingsStore(), ssINIFile);
    EXPECT_FALSE(frmSundown->Clock.AlarmEnabled());
    // The settings folder named after the title exists from the start.
    EXPECT_NE(AppDataFolder.find(Application().Title()), std::string::npos);
    EXPECT_TRUE(scratch::FileExists(AppDataFolder));
}

TEST_F(MainWindowTest, DefaultSettingsFileLiesInTheApplicationDataFolder) {
    // The fixture moved this window's file; a fresh settings object of a new window shows where
    // the program keeps it.
    TfrmSundown other;
    other.FormCreate(&other);
    EXPECT_EQ(other.Settings()->INIFileName(), AppDataFolder + "settings.ini");
    other.FormDestroy(&other);
    EXPECT_EQ(other.Settings(), nullptr) << "freed when the window is destroyed";
}

// The main window registers the program's keys as the one routine does: names, types, defaults.
TEST_F(MainWindowTest, RegistersTheProgramsKeys) {
    Start();
    TProgramSettings expected;
    RegisterProgramKeys(expected, GetDefaultApplicationName(), DefaultUpdateURL);
    TProgramSettings& actual = *frmSundown->Settings();
    ASSERT_EQ(actual.Count(), expected.Count());
    for (int i = 0; i < expected.Count(); ++i) {
        const TSettingItem& e = expected.GetItem(i);
        SCOPED_TRACE(e.KeyName());
        EXPECT_EQ(actual.GetItem(i).KeyName(), e.KeyName());
        EXPECT_EQ(actual.GetItem(i).ValueType(), e.ValueType());
        EXPECT_EQ(actual.GetItem(i).DefaultValue(), e.DefaultValue());
    }
}

TEST_F(MainWindowTest, FirstActivationTurnsTheTrayOnLoadsArmsAndHides) {
    WriteIni("[Settings]\r\nHour=7\r\nMinute=5\r\nExitWindowsType=2\r\n");
    Start();
    EXPECT_TRUE(frmSundown->TrayIcon.Active());
    ASSERT_FALSE(ShellCalls.empty());
    EXPECT_EQ(ShellCalls[0].Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(RegisteredKeys(*frmSundown->Settings()), KeyOrder());
    EXPECT_FALSE(frmSundown->Visible()) << "hidden to the tray";
    EXPECT_TRUE(frmSundown->Clock.AlarmEnabled());
    EXPECT_EQ(frmSundown->Clock.AlarmHour(), 7);
    EXPECT_EQ(frmSundown->Clock.AlarmMinute(), 5);
    EXPECT_EQ(frmSundown->TrayIcon.Hint(), "Workstation will shutdown at 07:05");
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 0);
    EXPECT_STREQ(ShellCalls.back().Data.szTip, "Workstation will shutdown at 07:05");
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(ReadIni(), "[Settings]\r\nHour=7\r\nMinute=5\r\nExitWindowsType=2\r\n")
        << "loading writes nothing";

    // Later activations do nothing more.
    const size_t calls = ShellCalls.size();
    frmSundown->ActionShowApplication.Execute();
    ASSERT_TRUE(WaitFor([] { return frmSundown->Visible(); }));
    frmSundown->FormActivate(frmSundown);
    EXPECT_TRUE(frmSundown->Visible());
    EXPECT_EQ(ShellCalls.size(), calls);
}

TEST_F(MainWindowTest, FirstStartWithoutFileTakesTheDefaults) {
    Start();
    EXPECT_TRUE(frmSundown->Clock.AlarmEnabled());
    EXPECT_EQ(frmSundown->Clock.AlarmHour(), 20);
    EXPECT_EQ(frmSundown->Clock.AlarmMinute(), 0);
    EXPECT_EQ(frmSundown->TrayIcon.Hint(), "Workstation will logoff at 20:00");
    EXPECT_EQ(frmSundown->Settings()->GetValue("Warning").AsInteger(), 60);
    EXPECT_FALSE(scratch::FileExists(IniFile)) << "written only at exit or confirmed options";
}

TEST_F(MainWindowTest, DisarmedScheduleShowsImageOne) {
    WriteIni("[Settings]\r\nEnabled=0\r\n");
    Start();
    EXPECT_FALSE(frmSundown->Clock.AlarmEnabled());
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 1);
    EXPECT_EQ(frmSundown->TrayIcon.Hint(), "Workstation will logoff at 20:00")
        << "the hint is the same armed or not";
}

TEST_F(MainWindowTest, TheIconIsAddedOnceWithTheImageAndTipOfTheSettings) {
    const struct {
        const char* Ini;
        int Image;
        const char* Tip;
    } rows[] = {
        {"[Settings]\r\nHour=7\r\nMinute=5\r\nExitWindowsType=2\r\n", 0,
         "Workstation will shutdown at 07:05"},
        {"[Settings]\r\nEnabled=0\r\nExitWindowsType=1\r\n", 1,
         "Workstation will restart at 20:00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Ini);
        ShellCalls.clear();
        WriteIni(row.Ini);
        Start();
        ASSERT_EQ(ShellCalls.size(), 1u) << "one call to the shell at start";
        EXPECT_EQ(ShellCalls[0].Message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(ShellCalls[0].Data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_STREQ(ShellCalls[0].Data.szTip, row.Tip);
        const std::vector<DWORD> added = IconBits(ShellCalls[0].Data.hIcon);
        ASSERT_FALSE(added.empty());
        EXPECT_EQ(added, IconBits(frmSundown->ImageListTrayIcon.GetIcon(row.Image).get()));
        EXPECT_NE(added, IconBits(frmSundown->ImageListTrayIcon.GetIcon(1 - row.Image).get()));
        TearDown();
        SetUp();
    }
}

TEST_F(MainWindowTest, CloseRequestsAndTheHeaderCloseButtonHideWithoutSaving) {
    Start();
    const auto show = [] {
        frmSundown->ActionShowApplication.Execute();
        return WaitFor([] { return frmSundown->Visible(); });
    };
    ASSERT_TRUE(show());
    PostMessageA(frmSundown->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([] { return !frmSundown->Visible(); })) << "close request hides";

    ASSERT_TRUE(show());
    PostMessageA(frmSundown->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); // Alt+F4
    EXPECT_TRUE(WaitFor([] { return !frmSundown->Visible(); })) << "Alt+F4 hides";

    ASSERT_TRUE(show());
    const RECT r = frmSundown->pnlBackground.CloseButtonRect();
    ASSERT_FALSE(IsRectEmpty(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(frmSundown->pnlBackground.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(frmSundown->pnlBackground.Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitFor([] { return !frmSundown->Visible(); })) << "header close button hides";

    Application().ProcessMessages();
    EXPECT_FALSE(Application().Terminated()) << "the program runs on";
    EXPECT_FALSE(scratch::FileExists(IniFile)) << "nothing saved";
    EXPECT_TRUE(frmSundown->TrayIcon.Active());
}

TEST_F(MainWindowTest, HidingBringsTheCalendarBackToToday) {
    Start();
    SYSTEMTIME other{};
    other.wYear = 2001;
    other.wMonth = 2;
    other.wDay = 3;
    frmSundown->MonthCalendar.SetDateFirst(other);
    frmSundown->ActionHideApplication.Execute();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const SYSTEMTIME shown = frmSundown->MonthCalendar.DateFirst();
    EXPECT_EQ(shown.wYear, now.wYear);
    EXPECT_EQ(shown.wMonth, now.wMonth);
    EXPECT_EQ(shown.wDay, now.wDay);
    EXPECT_EQ(frmSundown->MonthCalendar.Today().wDay, now.wDay);
}

TEST_F(MainWindowTest, CommandsShowHideAndIgnoreOthers) {
    Start();
    const auto send = [](WPARAM command) {
        return SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, command, 0);
    };
    EXPECT_EQ(send(1), 0);
    EXPECT_TRUE(WaitFor([] { return frmSundown->Visible(); }));
    EXPECT_TRUE(frmSundown->TrayIcon.ApplicationVisible());
    send(1); // shown already: stays shown
    EXPECT_TRUE(frmSundown->Visible());
    for (WPARAM other : {WPARAM(0), WPARAM(5), WPARAM(0x100000001ULL)}) {
        send(other);
        Application().ProcessMessages();
        EXPECT_TRUE(frmSundown->Visible()) << "command " << other << " does nothing";
    }
    EXPECT_EQ(send(2), 0);
    EXPECT_TRUE(WaitFor([] { return !frmSundown->Visible(); }));
    EXPECT_FALSE(Application().Terminated());
    EXPECT_FALSE(scratch::FileExists(IniFile));
}

TEST_F(MainWindowTest, CommandThreeSavesAllKeysInOrderAndEnds) {
    WriteIni("[Settings]\r\nHour=7\r\n; mine\r\n[Notes]\r\nkept=yes\r\n");
    Start();
    SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, 3, 0);
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
    const std::string ini = ReadIni();
    std::vector<std::string> expected = KeyOrder();
    // The key already in the file keeps its place; the others follow in order.
    expected.erase(std::find(expected.begin(), expected.end(), "Hour"));
    expected.insert(expected.begin(), "Hour");
    EXPECT_EQ(KeysOfSection(ini, "Settings"), expected);
    EXPECT_NE(ini.find("Hour=7"), std::string::npos);
    EXPECT_NE(ini.find("; mine"), std::string::npos);
    EXPECT_NE(ini.find("[Notes]\r\nkept=yes"), std::string::npos) << "hand-added lines survive";
}

TEST_F(MainWindowTest, ExitFromTheTrayMenuWritesTheFreshFileInOrder) {
    Start();
    frmSundown->Exit1.Click();
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
    EXPECT_EQ(KeysOfSection(ReadIni(), "Settings"), KeyOrder());
}

TEST_F(MainWindowTest, CommandThreeBeforeTheFirstActivationWritesNothing) {
    SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, 3, 0);
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
    EXPECT_TRUE(KeysOfSection(ReadIni(), "Settings").empty()) << "no keys, nothing written";
}

class EndSessionTest : public MainWindowTest, public ::testing::WithParamInterface<WPARAM> {};

TEST_P(EndSessionTest, SavesAndEndsWhateverItsWParam) {
    Start();
    EXPECT_EQ(SendMessageA(frmSundown->Handle(), WM_ENDSESSION, GetParam(), 0), 0);
    EXPECT_TRUE(WaitFor([] { return Application().Terminated(); }));
    EXPECT_EQ(KeysOfSection(ReadIni(), "Settings"), KeyOrder());
}

INSTANTIATE_TEST_SUITE_P(WParam, EndSessionTest, ::testing::Values(WPARAM(1), WPARAM(0)));

TEST_F(MainWindowTest, FailedSaveNeverKeepsTheProgramAndOnlyTheUsersExitHearsOfIt) {
    struct TCase {
        const char* Name;
        std::function<void()> Road;
        size_t Boxes;
        bool Ends;
    } cases[] = {
        {"tray Exit", [] { frmSundown->Exit1.Click(); }, 1, true},
        {"command 3", [] { SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, 3, 0); }, 0,
         true},
        {"end of session", [] { SendMessageA(frmSundown->Handle(), WM_ENDSESSION, TRUE, 0); }, 0,
         true},
        {"confirmed countdown",
         [this] {
             WhenShown(frmExitConfirm, [] { frmExitConfirm->btnOk.Click(); });
             frmSundown->ActionLogoff.Execute();
         },
         0, true},
        // The schedule switched off: the alarm and the icon follow all the same.
        {"options confirmed",
         [this] {
             WhenShown(frmOptions, [] {
                 frmOptions->cbEnableSundown.SetChecked(false);
                 frmOptions->btnOk.Click();
             });
             SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, 4, 0);
             EXPECT_FALSE(frmSundown->Clock.AlarmEnabled());
             EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 1);
         },
         1, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // The settings folder's name is taken by a file.
        scratch::WriteFileBytes(Folder.File("taken"), "");
        frmSundown->Settings()->SetINIFileName(Folder.File("taken") + "\\settings.ini");
        Start();
        ASSERT_TRUE(frmSundown->Clock.AlarmEnabled());
        Boxes.clear();
        c.Road();
        Application().ProcessMessages();
        EXPECT_EQ(Application().Terminated(), c.Ends);
        ASSERT_EQ(Boxes.size(), c.Boxes);
        for (const support::TBox& box : Boxes)
            EXPECT_EQ(box.Text.rfind("Unable to write to ", 0), 0u) << box.Text;
        TearDown();
        SetUp();
    }
}

TEST_F(MainWindowTest, QueryEndSessionAlwaysConsents) {
    Start();
    EXPECT_TRUE(SendMessageA(frmSundown->Handle(), WM_QUERYENDSESSION, 0, 0));
    EXPECT_TRUE(SendMessageA(frmSundown->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    frmSundown->ActionShowApplication.Execute();
    ASSERT_TRUE(WaitFor([] { return frmSundown->Visible(); }));
    EXPECT_TRUE(SendMessageA(frmSundown->Handle(), WM_QUERYENDSESSION, 0, 0));
    Application().ProcessMessages();
    EXPECT_TRUE(frmSundown->Visible()) << "the query does not hide the window";
    EXPECT_FALSE(Application().Terminated());
    EXPECT_FALSE(scratch::FileExists(IniFile));
}

TEST_F(MainWindowTest, TrayMenuItemsOrderAndDefault) {
    Start();
    MenuHandle menu = frmSundown->PopupActionBarTrayIcon.BuildMenu();
    const std::vector<TMenuEntry> top = MenuEntries(menu.get());
    ASSERT_EQ(top.size(), 7u);
    EXPECT_EQ(top[0].Caption, "Open");
    EXPECT_TRUE(top[0].State & MFS_DEFAULT) << "Open is the default item";
    EXPECT_TRUE(top[1].Type & MFT_SEPARATOR);
    EXPECT_EQ(top[2].Caption, "Tasks");
    ASSERT_NE(top[2].SubMenu, nullptr);
    EXPECT_EQ(top[3].Caption, "Options");
    EXPECT_EQ(top[4].Caption, "About");
    EXPECT_TRUE(top[5].Type & MFT_SEPARATOR);
    EXPECT_EQ(top[6].Caption, "E&xit");
    EXPECT_EQ(GetMenuDefaultItem(menu.get(), TRUE, 0), 0u);
    for (size_t i = 1; i < top.size(); ++i) {
        EXPECT_FALSE(top[i].State & MFS_DEFAULT) << i;
    }

    const std::vector<TMenuEntry> tasks = MenuEntries(top[2].SubMenu);
    ASSERT_EQ(tasks.size(), 4u);
    EXPECT_EQ(tasks[0].Caption, "Active");
    EXPECT_TRUE(tasks[0].State & MFS_CHECKED) << "checked while armed";
    EXPECT_EQ(tasks[1].Caption, "Logoff");
    EXPECT_EQ(tasks[2].Caption, "Restart");
    EXPECT_EQ(tasks[3].Caption, "Shutdown");

    // Images by action; Active and the submenu have none.
    EXPECT_EQ(frmSundown->Open1.ImageIndex(), 3);
    EXPECT_EQ(frmSundown->Options1.ImageIndex(), 1);
    EXPECT_EQ(frmSundown->Exit1.ImageIndex(), 2);
    EXPECT_EQ(frmSundown->About1.ImageIndex(), 0);
    EXPECT_EQ(frmSundown->Logoff1.ImageIndex(), 5);
    EXPECT_EQ(frmSundown->Restart1.ImageIndex(), 6);
    EXPECT_EQ(frmSundown->Shutdown1.ImageIndex(), 6);
    EXPECT_EQ(frmSundown->Active1.ImageIndex(), -1);
    EXPECT_EQ(frmSundown->ImageListTrayIcon.Count(), 2);
    EXPECT_EQ(frmSundown->ActionLogoff.Category(), "Tasks");
    EXPECT_EQ(frmSundown->ActionActive.Category(), "Tasks");
    EXPECT_EQ(frmSundown->ActionHideApplication.Caption(), "Hide");
    EXPECT_EQ(frmSundown->btnOptions.Caption(), "Options") << "the button shows its action";

    // The check mark follows the live armed state, refreshed before the menu shows.
    frmSundown->Clock.SetAlarmEnabled(false);
    menu = frmSundown->PopupActionBarTrayIcon.BuildMenu();
    const std::vector<TMenuEntry> again = MenuEntries(MenuEntries(menu.get())[2].SubMenu);
    EXPECT_FALSE(again[0].State & MFS_CHECKED);
}

// The start loads nothing it does not use: Winsock waits for the first transfer, the tray menu's
// pictures for the menu's first opening.
TEST_F(MainWindowTest, WinsockAndTheMenuPicturesWaitForTheirFirstUse) {
    Start();
    EXPECT_EQ(GetModuleHandleA("ws2_32.dll"), nullptr);
    EXPECT_EQ(frmSundown->ImageListMain.Count(), 0);
    EXPECT_FALSE(frmSundown->ImageListMain.HandleAllocated());
    EXPECT_FALSE(frmSundown->ImageListTrayIcon.HandleAllocated()) << "the shell takes the icon";
    EXPECT_FALSE(frmAbout->ImageListAbout.HandleAllocated());
    int opened = 0;
    TTimer closer;
    closer.SetInterval(50);
    closer.OnTimer = [&](TObject*) {
        if (FindWindowA("#32768", nullptr) && EndMenu())
            ++opened;
    };
    closer.SetEnabled(true);
    for (const int time : {1, 2}) {
        SCOPED_TRACE(time);
        frmSundown->PopupActionBarTrayIcon.Popup(600, 400);
        EXPECT_EQ(opened, time);
        EXPECT_EQ(frmSundown->ImageListMain.Count(), 7) << "read once";
    }
}

TEST_F(MainWindowTest, DoubleClickOnTheIconOpensTheWindow) {
    Start();
    SendMessageA(frmSundown->TrayIcon.Handle(), TJvTrayIcon::CallbackMessage, TJvTrayIcon::IconId,
                 WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitFor([] { return frmSundown->Visible(); }));
}

TEST(MainWindowPlacement, StandsOnABottomTaskbarAtTheRightEdge) {
    const RECT work{0, 0, 1280, 994};
    const POINT p = MainWindowPosition({491, 271}, {0, 994, 1280, 1024}, {1280, 1024}, work);
    EXPECT_EQ(p.x, 1280 - 491);
    EXPECT_EQ(p.y, 994 - 271);
}

TEST(MainWindowPlacement, FallsBackToTheWorkAreaWithoutABottomTaskbar) {
    const SIZE w{491, 271}, screen{1280, 1024};
    struct TCase {
        const char* Name;
        RECT Taskbar;
        RECT Work;
    } cases[] = {
        {"no taskbar (Wine)", {0, 0, 0, 0}, {0, 0, 1280, 1024}},
        {"at the top", {0, 0, 1280, 30}, {0, 30, 1280, 1024}},
        {"at the left", {0, 0, 60, 1024}, {60, 0, 1280, 1024}},
        {"at the right", {1220, 0, 1280, 1024}, {0, 0, 1220, 1024}},
        {"below the screen", {0, 1030, 1280, 1060}, {0, 0, 1280, 1024}},
    };
    for (const TCase& c : cases) {
        const POINT p = MainWindowPosition(w, c.Taskbar, screen, c.Work);
        EXPECT_EQ(p.x, c.Work.right - w.cx) << c.Name;
        EXPECT_EQ(p.y, c.Work.bottom - w.cy) << c.Name;
        EXPECT_GE(p.y, 0) << c.Name << ": never above the screen";
    }
}

TEST_F(MainWindowTest, UnderWineTheWindowStandsInTheWorkAreaCorner) {
    RECT taskbar{};
    GetTaskbarRect(taskbar);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    GetWindowRect(frmSundown->Handle(), &r);
    if (IsRectEmpty(&taskbar)) {
        EXPECT_EQ(r.right, work.right);
        EXPECT_EQ(r.bottom, work.bottom);
    } else {
        EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    }
    EXPECT_GE(r.top, 0) << "on the screen";
}

TEST_F(MainWindowTest, LeftButtonOnTheBackgroundDragsTheWindow) {
    std::vector<WPARAM> commands;
    frmSundown->SetMessageHandler(WM_SYSCOMMAND, [&](TMessage& m) {
        commands.push_back(m.WParam);
        EXPECT_EQ(m.LParam, 0);
    });
    const LPARAM at = MAKELPARAM(100, 150);
    SendMessageA(frmSundown->pnlBackground.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    SendMessageA(frmSundown->pnlBackground.Handle(), WM_RBUTTONUP, 0, at);
    EXPECT_TRUE(commands.empty()) << "the right button does nothing";
    SendMessageA(frmSundown->pnlBackground.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(frmSundown->pnlBackground.Handle(), WM_LBUTTONUP, 0, at);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], 0xF012u);
    SendMessageA(frmSundown->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at); // the form itself
    EXPECT_EQ(commands.size(), 2u);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MainWindowTest, OptionsCommandBeforeTheFirstActivationLoadsTheSettingsFirst) {
    WriteIni("[Settings]\r\nHour=7\r\nMinute=5\r\n");
    bool shown = false;
    WhenShown(frmOptions, [&] {
        shown = true;
        EXPECT_EQ(frmSundown->Settings()->Count(), 24) << "loaded before the window reads them";
        frmOptions->btnCancel.Click();
    });
    SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, 4, 0);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Boxes.empty()) << Boxes.First();
    EXPECT_EQ(frmSundown->Clock.AlarmHour(), 7);
    EXPECT_EQ(ReadIni(), "[Settings]\r\nHour=7\r\nMinute=5\r\n") << "cancelled: nothing written";
    // The first activation afterwards goes as usual.
    Start();
    EXPECT_FALSE(frmSundown->Visible());
    EXPECT_EQ(RegisteredKeys(*frmSundown->Settings()), KeyOrder());
}

TEST_F(MainWindowTest, OptionsConfirmedWritesAtOnceAndReArms) {
    WriteIni("[Settings]\r\nEnabled=0\r\nHour=7\r\nMinute=5\r\n");
    Start();
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 1);
    WhenShown(frmOptions, [] {
        frmOptions->cbEnableSundown.SetChecked(true);
        frmOptions->btnOk.Click();
    });
    SendMessageA(frmSundown->Handle(), WM_INSTANCECOMMAND, 4, 0);
    const std::string ini = ReadIni();
    EXPECT_EQ(KeysOfSection(ini, "Settings").size(), 24u) << "written at once";
    EXPECT_NE(ini.find("Enabled=1"), std::string::npos);
    EXPECT_TRUE(frmSundown->Clock.AlarmEnabled()) << "the alarm follows";
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 0) << "and the icon";
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(MainWindowTest, OptionsButtonAndCancelChangeNothing) {
    WriteIni("[Settings]\r\nEnabled=0\r\n");
    Start();
    WhenShown(frmOptions, [] {
        frmOptions->cbEnableSundown.SetChecked(true);
        frmOptions->btnCancel.Click();
    });
    frmSundown->btnOptions.Click();
    EXPECT_EQ(ReadIni(), "[Settings]\r\nEnabled=0\r\n");
    EXPECT_FALSE(frmSundown->Clock.AlarmEnabled());
    EXPECT_EQ(frmSundown->TrayIcon.IconIndex(), 1);
}

TEST_F(MainWindowTest, AboutRunsTheAboutWindowModallyAndASecondRequestOnlyRaisesIt) {
    Start();
    int seen = 0;
    WhenShown(frmAbout, [&] {
        ++seen;
        // The tray menu still works during the modal run: About again must not throw.
        frmSundown->About1.Click();
        EXPECT_TRUE(frmAbout->Visible());
        frmAbout->OKBtn.Click();
    });
    frmSundown->About1.Click();
    EXPECT_EQ(seen, 1);
    EXPECT_FALSE(frmAbout->Visible());
    EXPECT_TRUE(Boxes.empty()) << Boxes.First();
    EXPECT_FALSE(scratch::FileExists(IniFile)) << "About writes nothing";
}

TEST_F(MainWindowTest, TheUpdateWindowBorrowsTheSettingsAndStaysSwitchedOff) {
    TfrmAutoUpdate* update = frmSundown->AutoUpdateForm();
    ASSERT_NE(update, nullptr) << "created with the main window";
    EXPECT_EQ(update->ProgramSettings(), frmSundown->Settings());
    EXPECT_FALSE(update->AutoUpdateEnabled());
    Start();
    EXPECT_FALSE(update->AutoUpdateEnabled()) << "nothing switches the component on";
    EXPECT_FALSE(update->Visible());
    EXPECT_EQ(frmSundown->Settings()->Count(), 24);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
