// The update window: its make-up, the switch that loads the settings and starts the component,
// the Yes/No question, the error box, the status line and progress bar during a download, and
// the Cancel button. Message boxes go through the application's seam; the checks run from the
// component's own timer thread, against a server in the test process.
#include "UpdateFixture.h"

#include "gui/Application.h"
#include "update/frmAutoUpdateU.h"
#include "settings/ProgramKeys.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

class UpdateWindow : public UpdateFixture {
protected:
    void SetUp() override {
        UpdateFixture::SetUp();
        Settings.SetSettingsStore(ssINIFile);
        Settings.SetINIFileName(Temp + "settings.ini");
        RegisterAutoUpdateSettings(Settings);
        Settings.Load(); // no file: every value its default
        Settings.SetValue(key::AutoUpdateURL, Server.Url("/autoupdate.ini"));
        Form = std::make_unique<TfrmAutoUpdate>();
        Boxes.OnBox = [this](const support::TBox&) { ShownAtLastBox = Form && Form->Visible(); };
    }
    void TearDown() override {
        Form.reset();
        UpdateFixture::TearDown();
    }

    TProgramSettings Settings;
    std::unique_ptr<TfrmAutoUpdate> Form;
    support::TBoxRecorder Boxes{IDNO};
    bool ShownAtLastBox = false; // the window, as the last box came
};

TEST_F(UpdateWindow, MadeHiddenWithItsControls) {
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Form->Caption(), "Autoupdate");
    EXPECT_EQ(Form->ClientWidth(), 264);
    EXPECT_EQ(Form->ClientHeight(), 128);
    EXPECT_EQ(Form->BorderStyle(), bsNone);
    EXPECT_TRUE(GetWindowLongA(Form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Form->lblStatus.Caption(), "Please Wait...");
    EXPECT_EQ(Form->imgMain.PictureWidth(), 260);
    EXPECT_EQ(Form->imgMain.PictureHeight(), 30);
    EXPECT_EQ(Form->btnCancel.Caption(), "Cancel");
    EXPECT_TRUE(Form->btnCancel.HasGlyph());
    EXPECT_EQ(Form->btnCancel.GlyphWidth(), 16);
    EXPECT_EQ(Form->ProgressBar.Min(), 0);
    EXPECT_EQ(Form->ProgressBar.Max(), 100);
    EXPECT_TRUE(Form->ProgressBar.Smooth());
    EXPECT_EQ(Form->ProgressBar.Width(), 220);
    EXPECT_EQ(Form->btnCancel.TabOrder(), 0);
    EXPECT_EQ(Form->ProgressBar.TabOrder(), 1);
    EXPECT_FALSE(Form->AutoUpdateEnabled());
    ASSERT_NE(Form->Updater(), nullptr);
    EXPECT_FALSE(Form->Updater()->Active());
}

TEST_F(UpdateWindow, SwitchNeedsTheSettings) {
    for (bool value : {true, false}) {
        EXPECT_EQ(support::MessageOf<Exception>([&] { Form->SetAutoUpdateEnabled(value); }),
                  "TfrmAutoUpdate: Property \"ProgramSettings\" has not been assigned.");
    }
    EXPECT_FALSE(Form->AutoUpdateEnabled());
    EXPECT_EQ(Form->Updater()->ProgramSettings(), nullptr);
}

TEST_F(UpdateWindow, SwitchLoadsOnceAndStartsOneThread) {
    Settings.SetValue(key::AutoUpdateApplication, "first");
    Form->SetProgramSettings(&Settings);
    Form->SetAutoUpdateEnabled(true);
    EXPECT_TRUE(Form->AutoUpdateEnabled());
    EXPECT_EQ(Form->Updater()->ApplicationName(), "first");
    EXPECT_EQ(Form->Updater()->ProgramSettings(), &Settings);
    TTimerThread* thread = Form->Updater()->TimerThread();
    EXPECT_EQ(thread->IntervalHours(), 12);
    Settings.SetValue(key::AutoUpdateApplication, "second");
    Form->SetAutoUpdateEnabled(true); // already on: not loaded again
    EXPECT_EQ(Form->Updater()->ApplicationName(), "first");
    EXPECT_EQ(Form->Updater()->TimerThread(), thread);

    Form->SetAutoUpdateEnabled(false);
    EXPECT_FALSE(Form->AutoUpdateEnabled());
    EXPECT_EQ(Form->Updater()->ProgramSettings(), nullptr);
    Form->SetAutoUpdateEnabled(false);
    EXPECT_FALSE(Form->AutoUpdateEnabled());
}

TEST_F(UpdateWindow, StoredDisabledLoadsButStartsNothing) {
    Settings.SetValue(key::AutoUpdateEnabled, false);
    Settings.SetValue(key::AutoUpdateApplication, "first");
    Form->SetProgramSettings(&Settings);
    Form->SetAutoUpdateEnabled(true);
    EXPECT_FALSE(Form->AutoUpdateEnabled());
    EXPECT_EQ(Form->Updater()->ApplicationName(), "first");
    Settings.SetValue(key::AutoUpdateApplication, "second");
    Form->SetAutoUpdateEnabled(true); // loads again
    EXPECT_EQ(Form->Updater()->ApplicationName(), "second");
    EXPECT_FALSE(Form->AutoUpdateEnabled());

    // Keys never registered: the store's error reaches the caller; nothing starts.
    TProgramSettings empty;
    Form->SetProgramSettings(&empty);
    EXPECT_THROW(Form->SetAutoUpdateEnabled(true), EProgramSettingError);
    EXPECT_FALSE(Form->AutoUpdateEnabled());
}

TEST_F(UpdateWindow, AnsweringNoShowsDownloadCancelled) {
    OfferNewerVersion();
    Settings.SetValue(key::AutoUpdateAutomatic, true); // still asked
    std::vector<std::string> lines;
    Form->OnUpdateMessage = [&](TObject* sender, std::string m) {
        EXPECT_EQ(sender, Form->Updater());
        lines.push_back(m);
    };
    Form->SetProgramSettings(&Settings);
    Form->SetAutoUpdateEnabled(true); // the first check comes at once, on this thread
    ASSERT_TRUE(pump::WaitFor([&] { return Boxes.size() == 2; }));
    EXPECT_EQ(Boxes[0].Text,
              "Version 1.0.2.0 of \"sundown\" is available, would you like to update now?");
    EXPECT_EQ(Boxes[0].Caption, "Information");
    EXPECT_EQ(Boxes[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(Boxes[1].Text, "Download cancelled.");
    EXPECT_EQ(Boxes[1].Caption, "Error");
    EXPECT_EQ(Boxes[1].Flags & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(Boxes[1].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(ShownAtLastBox);
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Form->lblStatus.Caption(), "Download cancelled.");
    EXPECT_EQ(Form->ProgressBar.Position(), 100);
    EXPECT_EQ(lines.back(), "Download cancelled.");
    EXPECT_EQ(Server.Count("/setup.exe"), 0);
    pump::For(100);
    EXPECT_EQ(Boxes.size(), 2u); // nothing more until the interval has passed
}

TEST_F(UpdateWindow, DownloadShowsProgressAndCancelStopsIt) {
    // An installer that flows (work events all along) and one whose server says nothing at all:
    // Cancel acts long before either would end.
    const TTestReply slow =
        TTestReply::Slow(std::string(300000, 'x'), 3000, 100); // ten seconds in all
    TTestReply silent;
    silent.Raw = "HTTP/1.1 200 OK\r\n\r\n";
    silent.DelayMs = 10000;
    OfferNewerVersion();
    Boxes.Answer = IDYES;
    Form->SetProgramSettings(&Settings);
    for (const TTestReply& installer : {slow, silent}) {
        SCOPED_TRACE(installer.Raw.empty() ? "flowing" : "silent");
        Server.Set("/setup.exe", installer);
        Boxes.clear();
        bool visibleDuringDownload = false;
        std::string statusAtCancel;
        int positionAtCancel = -1;
        std::chrono::steady_clock::time_point clicked{};
        Form->OnUpdateMessage = [&](TObject*, std::string m) {
            if (m.rfind("Downloading: " + Server.Url("/setup.exe"), 0) == 0) {
                visibleDuringDownload = Form->Visible();
                // Pressed while the transfer runs: handled while it waits or reports.
                PostMessageA(Form->btnCancel.Handle(), BM_CLICK, 0, 0);
                clicked = std::chrono::steady_clock::now();
            }
            if (m == "Cancelling...") {
                statusAtCancel = Form->lblStatus.Caption();
                positionAtCancel = Form->ProgressBar.Position();
            }
        };
        Form->SetAutoUpdateEnabled(true);
        ASSERT_TRUE(pump::WaitFor([&] { return Boxes.size() == 2; }));
        EXPECT_LT(std::chrono::steady_clock::now() - clicked,
                  std::chrono::milliseconds(support::NoticeableMs));
        EXPECT_TRUE(visibleDuringDownload);
        EXPECT_EQ(statusAtCancel, "Cancelling...");
        EXPECT_EQ(positionAtCancel, 100);
        EXPECT_EQ(Boxes[1].Text, "Download cancelled.");
        EXPECT_FALSE(ShownAtLastBox);
        EXPECT_FALSE(Form->Visible());
        EXPECT_FALSE(FileThere(Temp + "setup.exe"));
        EXPECT_FALSE(Application().Terminated());
        Form->SetAutoUpdateEnabled(false);
    }
}

TEST_F(UpdateWindow, ProgramEndingDuringADownloadEndsItWithoutABox) {
    Server.Set("/setup.exe",
               TTestReply::Slow(std::string(300000, 'x'), 1000, 50)); // fifteen seconds in all
    OfferNewerVersion();
    Boxes.Answer = IDYES;
    std::vector<std::string> lines;
    std::chrono::steady_clock::time_point asked{};
    Form->OnUpdateMessage = [&](TObject*, std::string m) {
        lines.push_back(m);
        if (m.rfind("Downloading: " + Server.Url("/setup.exe"), 0) == 0) {
            asked = std::chrono::steady_clock::now();
            Application().Terminate(); // the main window closes, or the session ends
        }
    };
    Form->SetProgramSettings(&Settings);
    Form->SetAutoUpdateEnabled(true);
    ASSERT_TRUE(pump::WaitFor(
        [&] { return !lines.empty() && lines.back().rfind("Failed to download update", 0) == 0; }));
    EXPECT_LT(std::chrono::steady_clock::now() - asked,
              std::chrono::milliseconds(support::NoticeableMs));
    EXPECT_EQ(Boxes.size(), 1u); // the question only: no error box holds the program up
    EXPECT_FALSE(Form->Visible());
    EXPECT_FALSE(FileThere(Temp + "setup.exe"));
    EXPECT_TRUE(Application().Terminated());
    Application().DestroyForms(); // clears the flag for the tests that follow
}

TEST_F(UpdateWindow, StatusFollowsEveryReport) {
    // A description whose size is announced: the percentages reach the bar.
    Server.Set("/autoupdate.ini",
               TTestReply::Ok("[sundown]\r\nURL=x\r\n" + std::string(1000, ';')));
    std::vector<std::pair<std::string, int>> seen;
    Form->OnUpdateMessage = [&](TObject*, std::string m) {
        seen.emplace_back(Form->lblStatus.Caption(), Form->ProgressBar.Position());
        (void)m;
    };
    Form->SetProgramSettings(&Settings);
    Form->SetAutoUpdateEnabled(true);
    ASSERT_TRUE(
        pump::WaitFor([&] { return Form->lblStatus.Caption() == "Already at latest version"; }));
    EXPECT_EQ(Form->ProgressBar.Position(), 100);
    EXPECT_TRUE(Boxes.empty()); // nothing to show when there is no newer version
    EXPECT_FALSE(Form->Visible());
    bool sawChecking = false;
    for (const auto& [caption, position] : seen)
        if (caption == "Checking for updates , please wait..." && position == 0)
            sawChecking = true;
    EXPECT_TRUE(sawChecking);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
