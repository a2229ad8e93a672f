// The options window on real windows: a settings object registered as the main window does it,
// over an INI file in a folder of its own, and the real machine-wide Run key of the Wine prefix
// (the value named after this test's own title, put back afterwards). The modal run is driven
// from a timer inside its message loop, by posting the messages a user's input makes.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/Application.h"
#include "base/ConvertError.h"
#include "base/EncodeTime.h"
#include "base/ScratchPlaces.h"
#include "gui/Timer.h"
#include "scheduler/frmOptionsU.h"
#include "settings/OrbProgramSettings.h"
#include "settings/ProgramKeys.h"
#include "update/OrbAutoUpdate.h"
#include "TestSupport.h"

namespace {

const char* const RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const TestTitle = "SundownOptionsTest";

// The Run value named Name, if there is one.
std::optional<std::string> ReadRunValue(const std::string& Name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char data[2048] = {};
    DWORD size = sizeof(data) - 1, type = 0;
    const LONG rc =
        RegQueryValueExA(key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data);
}

void WriteRunValue(const std::string& Name, const std::optional<std::string>& Data) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (Data)
        RegSetValueExA(key, Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Data->c_str()),
                       static_cast<DWORD>(Data->size() + 1));
    else
        RegDeleteValueA(key, Name.c_str());
    RegCloseKey(key);
}

// What the program writes for itself: its short path and a blank.
std::string OwnCommand() {
    return GetShortPath(Application().ExeName()) + " ";
}

void PostClick(HWND target, int x = 5, int y = 5) {
    PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PostKey(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void PostText(HWND target, const std::string& text) {
    for (char c : text)
        PostMessageA(target, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
}

SYSTEMTIME PickerTime(HWND picker) {
    SYSTEMTIME t{};
    SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
    return t;
}

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSavedTitle = Application().Title();
        Application().SetTitle(TestTitle);
        FSavedRun = ReadRunValue(TestTitle);
        WriteRunValue(TestTitle, std::nullopt);
        Application().CreateForm(frmOptions);
        Settings.SetSettingsStore(ssINIFile);
        Settings.SetINIFileName(Folder.File("settings.ini"));
    }

    void TearDown() override {
        Application().DestroyForms();
        frmOptions = nullptr;
        WriteRunValue(TestTitle, FSavedRun);
        Application().SetTitle(FSavedTitle);
    }

    // The file's text (none: the defaults), then the keys as the main window registers them and
    // their values.
    void Load(const std::string& ini = "") {
        FILE* f = fopen(Settings.INIFileName().c_str(), "w");
        ASSERT_NE(f, nullptr);
        fputs(ini.c_str(), f);
        fclose(f);
        Settings.Clear();
        RegisterProgramKeys(Settings, GetDefaultApplicationName(), DefaultUpdateURL);
        Settings.LoadDefaults();
        Settings.Load();
    }

    // Runs Execute; each step runs at a timer tick inside the modal loop, so that what the
    // previous step posted has been handled. A run that outlives its steps is ended with
    // mrAbort so that a failing test cannot hang.
    int Run(std::vector<std::function<void()>> steps) {
        TTimer timer;
        size_t next = 0;
        timer.SetInterval(60);
        timer.OnTimer = [&](TObject*) {
            if (next < steps.size())
                steps[next++]();
            else if (++next > steps.size() + 20)
                frmOptions->SetModalResult(mrAbort);
        };
        timer.SetEnabled(true);
        const int result = frmOptions->Execute(&Settings);
        timer.SetEnabled(false);
        return result;
    }

    std::string IniValue(const std::string& key) {
        char text[256] = {};
        GetPrivateProfileStringA("Settings", key.c_str(), "<none>", text, sizeof(text),
                                 Settings.INIFileName().c_str());
        return text;
    }

    // The five edited values as the store holds them, with their kinds.
    struct TFive {
        Variant Enabled, ExitWindowsType, Hour, Minute, Warning;
    };
    TFive Five() {
        return {Settings.GetValue("Enabled"), Settings.GetValue("ExitWindowsType"),
                Settings.GetValue("Hour"), Settings.GetValue("Minute"),
                Settings.GetValue("Warning")};
    }

    scratch::TTempFolder Folder;
    TProgramSettings Settings;
    support::TBoxRecorder Boxes;

private:
    std::string FSavedTitle;
    std::optional<std::string> FSavedRun;
};

} // namespace

TEST_F(OptionsTest, LayoutReadsAsTwoSentencesInAFixedDialog) {
    TfrmOptions& f = *frmOptions;
    EXPECT_EQ(f.Caption(), "Options");
    EXPECT_EQ(f.ClientWidth(), 428);
    EXPECT_EQ(f.ClientHeight(), 178);
    const LONG style = GetWindowLongA(f.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(GetWindowLongA(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(f.Visible()) << "created hidden";

    EXPECT_EQ(f.pnlButtons.Height(), 41);
    EXPECT_EQ(f.pnlButtons.Top(), 178 - 41);
    EXPECT_EQ(f.pnlMain.Height(), 178 - 41);
    // The frame fills the main panel inside its five-pixel border.
    EXPECT_EQ(f.gbGeneral.Left(), 5);
    EXPECT_EQ(f.gbGeneral.Top(), 5);
    EXPECT_EQ(f.gbGeneral.Width(), 428 - 10);
    EXPECT_EQ(f.gbGeneral.Caption(), "Options");

    EXPECT_EQ(f.btnOk.Caption(), "Ok");
    EXPECT_EQ(f.btnOk.Left(), 264);
    EXPECT_EQ(f.btnCancel.Caption(), "Cancel");
    EXPECT_EQ(f.btnCancel.Left(), 344);
    EXPECT_EQ(f.btnCancel.Width(), 73);
    EXPECT_EQ(f.btnCancel.Height(), 21);
    EXPECT_FALSE(f.btnOk.Default() || f.btnOk.Cancel() || f.btnCancel.Default() ||
                 f.btnCancel.Cancel())
        << "neither the Enter nor the Esc button";

    EXPECT_EQ(f.cbAutoRun.Caption(), "Load on system startup");
    EXPECT_EQ(f.cbAutoRun.Top(), 24);
    // First line at top 56, left to right.
    EXPECT_EQ(f.cbEnableSundown.Caption(), "Automatically");
    EXPECT_EQ(f.Label1.Caption(), "my workstation at");
    EXPECT_EQ(f.Label3.Caption(), "seconds  warning to cancel event.");
    EXPECT_EQ(f.Label2.Caption(), "Provide ");
    const std::vector<std::pair<TControl*, int>> line1 = {{&f.cbEnableSundown, 8},
                                                          {&f.comboExitWindowsType, 104},
                                                          {&f.Label1, 200},
                                                          {&f.DateTimePickerExitWindows, 296}};
    for (auto [control, left] : line1) {
        EXPECT_EQ(control->Left(), left);
        EXPECT_EQ(control->Top(), 56);
    }
    const std::vector<std::pair<TControl*, int>> line2 = {
        {&f.Label2, 28}, {&f.editWarning, 72}, {&f.Label3, 128}};
    for (auto [control, left] : line2) {
        EXPECT_EQ(control->Left(), left);
        EXPECT_EQ(control->Top(), 88);
    }
    EXPECT_EQ(f.DateTimePickerExitWindows.Width(), 89);
    EXPECT_EQ(f.editWarning.Width(), 49);

    ASSERT_EQ(f.comboExitWindowsType.Items().Count(), 3);
    EXPECT_EQ(f.comboExitWindowsType.Items()[0], "Logoff");
    EXPECT_EQ(f.comboExitWindowsType.Items()[1], "Restart");
    EXPECT_EQ(f.comboExitWindowsType.Items()[2], "Shutdown");
    EXPECT_EQ(GetWindowLongA(f.comboExitWindowsType.Handle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);

    // The time is the system's time picker in its time-of-day kind, with up-down buttons.
    char cls[64] = {};
    GetClassNameA(f.DateTimePickerExitWindows.Handle(), cls, sizeof(cls));
    EXPECT_STREQ(cls, DATETIMEPICK_CLASSA);
    EXPECT_EQ(GetWindowLongA(f.DateTimePickerExitWindows.Handle(), GWL_STYLE) & DTS_TIMEFORMAT,
              DTS_TIMEFORMAT);
}

TEST_F(OptionsTest, TheSpinEditsArrowsStayDrawn) {
    Load();
    // The pixels of the arrows, as they stand on the window, that are not the edit's white.
    auto arrowPixels = [] {
        HWND arrows = frmOptions->editWarning.UpDownHandle();
        HDC dc = GetDC(arrows);
        RECT r{};
        GetClientRect(arrows, &r);
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += (GetPixel(dc, x, y) & 0xFFFFFF) != GetSysColor(COLOR_WINDOW);
        ReleaseDC(arrows, dc);
        return n;
    };
    auto edit = [] { return frmOptions->editWarning.Handle(); };
    const std::vector<std::pair<std::string, std::function<void()>>> actions = {
        {"focused", [] { frmOptions->editWarning.SetFocus(); }},
        {"typed into", [&] { SendMessageA(edit(), WM_CHAR, '5', 1); }},
        {"left", [] { frmOptions->btnOk.SetFocus(); }},
        {"framed anew",
         [&] { RedrawWindow(edit(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE); }},
    };
    int drawn = 0;
    std::vector<std::pair<std::string, int>> seen;
    std::vector<std::function<void()>> steps = {[&] {
        RedrawWindow(frmOptions->editWarning.UpDownHandle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW);
        drawn = arrowPixels();
    }};
    for (const auto& [name, act] : actions) {
        steps.push_back(act);
        steps.push_back([&, name = name] { seen.emplace_back(name, arrowPixels()); });
    }
    steps.push_back([] { PostClick(frmOptions->btnCancel.Handle()); });
    EXPECT_EQ(Run(steps), mrCancel);
    EXPECT_GT(drawn, 40);
    ASSERT_EQ(seen.size(), actions.size());
    // (The one-pixel gap between the two arrows shows what lies beneath.)
    for (const auto& [name, pixels] : seen)
        EXPECT_GT(pixels, drawn * 3 / 4) << name;
}

TEST_F(OptionsTest, TheFieldsBesideEachOtherPaintInTheWindowColour) {
    Load();
    TfrmOptions& f = *frmOptions;
    struct Case {
        const char* Name;
        TControl* Control;
    };
    const std::vector<Case> cases = {{"list", &f.comboExitWindowsType},
                                     {"time picker", &f.DateTimePickerExitWindows},
                                     {"spin edit", &f.editWarning}};
    // Pixels of the window colour and of the dialog colour in each control, as it stands on the
    // screen.
    std::vector<std::pair<int, int>> seen;
    EXPECT_EQ(Run({[&] {
                       for (const Case& c : cases) {
                           HWND h = c.Control->Handle();
                           RedrawWindow(h, nullptr, nullptr,
                                        RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW |
                                            RDW_ALLCHILDREN);
                           HDC dc = GetDC(h);
                           RECT r{};
                           GetClientRect(h, &r);
                           int window = 0, face = 0;
                           for (int y = r.top; y < r.bottom; ++y)
                               for (int x = r.left; x < r.right; ++x) {
                                   const COLORREF p = GetPixel(dc, x, y) & 0xFFFFFF;
                                   window += p == GetSysColor(COLOR_WINDOW);
                                   face += p == GetSysColor(COLOR_BTNFACE);
                               }
                           ReleaseDC(h, dc);
                           seen.emplace_back(window, face);
                       }
                   },
                   [] { PostClick(frmOptions->btnCancel.Handle()); }}),
              mrCancel);
    ASSERT_EQ(seen.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_GT(seen[i].first, seen[i].second * 2) << cases[i].Name;
}

TEST_F(OptionsTest, DefaultsAreShownAndCancelLeavesThemAlone) {
    Load();
    bool checked = false;
    int result =
        Run({[&] {
                 TfrmOptions& f = *frmOptions;
                 EXPECT_TRUE(f.Visible());
                 EXPECT_FALSE(f.cbAutoRun.Checked()) << "no Run value";
                 EXPECT_TRUE(f.cbEnableSundown.Checked());
                 EXPECT_EQ(f.comboExitWindowsType.ItemIndex(), 0);
                 EXPECT_EQ(f.comboExitWindowsType.Caption(), "Logoff");
                 const SYSTEMTIME t = PickerTime(f.DateTimePickerExitWindows.Handle());
                 EXPECT_EQ(t.wHour, 20);
                 EXPECT_EQ(t.wMinute, 0);
                 EXPECT_EQ(t.wSecond, 0);
                 // Shown in the system's time format.
                 char expected[64] = {};
                 GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, expected, sizeof(expected));
                 EXPECT_EQ(f.DateTimePickerExitWindows.Caption(), expected);
                 EXPECT_EQ(f.editWarning.Caption(), "60");
                 checked = true;
             },
             [&] { PostClick(frmOptions->btnCancel.Handle()); }});
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(frmOptions->Visible());
    EXPECT_FALSE(ReadRunValue(TestTitle)) << "Cancel writes no Run value";
}

TEST_F(OptionsTest, OkUntouchedStoresTheSameValuesAgain) {
    Load("[Settings]\nEnabled=0\nExitWindowsType=2\nHour=7\nMinute=5\nWarning=45\n");
    EXPECT_EQ(Run({[] { PostClick(frmOptions->btnOk.Handle()); }}), mrOk);
    const TFive v = Five();
    EXPECT_EQ(v.Enabled, Variant(false));
    EXPECT_EQ(v.ExitWindowsType, Variant(2));
    EXPECT_EQ(v.Hour, Variant(7)) << "a whole number";
    EXPECT_EQ(v.Minute, Variant(5));
    EXPECT_EQ(v.Warning, Variant(45.0)) << "the spin edit's value, a floating-point number";
    EXPECT_FALSE(ReadRunValue(TestTitle)) << "unchecked: no Run value";

    Load();
    EXPECT_EQ(Run({[] { PostClick(frmOptions->btnOk.Handle()); }}), mrOk);
    EXPECT_EQ(Settings.GetValue("Warning"), Variant(60.0));
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(20));
    Settings.Save();
    EXPECT_EQ(IniValue("Warning"), "60") << "saved as a whole number";
    EXPECT_EQ(IniValue("Hour"), "20");
    EXPECT_EQ(IniValue("Minute"), "0");
    EXPECT_EQ(IniValue("ExitWindowsType"), "0");
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(OptionsTest, RunValueFollowsTheCheckBoxOnEveryOk) {
    Load();
    // A value of that name from another copy counts as on, and Ok writes this program's own.
    WriteRunValue(TestTitle, std::string("C:\\elsewhere\\sundown.exe "));
    bool shownChecked = false;
    EXPECT_EQ(Run({[&] { shownChecked = frmOptions->cbAutoRun.Checked(); },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_TRUE(shownChecked);
    EXPECT_EQ(ReadRunValue(TestTitle), OwnCommand());

    // Switched off: the value goes.
    EXPECT_EQ(Run({[] { SendMessageA(frmOptions->cbAutoRun.Handle(), BM_CLICK, 0, 0); },
                   [] { EXPECT_FALSE(frmOptions->cbAutoRun.Checked()); },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_FALSE(ReadRunValue(TestTitle));

    // Shown off, switched on: written.
    EXPECT_EQ(Run({[&] { shownChecked = frmOptions->cbAutoRun.Checked(); },
                   [] { SendMessageA(frmOptions->cbAutoRun.Handle(), BM_CLICK, 0, 0); },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_FALSE(shownChecked);
    EXPECT_EQ(ReadRunValue(TestTitle), OwnCommand());

    // Switched off and cancelled: the value stays.
    EXPECT_EQ(Run({[] { SendMessageA(frmOptions->cbAutoRun.Handle(), BM_CLICK, 0, 0); },
                   [] { PostClick(frmOptions->btnCancel.Handle()); }}),
              mrCancel);
    EXPECT_EQ(ReadRunValue(TestTitle), OwnCommand());

    // A stale value with other data is written anew by an untouched Ok.
    WriteRunValue(TestTitle, std::string("stale"));
    EXPECT_EQ(Run({[] { PostClick(frmOptions->btnOk.Handle()); }}), mrOk);
    EXPECT_EQ(ReadRunValue(TestTitle), OwnCommand());
}

TEST_F(OptionsTest, ActionOutsideTheListShowsNoneAndOkStoresMinusOne) {
    Load("[Settings]\nExitWindowsType=5\n");
    int shown = 99;
    EXPECT_EQ(Run({[&] { shown = frmOptions->comboExitWindowsType.ItemIndex(); },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_EQ(shown, -1);
    EXPECT_EQ(Settings.GetValue("ExitWindowsType"), Variant(-1));
    Settings.Save();
    EXPECT_EQ(IniValue("ExitWindowsType"), "-1");

    // Negative values select nothing as well; the next run starts from the settings again.
    Load("[Settings]\nExitWindowsType=-3\n");
    EXPECT_EQ(Run({[&] { shown = frmOptions->comboExitWindowsType.ItemIndex(); },
                   [] { PostClick(frmOptions->btnCancel.Handle()); }}),
              mrCancel);
    EXPECT_EQ(shown, -1);
    EXPECT_EQ(Settings.GetValue("ExitWindowsType"), Variant(-3));
}

TEST_F(OptionsTest, HourOrMinuteOutOfRangeFailsBeforeTheWindowShows) {
    for (const char* ini : {"[Settings]\nHour=24\n", "[Settings]\nMinute=60\n",
                            "[Settings]\nHour=-1\n", "[Settings]\nMinute=65596\n"}) {
        SCOPED_TRACE(ini);
        Load(ini);
        const TFive before = Five();
        bool shown = false;
        frmOptions->OnShow = [&](TObject*) { shown = true; };
        EXPECT_EQ(support::MessageOf<EConvertError>(
                      [&] { Run({[] { PostClick(frmOptions->btnOk.Handle()); }}); }),
                  "Invalid argument to time encode");
        EXPECT_FALSE(shown);
        EXPECT_FALSE(frmOptions->Visible());
        EXPECT_TRUE(Five().Hour == before.Hour && Five().Minute == before.Minute);
        frmOptions->OnShow = nullptr;
    }
    EXPECT_FALSE(ReadRunValue(TestTitle));
}

TEST_F(OptionsTest, HourAndMinuteAreNarrowedTo16BitsFirst) {
    // 65543 is 7 in 16 bits, 65566 is 30.
    Load("[Settings]\nHour=65543\nMinute=65566\n");
    SYSTEMTIME shown{};
    EXPECT_EQ(Run({[&] { shown = PickerTime(frmOptions->DateTimePickerExitWindows.Handle()); },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_EQ(shown.wHour, 7);
    EXPECT_EQ(shown.wMinute, 30);
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(7));
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(30));
}

TEST_F(OptionsTest, UnregisteredKeyFailsBeforeTheWindowShows) {
    Settings.Add("Enabled", vtBoolean, true); // the rest is missing
    EXPECT_EQ(support::MessageOf<EProgramSettingError>([&] { frmOptions->Execute(&Settings); }),
              "Invalid Key Name (ExitWindowsType)");
    EXPECT_FALSE(frmOptions->Visible());
    // The window is usable again afterwards.
    Load();
    EXPECT_EQ(Run({[] { PostClick(frmOptions->btnCancel.Handle()); }}), mrCancel);
}

TEST_F(OptionsTest, TimeWithSecondsStoresHourAndMinute) {
    Load();
    EXPECT_EQ(Run({[] {
                       SYSTEMTIME t = PickerTime(frmOptions->DateTimePickerExitWindows.Handle());
                       t.wHour = 7;
                       t.wMinute = 45;
                       t.wSecond = 30;
                       SendMessageA(frmOptions->DateTimePickerExitWindows.Handle(),
                                    DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
                   },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(7));
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(45));
}

TEST_F(OptionsTest, TimeStepsWithTheKeyboard) {
    Load("[Settings]\nHour=23\nMinute=59\n");
    // A click picks the hour field; Up steps it round past midnight and on, the minute stays.
    EXPECT_EQ(Run({[] { PostClick(frmOptions->DateTimePickerExitWindows.Handle(), 8, 10); },
                   [] { PostKey(frmOptions->DateTimePickerExitWindows.Handle(), VK_UP); },
                   [] { PostKey(frmOptions->DateTimePickerExitWindows.Handle(), VK_UP); },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(1));
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(59));
}

TEST_F(OptionsTest, WarningOfZeroOrLessIsStoredUnchanged) {
    for (const char* w : {"0", "-5"}) {
        SCOPED_TRACE(w);
        Load(std::string("[Settings]\nWarning=") + w + "\n");
        std::string shown;
        EXPECT_EQ(Run({[&] { shown = frmOptions->editWarning.Caption(); },
                       [] { PostClick(frmOptions->btnOk.Handle()); }}),
                  mrOk);
        EXPECT_EQ(shown, w);
        EXPECT_EQ(Settings.GetValue("Warning"), Variant(std::stod(w)));
    }
    // Typed by the user as well.
    Load();
    EXPECT_EQ(Run({[] {
                       frmOptions->editWarning.SetFocus();
                       SendMessageA(frmOptions->editWarning.Handle(), EM_SETSEL, 0, -1);
                       PostText(frmOptions->editWarning.Handle(), "-12");
                   },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_EQ(Settings.GetValue("Warning"), Variant(-12.0));
}

TEST_F(OptionsTest, TypedWarningThatIsNoWholeNumberKeepsTheLastValue) {
    Load();
    std::string whileTyped, afterLeaving;
    EXPECT_EQ(Run({[] {
                       frmOptions->editWarning.SetFocus();
                       SendMessageA(frmOptions->editWarning.Handle(), EM_SETSEL, 0, -1);
                       PostText(frmOptions->editWarning.Handle(), "9");
                   },
                   [] {
                       // "9" was whole; the fraction after it is not.
                       PostText(frmOptions->editWarning.Handle(), ".5x");
                   },
                   [&] {
                       whileTyped = frmOptions->editWarning.Caption();
                       EXPECT_EQ(frmOptions->editWarning.Value(), 9.0);
                       PostKey(GetFocus(), VK_TAB);
                   },
                   [&] { afterLeaving = frmOptions->editWarning.Caption(); },
                   [] { PostClick(frmOptions->btnOk.Handle()); }}),
              mrOk);
    EXPECT_EQ(whileTyped, "9.5x");
    EXPECT_EQ(afterLeaving, "9") << "the text gives way to the value when the focus leaves";
    EXPECT_EQ(Settings.GetValue("Warning"), Variant(9.0));
    Settings.Save();
    EXPECT_EQ(IniValue("Warning"), "9");
}

TEST_F(OptionsTest, CancelAfterChangingEveryControlChangesNothing) {
    Load("[Settings]\nEnabled=1\nExitWindowsType=1\nHour=6\nMinute=15\nWarning=30\n");
    WriteRunValue(TestTitle, std::string("keep me"));
    const TFive before = Five();
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        const int result = Run({
            [] { SendMessageA(frmOptions->cbAutoRun.Handle(), BM_CLICK, 0, 0); },
            [] { SendMessageA(frmOptions->cbEnableSundown.Handle(), BM_CLICK, 0, 0); },
            [] { frmOptions->comboExitWindowsType.SetFocus(); },
            [] { PostKey(frmOptions->comboExitWindowsType.Handle(), VK_DOWN); },
            [] {
                EXPECT_EQ(frmOptions->comboExitWindowsType.ItemIndex(), 2);
                SYSTEMTIME t = PickerTime(frmOptions->DateTimePickerExitWindows.Handle());
                t.wHour = 1;
                SendMessageA(frmOptions->DateTimePickerExitWindows.Handle(), DTM_SETSYSTEMTIME,
                             GDT_VALID, reinterpret_cast<LPARAM>(&t));
                frmOptions->editWarning.SetFocus();
                SendMessageA(frmOptions->editWarning.Handle(), EM_SETSEL, 0, -1);
                PostText(frmOptions->editWarning.Handle(), "99");
            },
            [] {
                EXPECT_FALSE(frmOptions->cbAutoRun.Checked());
                EXPECT_FALSE(frmOptions->cbEnableSundown.Checked());
                EXPECT_EQ(frmOptions->editWarning.Value(), 99.0);
            },
            [closeBox] {
                if (closeBox)
                    PostMessageA(frmOptions->Handle(), WM_CLOSE, 0, 0);
                else
                    PostClick(frmOptions->btnCancel.Handle());
            },
        });
        EXPECT_EQ(result, mrCancel);
        const TFive after = Five();
        EXPECT_EQ(after.Enabled, before.Enabled);
        EXPECT_EQ(after.ExitWindowsType, before.ExitWindowsType);
        EXPECT_EQ(after.Hour, before.Hour);
        EXPECT_EQ(after.Minute, before.Minute);
        EXPECT_EQ(after.Warning, before.Warning);
        EXPECT_EQ(ReadRunValue(TestTitle), std::string("keep me"));
    }
}

TEST_F(OptionsTest, ChangedControlsAreStoredOnOk) {
    Load();
    EXPECT_EQ(Run({
                  [] { SendMessageA(frmOptions->cbEnableSundown.Handle(), BM_CLICK, 0, 0); },
                  [] { frmOptions->comboExitWindowsType.SetFocus(); },
                  [] { PostKey(frmOptions->comboExitWindowsType.Handle(), VK_DOWN); },
                  [] { PostClick(frmOptions->editWarning.UpDownHandle(), 5, 2); },
                  [] { PostClick(frmOptions->btnOk.Handle()); },
              }),
              mrOk);
    EXPECT_EQ(Settings.GetValue("Enabled"), Variant(false));
    EXPECT_EQ(Settings.GetValue("ExitWindowsType"), Variant(1));
    EXPECT_EQ(Settings.GetValue("Warning"), Variant(61.0)) << "the up arrow adds one";
}

TEST_F(OptionsTest, FocusStartsOnCancelAndTabFollowsTheSentences) {
    Load();
    std::vector<HWND> focus;
    std::vector<std::function<void()>> steps;
    for (int i = 0; i < 8; ++i)
        steps.push_back([&] {
            focus.push_back(GetFocus());
            PostKey(GetFocus(), VK_TAB);
        });
    steps.push_back([] { frmOptions->SetModalResult(mrCancel); });
    EXPECT_EQ(Run(steps), mrCancel);
    TfrmOptions& f = *frmOptions;
    const std::vector<HWND> expected = {f.btnCancel.Handle(),
                                        f.btnOk.Handle(),
                                        f.cbAutoRun.Handle(),
                                        f.cbEnableSundown.Handle(),
                                        f.comboExitWindowsType.Handle(),
                                        f.DateTimePickerExitWindows.Handle(),
                                        f.editWarning.Handle(),
                                        f.btnCancel.Handle()};
    ASSERT_EQ(focus.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        // A control may hand the focus to a window of its own inside it.
        EXPECT_TRUE(focus[i] == expected[i] || GetParent(focus[i]) == expected[i]) << "stop " << i;
    }
}

// The arrow keys move among the controls that take input and never leave the focus on a label.
TEST_F(OptionsTest, ArrowsNeverLeaveTheFocusOnALabel) {
    Load();
    TfrmOptions& f = *frmOptions;
    const std::vector<TControl*> starts = {&f.cbAutoRun, &f.cbEnableSundown, &f.btnOk,
                                           &f.btnCancel};
    const std::vector<WPARAM> keys = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
    const std::vector<TControl*> labels = {&f.Label1, &f.Label2, &f.Label3};
    std::vector<std::function<void()>> steps;
    std::vector<std::string> landed;
    for (TControl* start : starts)
        for (WPARAM key : keys) {
            steps.push_back([start, key] {
                start->SetFocus();
                PostKey(start->Handle(), key);
            });
            steps.push_back([&, start, key] {
                TControl* got = TControl::FromHandle(GetFocus());
                if (std::find(labels.begin(), labels.end(), got) != labels.end())
                    landed.push_back(start->Caption() + " key " + std::to_string(key) + " -> " +
                                     got->Caption());
            });
        }
    steps.push_back([] { frmOptions->SetModalResult(mrCancel); });
    EXPECT_EQ(Run(steps), mrCancel);
    EXPECT_EQ(landed, std::vector<std::string>{});
}

TEST_F(OptionsTest, EscPressesNothingAndEnterOnlyTheFocusedButton) {
    Load();
    EXPECT_EQ(Run({
                  [] { PostKey(GetFocus(), VK_ESCAPE); }, // on Cancel: still nothing
                  [] {
                      EXPECT_TRUE(frmOptions->Visible());
                      frmOptions->editWarning.SetFocus();
                      PostKey(GetFocus(), VK_RETURN); // in the edit: no default button
                  },
                  [] {
                      EXPECT_TRUE(frmOptions->Visible());
                      PostKey(GetFocus(), VK_ESCAPE);
                  },
                  [] {
                      EXPECT_TRUE(frmOptions->Visible());
                      frmOptions->btnOk.SetFocus();
                      PostKey(GetFocus(), VK_RETURN);
                  },
              }),
              mrOk);
}

TEST_F(OptionsTest, ExecuteWhileOpenLeavesTheOpenRunAlone) {
    Load();
    TProgramSettings other;
    int inner = -1;
    EXPECT_EQ(Run({
                  [] { SendMessageA(frmOptions->cbEnableSundown.Handle(), BM_CLICK, 0, 0); },
                  [&] { inner = frmOptions->Execute(&other); },
                  [] { EXPECT_FALSE(frmOptions->cbEnableSundown.Checked()); },
                  [] { PostClick(frmOptions->btnOk.Handle()); },
              }),
              mrOk);
    EXPECT_EQ(inner, mrCancel);
    EXPECT_EQ(Settings.GetValue("Enabled"), Variant(false));
}

TEST_F(OptionsTest, EachRunStartsFromTheSettings) {
    Load();
    EXPECT_EQ(Run({[] { SendMessageA(frmOptions->cbEnableSundown.Handle(), BM_CLICK, 0, 0); },
                   [] { PostClick(frmOptions->btnCancel.Handle()); }}),
              mrCancel);
    bool checked = false;
    EXPECT_EQ(Run({[&] { checked = frmOptions->cbEnableSundown.Checked(); },
                   [] { PostClick(frmOptions->btnCancel.Handle()); }}),
              mrCancel);
    EXPECT_TRUE(checked) << "the cancelled change is gone";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
