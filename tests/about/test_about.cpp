// The About window on real windows, with the program's own version resource and the real system
// functions under Wine. Like the program, the test makes one main window and one About window
// that live through every test; the modal runs are driven from a timer inside their message
// loop, by posting the messages a user's input makes.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "about/frmAboutU.h"
#include "gui/Application.h"
#include "base/FormatDateTime.h"
#include "gui/Timer.h"
#include "system/OrbCommon.h"
#include "system/OrbSystemInfo.h"
#include "system/OrbVersionInfo.h"
#include "system/SystemInfoTestSupport.h"
#include "TestSupport.h"

namespace {

TForm* MainForm = nullptr;

using TStep = std::function<bool()>; // true: done, go on; false: ask again at the next tick

// Shows the About window modally and runs the steps one per timer tick, never while a report is
// being built. The last step is expected to end the run; a run that takes too long is ended.
int RunModal(std::vector<TStep> steps) {
    TTimer timer;
    timer.SetInterval(30);
    size_t next = 0;
    const DWORD start = GetTickCount();
    timer.OnTimer = [&](TObject*) {
        if (frmAbout->Gathering())
            return;
        if (GetTickCount() - start > 90000) {
            ADD_FAILURE() << "the modal run did not end; step " << next;
            frmAbout->SetModalResult(mrAbort);
            return;
        }
        if (next < steps.size() && steps[next]())
            ++next;
    };
    const int result = frmAbout->ShowModal();
    EXPECT_EQ(next, steps.size()) << "every step ran";
    return result;
}

void PostClick(HWND target, POINT at) {
    PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

// Selects a page as the user does: a click on its button.
void PostSelect(const TTabSheet& page) {
    const RECT r = frmAbout->PageControlMain.TabRect(page.PageIndex());
    PostClick(frmAbout->PageControlMain.Handle(),
              POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

TStep Select(const TTabSheet& page) {
    return [&page] {
        PostSelect(page);
        return true;
    };
}

TStep WaitFor(const TTabSheet& page) {
    return [&page] { return frmAbout->PageControlMain.ActivePage() == &page; };
}

TStep Check(std::function<void()> check) {
    return [check] {
        check();
        return true;
    };
}

TStep PressOK() {
    return [] {
        PostClick(frmAbout->OKBtn.Handle(), POINT{5, 5});
        return true;
    };
}

std::vector<std::string> Paragraphs(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

std::vector<std::string> Entries(const TStringList& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back(list[i]);
    return entries;
}

// The lines of a list block: from the line after its heading (and "---") up to the two empty
// lines that end it.
std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& heading,
                               bool dashes) {
    auto it = std::find(lines.begin(), lines.end(), heading);
    if (it == lines.end()) {
        ADD_FAILURE() << "no heading " << heading;
        return {};
    }
    ++it;
    if (dashes) {
        EXPECT_EQ(it != lines.end() ? *it : "", "---") << heading;
        ++it;
    }
    std::vector<std::string> block;
    while (it != lines.end() && !(it->empty() && it + 1 != lines.end() && (it + 1)->empty()))
        block.push_back(*it++);
    EXPECT_TRUE(it != lines.end()) << "the block under " << heading << " ends in two empty lines";
    return block;
}

CHARFORMAT2A FormatOfLine(const std::string& line) {
    TRichEdit& edit = frmAbout->SystemInformation;
    FINDTEXTEXA find{};
    find.chrg = {0, -1};
    find.lpstrText = line.c_str();
    const LRESULT at = SendMessageA(edit.Handle(), EM_FINDTEXTEX, 1 /* FR_DOWN */,
                                    reinterpret_cast<LPARAM>(&find));
    EXPECT_GE(at, 0) << line;
    CHARRANGE r{static_cast<LONG>(at), static_cast<LONG>(at) + 1};
    SendMessageA(edit.Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2A cf{};
    cf.cbSize = sizeof(cf);
    SendMessageA(edit.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    EXPECT_EQ(edit.ParagraphAlignment(static_cast<int>(at)), taCenter) << line;
    return cf;
}

// Watches the progress dialog's bar and window while reports are built.
struct TProgressWatch {
    std::vector<int> Positions;
    int Shown = 0;
    HWND Owner = nullptr;
    std::string Caption;
    std::string Text;
    bool CancelVisible = false;

    static TProgressWatch* Current;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && Current && m->message == PBM_SETPOS) {
            HWND dialog = GetAncestor(m->hwnd, GA_ROOT);
            char name[64] = {};
            GetClassNameA(dialog, name, sizeof name);
            if (std::string(name) == "TJvProgressDialog") {
                Current->Positions.push_back(static_cast<int>(m->wParam));
                if (IsWindowVisible(dialog) && Current->Caption.empty()) {
                    ++Current->Shown;
                    Current->Owner = GetWindow(dialog, GW_OWNER);
                    char text[128] = {};
                    GetWindowTextA(dialog, text, sizeof text);
                    Current->Caption = text;
                    GetWindowTextA(FindWindowExA(dialog, nullptr, "TLabel", nullptr), text,
                                   sizeof text);
                    Current->Text = text;
                    Current->CancelVisible =
                        IsWindowVisible(FindWindowExA(dialog, nullptr, "BUTTON", nullptr));
                }
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    TProgressWatch()
        : FHook(SetWindowsHookExA(WH_CALLWNDPROC, &Hook, nullptr, GetCurrentThreadId())) {
        Current = this;
    }
    ~TProgressWatch() {
        Current = nullptr;
        UnhookWindowsHookEx(FHook);
    }
    TProgressWatch(const TProgressWatch&) = delete;
    TProgressWatch& operator=(const TProgressWatch&) = delete;
    int Builds() const {
        return static_cast<int>(std::count(Positions.begin(), Positions.end(), 100));
    }

private:
    HHOOK FHook;
};
TProgressWatch* TProgressWatch::Current = nullptr;

bool ProgressDialogExists() {
    return FindWindowA("TJvProgressDialog", nullptr) != nullptr;
}

std::string ReportText() {
    return frmAbout->SystemInformation.Text();
}

} // namespace

TEST(AboutWindow, LayoutCaptionsAndTheVersionFromTheResource) {
    TfrmAbout& f = *frmAbout;
    EXPECT_EQ(f.Caption(), "About");
    EXPECT_EQ(f.BorderStyle(), bsNone);
    EXPECT_FALSE(GetWindowLongA(f.Handle(), GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(f.ClientWidth(), 389);
    EXPECT_EQ(f.ClientHeight(), 435);
    EXPECT_EQ(f.Position(), poDesktopCenter);
    EXPECT_EQ(f.Font().Name(), "Arial");
    EXPECT_EQ(f.Font().Height(), -11);

    auto bounds = [](const TControl& c) {
        return std::vector<int>{c.Left(), c.Top(), c.Width(), c.Height()};
    };
    using B = std::vector<int>;
    EXPECT_EQ(bounds(f.pnlMain), (B{0, 0, 389, 435}));
    EXPECT_EQ(f.pnlMain.BevelOuter(), bvRaised);
    EXPECT_EQ(f.pnlMain.BevelInner(), bvLowered);
    EXPECT_EQ(f.pnlMain.BorderWidth(), 5);
    EXPECT_EQ(bounds(f.pnlBottom), (B{7, 392, 375, 36}));
    EXPECT_EQ(bounds(f.PageControlMain), (B{7, 7, 375, 385}));
    EXPECT_EQ(bounds(f.Bevel), (B{0, 0, 375, 9}));
    EXPECT_EQ(f.Bevel.Shape(), bsTopLine);
    EXPECT_EQ(bounds(f.OKBtn), (B{286, 8, 75, 25}));
    EXPECT_EQ(f.OKBtn.Caption(), "OK");
    EXPECT_TRUE(f.OKBtn.Default());
    EXPECT_EQ(f.OKBtn.ModalResult(), mrOk);

    // The pages and their flat buttons.
    EXPECT_EQ(f.PageControlMain.Style(), tsFlatButtons);
    EXPECT_TRUE(GetWindowLongA(f.PageControlMain.Handle(), GWL_STYLE) & TCS_FLATBUTTONS);
    ASSERT_EQ(f.PageControlMain.PageCount(), 3);
    const char* captions[3] = {"About", "Version History", "System Information"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.PageControlMain.Pages(i)->Caption(), captions[i]);
        EXPECT_EQ(f.PageControlMain.Pages(i)->ImageIndex(), i);
    }
    EXPECT_EQ(f.PageControlMain.Pages(2), &f.tabSystemInformation);
    EXPECT_EQ(f.PageControlMain.Images(), &f.ImageListAbout);
    EXPECT_EQ(f.ImageListAbout.Count(), 3);
    EXPECT_EQ(f.ImageListAbout.Width(), 20);

    // The About page: picture, version over it, credits over its lower part.
    EXPECT_EQ(bounds(f.imgAbout), (B{8, 8, 350, 350}));
    EXPECT_EQ(f.imgAbout.PictureWidth(), 350);
    EXPECT_EQ(f.imgAbout.PictureHeight(), 350);
    BITMAP picture{};
    GetObjectA(f.imgAbout.Bitmap(), sizeof picture, &picture);
    EXPECT_EQ(picture.bmBitsPixel, 24);
    EXPECT_EQ(bounds(f.lblVersionDetails), (B{244, 84, 108, 14}));
    EXPECT_EQ(f.lblVersionDetails.Alignment(), taRightJustify);
    EXPECT_TRUE(f.lblVersionDetails.Transparent());
    EXPECT_FALSE(f.lblVersionDetails.AutoSize());
    EXPECT_FALSE(f.lblVersionDetails.ParentFont());
    EXPECT_EQ(f.lblVersionDetails.Font().Name(), "Arial");
    EXPECT_EQ(f.lblVersionDetails.Caption(), "1.0.1.5") << "the resource's FileVersion text";
    TOrbVersionInfo version;
    version.SetActive(true);
    EXPECT_EQ(f.lblVersionDetails.Caption(), version.GetItem(3));
    EXPECT_EQ(bounds(f.ScrollText), (B{8, 280, 350, 65}));
    // The label and the credits lie over the picture.
    bool pictureSeen = false, labelAbove = false, creditsAbove = false;
    for (HWND h = GetWindow(f.tabAbout.Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == f.imgAbout.Handle())
            pictureSeen = true;
        labelAbove = labelAbove || (h == f.lblVersionDetails.Handle() && !pictureSeen);
        creditsAbove = creditsAbove || (h == f.ScrollText.Handle() && !pictureSeen);
    }
    EXPECT_TRUE(labelAbove);
    EXPECT_TRUE(creditsAbove);

    // The credits: 18 lines in the fixed structure.
    EXPECT_EQ(f.ScrollText.Alignment(), taCenter);
    EXPECT_EQ(f.ScrollText.BackgroundColor(), clWhite);
    EXPECT_FALSE(f.ScrollText.WordWrap());
    EXPECT_EQ(f.ScrollText.Font().Name(), "Arial");
    EXPECT_EQ(f.ScrollText.Font().Height(), -11);
    EXPECT_EQ(f.ScrollText.ScrollPixels(), 1);
    EXPECT_EQ(f.ScrollText.Delay(), 50u);
    EXPECT_EQ(f.ScrollText.ScrollDirection(), drFromBottom);
    const std::vector<std::string>& items = f.ScrollText.Items();
    ASSERT_EQ(items.size(), 18u);
    EXPECT_EQ(items[1], "-------");
    for (int i : {2, 6, 10})
        EXPECT_EQ(items[i], "") << i;
    for (int i : {4, 8, 12})
        EXPECT_EQ(items[i], "---") << i;
    for (int i : {5, 9}) {
        EXPECT_NE(items[i].find(" : "), std::string::npos) << items[i];
        EXPECT_NE(items[i].find(" : "), 0u);
    }
    for (int i = 13; i < 18; ++i)
        EXPECT_TRUE(std::regex_match(items[i], std::regex(R"([a-z0-9.-]+\.[a-z]+(/[\w/-]+)?)")))
            << items[i];

    // The other pages.
    EXPECT_EQ(f.VersionHistory.Text(), "Version 1.0.1.1\r\n---\r\nFirst Release");
    EXPECT_TRUE(f.VersionHistory.ReadOnly());
    EXPECT_TRUE(f.VersionHistory.WordWrap());
    EXPECT_EQ(f.VersionHistory.ScrollBars(), ssVertical);
    EXPECT_EQ(f.VersionHistory.ParagraphAlignment(0), taCenter);
    EXPECT_EQ(f.VersionHistory.ParagraphAlignment(30), taCenter);
    EXPECT_EQ(f.VersionHistory.Align(), alClient);
    EXPECT_TRUE(f.SystemInformation.ReadOnly());
    EXPECT_FALSE(f.SystemInformation.WordWrap());
    EXPECT_EQ(f.SystemInformation.ScrollBars(), ssVertical);
    EXPECT_EQ(f.SystemInformation.Alignment(), taCenter);
}

TEST(AboutWindow, EachShowingOpensOnAboutAndRestartsTheCredits) {
    TfrmAbout& f = *frmAbout;
    EXPECT_EQ(RunModal({
                  Check([&] {
                      EXPECT_TRUE(f.Visible());
                      EXPECT_EQ(f.PageControlMain.ActivePage(), &f.tabAbout);
                      EXPECT_TRUE(f.ScrollText.Active());
                      EXPECT_LE(f.ScrollText.Position(), 65);
                      EXPECT_GT(f.ScrollText.Position(), 50) << "just started below the edge";
                      RECT r{};
                      GetWindowRect(f.Handle(), &r);
                      EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
                      EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
                  }),
                  [&] { return f.ScrollText.Position() < 55; }, // the credits move
                  Select(f.tabVersionHistory),
                  WaitFor(f.tabVersionHistory),
                  Check([&] {
                      EXPECT_TRUE(f.VersionHistory.Visible());
                      EXPECT_FALSE(f.imgAbout.Visible() && IsWindowVisible(f.imgAbout.Handle()));
                  }),
                  PressOK(),
              }),
              mrOk);
    EXPECT_FALSE(f.Visible());
    EXPECT_TRUE(f.ScrollText.Active()) << "the credits are not stopped when the window hides";

    // Esc does nothing (no Cancel button); Enter presses OK, the default button.
    EXPECT_EQ(RunModal({
                  Check([&] {
                      EXPECT_EQ(f.PageControlMain.ActivePage(), &f.tabAbout)
                          << "opens on About whatever page was left active";
                      EXPECT_GT(f.ScrollText.Position(), 50) << "the credits start anew";
                  }),
                  Check([] {
                      PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
                      PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
                  }),
                  Check([&] { EXPECT_TRUE(f.Visible()); }),
                  Check([] {
                      PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
                      PostMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 0xC0000001);
                  }),
              }),
              mrOk);
}

TEST(AboutWindow, TheReportInItsOrderLabelsAndStyles) {
    TfrmAbout& f = *frmAbout;
    TProgressWatch watch;
    std::string text;
    int selStart = -1, firstVisible = -1;
    EXPECT_EQ(RunModal({
                  Select(f.tabSystemInformation),
                  WaitFor(f.tabSystemInformation),
                  Check([&] {
                      text = ReportText();
                      selStart = f.SystemInformation.SelStart();
                      firstVisible = static_cast<int>(
                          f.SystemInformation.Perform(EM_GETFIRSTVISIBLELINE, 0, 0));
                      EXPECT_FALSE(ProgressDialogExists()) << "the dialog is freed";
                  }),
                  PressOK(),
              }),
              mrOk);
    EXPECT_EQ(selStart, 0);
    EXPECT_EQ(firstVisible, 0) << "the view shows the title";

    // The progress shown meanwhile.
    EXPECT_EQ(watch.Shown, 1);
    EXPECT_EQ(watch.Caption, "System Information");
    EXPECT_EQ(watch.Text, "Gathering System Information...");
    EXPECT_FALSE(watch.CancelVisible);
    EXPECT_EQ(watch.Owner, f.Handle());
    std::vector<int> positions = watch.Positions;
    positions.erase(std::remove(positions.begin(), positions.end(), 0), positions.end());
    EXPECT_EQ(positions, (std::vector<int>{5, 10, 20, 30, 40, 50, 60, 70, 90, 100}));

    const std::vector<std::string> lines = Paragraphs(text);
    ASSERT_GT(lines.size(), 40u);
    TOrbVersionInfo version;
    version.SetActive(true);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::vector<std::string> head = {
        "System Information",
        "",
        "Application Details",
        "---",
        "Program Folder: " + GetProgramFolder(),
        std::string("Working Folder: ") + cwd,
        "Product: sundown",
        "Company: " + version.GetItem(1),
        "Version: 1.0.1.5",
        "Copyright: " + version.GetItem(5),
        "",
        "System Details",
        "---",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 13), head);
    EXPECT_NE(version.GetItem(1), "");

    const std::string sep(1, FormatSettings().TimeSeparator);
    const std::vector<std::pair<std::string, std::string>> details = {
        {"CPU: ", std::regex_replace(GetCPUVendor() + " " + GetCPUIdentifier(),
                                     std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                      R"( \S+ [MG]Hz)"},
        {"OS: ", std::regex_replace(GetOSName(), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)")},
        {"IE: ",
         std::regex_replace(GetIEVersion(), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)")},
        {"Uptime: ", R"(\d+ Days \d+ Hours \d+ Minutes \d+ Seconds)"},
        {"System Date: ", R"(\S+ \d\d, \S+, \d{4})"},
        {"System Time: ", R"(\d\d)" + sep + R"(\d\d)" + sep + R"(\d\d (AM|PM))"},
        {"Default Language: ", ".+"},
        {"Memory Load: ", R"(\d{1,3}%)"},
        {"Total Physical Memory: ", R"(\d+Mb)"},
        {"Free Physical Memory: ", R"(\d+Mb)"},
        {"Total Page File Memory: ", R"(\d+Mb)"},
        {"Free Page File Memory: ", R"(\d+Mb)"},
        {"Total Virtual Memory: ", R"(\d+Mb)"},
        {"Free Virtual Memory: ", R"(\d+Mb)"},
        {"Windows Folder: ", ".*"},
        {"System Folder: ", ".*"},
        {"Temp Folder: ", ".*"},
        {"Network: ", "True|False"},
        {"Sound Card: ", "True|False"},
    };
    for (size_t i = 0; i < details.size(); ++i) {
        const std::string& line = lines[13 + i];
        const std::string& label = details[i].first;
        ASSERT_EQ(line.substr(0, label.size()), label) << line;
        EXPECT_TRUE(std::regex_match(line.substr(label.size()), std::regex(details[i].second)))
            << line;
    }
    EXPECT_EQ(lines[27], "Windows Folder: " + GetWindowsFolder());
    EXPECT_EQ(lines[28], "System Folder: " + GetSystemFolder());
    EXPECT_EQ(lines[29], "Temp Folder: " + GetTempFolder());
    EXPECT_EQ(lines[30], std::string("Network: ") + (HasNetwork() ? "True" : "False"));
    EXPECT_EQ(lines[31], std::string("Sound Card: ") + (HasSoundCard() ? "True" : "False"));
    EXPECT_EQ(lines[19], "Default Language: " + GetDefaultLanguage());
    EXPECT_EQ(lines[32], "");
    EXPECT_EQ(lines[33], "Shell Folders") << "the lists follow directly";

    // The lists, each under its heading.
    EXPECT_EQ(Block(lines, "Shell Folders", false), Entries(GetShellFolders()));
    EXPECT_FALSE(Block(lines, "Shell Folders", false).empty()) << "Wine has shell folders";
    EXPECT_EQ(Block(lines, "Drive Details", true), Entries(GetDriveList()));
    EXPECT_EQ(Block(lines, "Printer Details", true), Entries(GetPrinterList()));
    EXPECT_EQ(Block(lines, "Modem Details", true), Entries(GetModemList()));
    const std::vector<std::string> windows = Block(lines, "Active Processes", true);
    EXPECT_EQ(std::find(windows.begin(), windows.end(), "System Information"), windows.end())
        << "the progress dialog is shown, not hidden, when the windows are listed";
    EXPECT_EQ(Block(lines, "Installed Software", true), Entries(GetInstalledSoftware()));
    const std::vector<std::string> headings = {"Shell Folders",    "Drive Details",
                                               "Printer Details",  "Modem Details",
                                               "Active Processes", "Installed Software"};
    size_t previous = 0;
    for (const std::string& h : headings) {
        const size_t at = std::find(lines.begin(), lines.end(), h) - lines.begin();
        EXPECT_GT(at, previous) << h << " in order";
        EXPECT_EQ(lines[at - 1], "") << h;
        if (h != headings.front()) {
            EXPECT_EQ(lines[at - 2], "") << "two empty lines before " << h;
        }
        previous = at;
    }
    // The report ends in the installed-software block's two empty lines.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 1], "");
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines[lines.size() - 3], "");

    // Typography: title, headings and body lines, every paragraph centred.
    const CHARFORMAT2A title = FormatOfLine("System Information");
    EXPECT_STREQ(title.szFaceName, "Arial");
    EXPECT_EQ(title.yHeight, 14 * 20);
    EXPECT_TRUE(title.dwEffects & CFE_BOLD);
    EXPECT_EQ(title.crTextColor & 0xFFFFFF, RGB(255, 0, 0));
    for (const char* h : {"Application Details", "System Details", "Installed Software"}) {
        const CHARFORMAT2A heading = FormatOfLine(h);
        EXPECT_STREQ(heading.szFaceName, "Arial") << h;
        EXPECT_EQ(heading.yHeight, 12 * 20) << h;
        EXPECT_TRUE(heading.dwEffects & CFE_BOLD) << h;
        EXPECT_FALSE(heading.dwEffects & CFE_AUTOCOLOR) << h;
        EXPECT_EQ(heading.crTextColor & 0xFFFFFF, RGB(0, 0, 128)) << h;
    }
    for (const char* b : {"Program Folder: ", "Memory Load: ", "Sound Card: "}) {
        const CHARFORMAT2A body = FormatOfLine(b);
        EXPECT_STREQ(body.szFaceName, "Arial") << b;
        EXPECT_EQ(body.yHeight, 8 * 20) << b;
        EXPECT_FALSE(body.dwEffects & (CFE_BOLD | CFE_ITALIC)) << b;
        EXPECT_TRUE(body.dwEffects & CFE_AUTOCOLOR) << b;
    }
}

TEST(AboutWindow, OnlySelectingSystemInformationBuildsTheReportAndEachSelectionBuildsAnew) {
    TfrmAbout& f = *frmAbout;
    TProgressWatch watch;
    const std::string marker = "a line the next build must clear";
    EXPECT_EQ(
        RunModal({
            Select(f.tabSystemInformation),
            WaitFor(f.tabSystemInformation),
            Check([&] {
                EXPECT_EQ(watch.Builds(), 1);
                AddRichText(f.SystemInformation, marker, "Arial", clWindowText, fsNone, 8, true);
            }),
            Select(f.tabAbout),
            WaitFor(f.tabAbout),
            Select(f.tabVersionHistory),
            WaitFor(f.tabVersionHistory),
            Check([&] {
                EXPECT_EQ(watch.Builds(), 1) << "other pages build nothing";
                EXPECT_NE(ReportText().find(marker), std::string::npos);
            }),
            Select(f.tabSystemInformation),
            WaitFor(f.tabSystemInformation),
            Check([&] {
                EXPECT_EQ(watch.Builds(), 2);
                const std::string text = ReportText();
                EXPECT_EQ(text.find(marker), std::string::npos) << "cleared first";
                EXPECT_EQ(text.rfind("System Information\r\n", 0), 0u);
                EXPECT_EQ(Count(Paragraphs(text), "Application Details"), 1);
                AddRichText(f.SystemInformation, marker, "Arial", clWindowText, fsNone, 8, true);
            }),
            PressOK(),
        }),
        mrOk);
    // The report stays between showings until the page is selected again.
    EXPECT_EQ(RunModal({
                  Check([&] {
                      EXPECT_EQ(f.PageControlMain.ActivePage(), &f.tabAbout);
                      EXPECT_NE(ReportText().find(marker), std::string::npos);
                      EXPECT_EQ(watch.Builds(), 2) << "showing the window builds nothing";
                  }),
                  Select(f.tabSystemInformation),
                  WaitFor(f.tabSystemInformation),
                  Check([&] {
                      EXPECT_EQ(watch.Builds(), 3);
                      EXPECT_EQ(ReportText().find(marker), std::string::npos);
                  }),
                  PressOK(),
              }),
              mrOk);
}

TEST(AboutWindow, ASelectionWhileTheReportIsBuiltDoesNotStartASecondBuild) {
    TfrmAbout& f = *frmAbout;
    TProgressWatch watch;
    EXPECT_EQ(RunModal({
                  Check([&] {
                      // All three clicks wait in the queue; the build handles the last two.
                      PostSelect(f.tabSystemInformation);
                      PostSelect(f.tabAbout);
                      PostSelect(f.tabSystemInformation);
                  }),
                  [&] { return watch.Builds() >= 1; },
                  Check([&] {
                      EXPECT_EQ(f.PageControlMain.ActivePage(), &f.tabSystemInformation);
                      const std::vector<std::string> lines = Paragraphs(ReportText());
                      EXPECT_EQ(lines.front(), "System Information");
                      EXPECT_EQ(Count(lines, "Application Details"), 1);
                      EXPECT_EQ(Count(lines, "Installed Software"), 1);
                      EXPECT_EQ(Count(lines, "Product: sundown"), 1);
                  }),
                  PressOK(),
              }),
              mrOk);
    EXPECT_EQ(watch.Builds(), 1);
    EXPECT_FALSE(f.Gathering());
}

TEST(AboutWindow, AFailingSourceEndsTheBuildWithAnErrorBoxAndFreesTheDialog) {
    TfrmAbout& f = *frmAbout;
    support::TBoxRecorder boxes;
    TSystemInfoApi failing = RealSystemInfoApi();
    failing.GetWindowsDirectoryA = [](char*, UINT) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0u;
    };
    const TSystemInfoApi before = SetSystemInfoApi(failing);
    std::string text;
    EXPECT_EQ(RunModal({
                  Select(f.tabSystemInformation),
                  WaitFor(f.tabSystemInformation),
                  [&] { return !boxes.empty(); },
                  Check([&] {
                      text = ReportText();
                      EXPECT_FALSE(ProgressDialogExists());
                      EXPECT_EQ(f.PageControlMain.ActivePage(), &f.tabSystemInformation);
                      SetSystemInfoApi(before);
                  }),
                  Select(f.tabAbout),
                  Select(f.tabSystemInformation),
                  [&] { return ReportText().find("Installed Software") != std::string::npos; },
                  PressOK(),
              }),
              mrOk);
    SetSystemInfoApi(before);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, Application().Title());
    EXPECT_FALSE(boxes[0].Text.empty()) << "the system's message";
    const std::vector<std::string> lines = Paragraphs(text);
    EXPECT_EQ(Count(lines, "System Details"), 1);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].rfind("Free Virtual Memory: ", 0), 0u)
        << "the lines before the failing one stay";
    EXPECT_EQ(text.find("Windows Folder"), std::string::npos);
    EXPECT_FALSE(f.Gathering());
}

TEST(AboutWindow, TheLeftButtonOnThePictureOrTheFrameDragsTheWindow) {
    TfrmAbout& f = *frmAbout;
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    f.SetMessageHandler(WM_SYSCOMMAND,
                        [&](TMessage& m) { commands.emplace_back(m.WParam, m.LParam); });
    auto press = [](const TControl& c, UINT msg, WPARAM keys) {
        SetCapture(c.Handle());
        SendMessageA(c.Handle(), msg, keys, MAKELPARAM(3, 3));
        const bool released = GetCapture() == nullptr;
        ReleaseCapture();
        return released;
    };
    using C = std::vector<std::pair<WPARAM, LPARAM>>;
    EXPECT_TRUE(press(f.imgAbout, WM_LBUTTONDOWN, MK_LBUTTON)) << "the capture is released";
    EXPECT_EQ(commands, (C{{0xF012, 0}}));
    EXPECT_TRUE(press(f.pnlMain, WM_LBUTTONDOWN, MK_LBUTTON));
    EXPECT_EQ(commands, (C{{0xF012, 0}, {0xF012, 0}}));
    commands.clear();
    press(f.imgAbout, WM_RBUTTONDOWN, MK_RBUTTON);
    press(f.imgAbout, WM_MBUTTONDOWN, MK_MBUTTON);
    press(f.pnlMain, WM_RBUTTONDOWN, MK_RBUTTON);
    press(f.lblVersionDetails, WM_LBUTTONDOWN, MK_LBUTTON);
    press(f.ScrollText, WM_LBUTTONDOWN, MK_LBUTTON);
    press(f.pnlBottom, WM_LBUTTONDOWN, MK_LBUTTON);
    press(f.tabAbout, WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_TRUE(commands.empty()) << "other buttons and other controls move nothing";
    f.SetMessageHandler(WM_SYSCOMMAND, nullptr);
}

TEST(AboutWindow, AllTheFormsHandlersCanRunAgain) {
    // FormCreate again reads the version afresh into the label and returns to the first page.
    TfrmAbout& f = *frmAbout;
    f.lblVersionDetails.SetCaption("0.0.0.0");
    f.PageControlMain.SetActivePage(&f.tabVersionHistory);
    f.FormCreate(&f);
    EXPECT_EQ(f.lblVersionDetails.Caption(), "1.0.1.5");
    EXPECT_EQ(f.PageControlMain.ActivePage(), &f.tabAbout);
    // OK's handler sets the result itself, whatever the button carries.
    f.OKBtnClick(&f.OKBtn);
    EXPECT_EQ(f.ModalResult(), mrOk);
}

TEST(AboutWindow, ARealDragWithTheMouseMovesTheWindow) {
    TfrmAbout& f = *frmAbout;
    RECT before{}, after{};
    auto input = [](DWORD flags, int x, int y) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        SendInput(1, &in, sizeof in);
    };
    POINT start{100, 100};
    EXPECT_EQ(RunModal({
                  Check([&] {
                      GetWindowRect(f.Handle(), &before);
                      ClientToScreen(f.imgAbout.Handle(), &start);
                      input(0, start.x, start.y);
                      input(MOUSEEVENTF_LEFTDOWN, start.x, start.y);
                      for (int i = 1; i <= 4; ++i)
                          input(0, start.x + 10 * i, start.y + 8 * i);
                      input(MOUSEEVENTF_LEFTUP, start.x + 40, start.y + 32);
                  }),
                  [&, tries = 0]() mutable {
                      GetWindowRect(f.Handle(), &after);
                      return after.left != before.left || ++tries > 60;
                  },
                  PressOK(),
              }),
              mrOk);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 32);
    // Put it back where the other tests expect it.
    SetWindowPos(f.Handle(), nullptr, before.left, before.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// A key chord typed for real: the modifiers go down first and up last.
void Type(std::vector<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD k : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        in.push_back(i);
    }
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *k;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

TStep Press(std::vector<WORD> keys) {
    return [keys] {
        Type(keys);
        return true;
    };
}

// Writes a registry value in the chosen view and deletes the key it made when it goes.
class HostileValue {
public:
    HostileValue(HKEY Root, std::string Path, const char* Name, DWORD Type, const void* Data,
                 DWORD Size, REGSAM View = 0)
        : FRoot(Root), FPath(std::move(Path)), FView(View) {
        HKEY key = nullptr;
        RegCreateKeyExA(FRoot, FPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | FView, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, Name, 0, Type, static_cast<const BYTE*>(Data), Size);
        RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        RegCloseKey(key);
    }
    ~HostileValue() { RegDeleteKeyExA(FRoot, FPath.c_str(), FView, 0); }
    HostileValue(const HostileValue&) = delete;
    HostileValue& operator=(const HostileValue&) = delete;

private:
    HKEY FRoot;
    std::string FPath;
    REGSAM FView;
};

} // namespace

// Data another program left behind, or a system that refuses a folder, costs at most its own
// line: the report always reaches its last block.
TEST(AboutWindow, HostileSystemDataStillGivesTheWholeReport) {
    TfrmAbout& f = *frmAbout;
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const char binary[] = {1, 2, 3};
    const std::string longTmp = "C:\\" + std::string(300, 't');
    struct Case {
        const char* Name;
        std::function<std::shared_ptr<void>()> Make; // the hostile data while the result lives
        const char* Line;                            // a line the report then holds
    };
    using sysinfo_test::ValueGuard;
    const std::vector<Case> cases = {
        {"a shell folder of binary data",
         [&] {
             auto v = std::make_shared<ValueGuard>(
                 HKEY_CURRENT_USER,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 "Sundown Hostile");
             v->Set(REG_BINARY, binary, sizeof binary);
             return v;
         },
         "Drive Details"},
        {"a modem description of binary data",
         [&] {
             auto key = std::make_shared<sysinfo_test::KeyGuard>(HKEY_LOCAL_MACHINE,
                                                                 "Enum\\Root\\Modem\\0000");
             ValueGuard(HKEY_LOCAL_MACHINE, "Enum\\Root\\Modem\\0000", "DeviceDesc")
                 .Set(REG_BINARY, binary, sizeof binary);
             return key;
         },
         "Active Processes"},
        {"a display name of binary data",
         [&] {
             return std::make_shared<HostileValue>(HKEY_LOCAL_MACHINE, uninstall + "SundownHostile",
                                                   "DisplayName", REG_BINARY, binary,
                                                   sizeof binary);
         },
         "Installed Software"},
        {"a TMP longer than a path",
         [&] {
             SetEnvironmentVariableA("TMP", longTmp.c_str());
             return std::shared_ptr<void>(nullptr,
                                          [](void*) { SetEnvironmentVariableA("TMP", nullptr); });
         },
         "Temp Folder: "},
        {"32-bit software",
         [&] {
             const char name[] = "Sundown Hostile 32-bit";
             return std::make_shared<HostileValue>(HKEY_LOCAL_MACHINE, uninstall + "SundownHostile",
                                                   "DisplayName", REG_SZ, name, sizeof name,
                                                   KEY_WOW64_32KEY);
         },
         "Sundown Hostile 32-bit"},
    };
    char tmpBefore[MAX_PATH] = {};
    const bool hadTmp = GetEnvironmentVariableA("TMP", tmpBefore, MAX_PATH) > 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::shared_ptr<void> hostile = c.Make();
        support::TBoxRecorder boxes;
        std::string text;
        EXPECT_EQ(RunModal({
                      Select(f.tabSystemInformation),
                      WaitFor(f.tabSystemInformation),
                      Check([&] { text = ReportText(); }),
                      PressOK(),
                  }),
                  mrOk);
        if (hadTmp)
            SetEnvironmentVariableA("TMP", tmpBefore);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{}) << "no error ended the report";
        const std::vector<std::string> lines = Paragraphs(text);
        EXPECT_EQ(Count(lines, c.Line), 1) << c.Line;
        EXPECT_EQ(Count(lines, "Installed Software"), 1);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3], "") << "the installed-software block is complete";
        EXPECT_EQ(f.SystemInformation.SelStart(), 0) << "the build went to its end";
    }
}

TEST(AboutWindow, TheKeyboardAloneTurnsThePagesAndBuildsTheReport) {
    TfrmAbout& f = *frmAbout;
    TProgressWatch watch;
    auto builds = [&](int n) { return [&, n] { return watch.Builds() == n; }; };
    EXPECT_EQ(RunModal({
                  Press({VK_CONTROL, VK_TAB}),
                  WaitFor(f.tabVersionHistory),
                  Press({VK_CONTROL, VK_TAB}),
                  WaitFor(f.tabSystemInformation),
                  builds(1),
                  Check([&] {
                      EXPECT_EQ(Paragraphs(ReportText()).front(), "System Information");
                      f.SystemInformation.SetFocus(); // from inside a page too
                  }),
                  Press({VK_CONTROL, VK_SHIFT, VK_TAB}),
                  WaitFor(f.tabVersionHistory),
                  Press({VK_CONTROL, VK_SHIFT, VK_TAB}),
                  WaitFor(f.tabAbout),
                  Press({VK_CONTROL, VK_SHIFT, VK_TAB}), // back past the first page: the last
                  WaitFor(f.tabSystemInformation),
                  builds(2),
                  Check([&] { f.PageControlMain.SetFocus(); }),
                  Press({VK_LEFT}),
                  WaitFor(f.tabVersionHistory),
                  Press({VK_UP}),
                  WaitFor(f.tabAbout),
                  Press({VK_LEFT}), // nothing before the first page
                  Press({VK_RIGHT}),
                  WaitFor(f.tabVersionHistory),
                  Check([&] {
                      EXPECT_EQ(watch.Builds(), 2) << "the arrow at the first page did nothing";
                  }),
                  Press({VK_DOWN}),
                  WaitFor(f.tabSystemInformation),
                  builds(3),
                  Press({VK_RETURN}), // OK, the default button
              }),
              mrOk);
    EXPECT_EQ(watch.Builds(), 3);
}

namespace {

// Counts the key releases the thread's message loop takes: once the release of a typed key has
// been taken, its press has been handled.
class TKeyUps {
public:
    TKeyUps() : FHook(SetWindowsHookExA(WH_GETMESSAGE, &Hook, nullptr, GetCurrentThreadId())) {}
    ~TKeyUps() { UnhookWindowsHookEx(FHook); }
    TKeyUps(const TKeyUps&) = delete;
    TKeyUps& operator=(const TKeyUps&) = delete;
    static int Count() { return FCount; }

private:
    static LRESULT CALLBACK Hook(int Code, WPARAM WParam, LPARAM LParam) {
        const auto* m = reinterpret_cast<const MSG*>(LParam);
        if (Code == HC_ACTION && WParam == PM_REMOVE && m->message == WM_KEYUP)
            ++FCount;
        return CallNextHookEx(nullptr, Code, WParam, LParam);
    }
    static inline int FCount = 0;
    HHOOK FHook;
};

} // namespace

// Tab reaches the page selector and goes on into the active page; the arrows never leave the
// focus on a window that only decorates (the line above OK, the picture, the labels).
TEST(AboutWindow, TheKeyboardReachesThePageSelectorAndNeverADecoration) {
    TfrmAbout& f = *frmAbout;
    TKeyUps keyUps;
    struct Case {
        const char* Name;
        TTabSheet* Page;
        TControl* Start;
        std::vector<WORD> Keys;
        TControl* Expected; // null: any control that takes input
    };
    const std::vector<Case> cases = {
        {"Tab on OK", &f.tabAbout, &f.OKBtn, {VK_TAB}, &f.PageControlMain},
        {"Tab past a page without stops", &f.tabAbout, &f.PageControlMain, {VK_TAB}, &f.OKBtn},
        {"Shift+Tab on the selector",
         &f.tabAbout,
         &f.PageControlMain,
         {VK_SHIFT, VK_TAB},
         &f.OKBtn},
        {"Tab into the page",
         &f.tabVersionHistory,
         &f.PageControlMain,
         {VK_TAB},
         &f.VersionHistory},
        {"Tab out of the page", &f.tabVersionHistory, &f.VersionHistory, {VK_TAB}, &f.OKBtn},
        {"Right on OK", &f.tabAbout, &f.OKBtn, {VK_RIGHT}, nullptr},
        {"Down on OK", &f.tabAbout, &f.OKBtn, {VK_DOWN}, nullptr},
        {"Left on OK", &f.tabAbout, &f.OKBtn, {VK_LEFT}, nullptr},
        {"Up on OK", &f.tabAbout, &f.OKBtn, {VK_UP}, nullptr},
    };
    const std::vector<TControl*> takeInput = {&f.OKBtn, &f.PageControlMain, &f.VersionHistory,
                                              &f.SystemInformation};
    std::vector<HWND> seen;
    std::vector<TStep> steps;
    int released = 0;
    for (const Case& c : cases) {
        steps.push_back(Check([&, c] {
            f.PageControlMain.SetActivePage(c.Page);
            c.Start->SetFocus();
            released = TKeyUps::Count() + static_cast<int>(c.Keys.size());
            Type(c.Keys);
        }));
        steps.push_back([&] {
            if (TKeyUps::Count() < released)
                return false;
            seen.push_back(GetFocus());
            return true;
        });
    }
    steps.push_back(Check([&] { f.SetModalResult(mrOk); }));
    EXPECT_EQ(RunModal(steps), mrOk);
    ASSERT_EQ(seen.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        TControl* got = TControl::FromHandle(seen[i]);
        if (c.Expected) {
            EXPECT_EQ(got, c.Expected) << c.Name;
        } else {
            EXPECT_NE(std::find(takeInput.begin(), takeInput.end(), got), takeInput.end())
                << c.Name << ": the focus went to a window of class " << [&] {
                       char name[64] = {};
                       GetClassNameA(seen[i], name, sizeof name);
                       return std::string(name);
                   }();
        }
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    Application().SetTitle("Sundown");
    Application().CreateForm(MainForm, "TfrmSundown");
    Application().CreateForm(frmAbout);
    const int result = RUN_ALL_TESTS();
    Application().DestroyForms();
    return result;
}
