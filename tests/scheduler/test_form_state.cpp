// What a caller sets on a form before its windows exist, and what happens once the program's
// windows are going: on the program's real forms and real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "about/frmAboutU.h"
#include "base/EncodeTime.h"
#include "gui/Application.h"
#include "scheduler/frmExitConfimU.h"
#include "scheduler/frmOptionsU.h"
#include "update/frmAutoUpdateU.h"
#include "TestSupport.h"

namespace {

std::string WindowText(HWND Wnd) {
    char text[512] = {};
    GetWindowTextA(Wnd, text, sizeof(text));
    return text;
}

class FormStateTest : public ::testing::Test {
protected:
    void TearDown() override {
        Application().ProcessMessages();
        Application().DestroyForms();
    }
    support::TBoxRecorder Boxes;
};

// Each form is given a caption, a position, a check or a selection and a text before its first
// showing; its windows show them afterwards.
TEST_F(FormStateTest, ValuesSetBeforeTheFirstShowingAreKept) {
    struct TCase {
        const char* Form;
        std::function<std::unique_ptr<TForm>()> Make;
        std::function<void(TForm&)> Set;
        std::function<void(TForm&)> Check;
    };
    const TCase cases[] = {
        {"update window", [] { return std::make_unique<TfrmAutoUpdate>(); },
         [](TForm& F) {
             auto& f = static_cast<TfrmAutoUpdate&>(F);
             f.lblStatus.SetCaption("Checking for updates , please wait...");
             f.ProgressBar.SetPosition(40);
             f.btnCancel.SetLeft(150);
             f.btnCancel.SetEnabled(false);
         },
         [](TForm& F) {
             auto& f = static_cast<TfrmAutoUpdate&>(F);
             EXPECT_EQ(WindowText(f.lblStatus.Handle()), "Checking for updates , please wait...");
             EXPECT_EQ(SendMessageA(f.ProgressBar.Handle(), PBM_GETPOS, 0, 0), 40);
             EXPECT_EQ(f.btnCancel.Left(), 150);
             EXPECT_FALSE(IsWindowEnabled(f.btnCancel.Handle()));
         }},
        {"options window", [] { return std::make_unique<TfrmOptions>(); },
         [](TForm& F) {
             auto& f = static_cast<TfrmOptions&>(F);
             f.gbGeneral.SetCaption("General");
             f.cbAutoRun.SetChecked(true);
             f.comboExitWindowsType.SetItemIndex(2);
             f.DateTimePickerExitWindows.SetDateTime(EncodeTime(7, 45, 0, 0));
             f.editWarning.SetValue(45);
             f.btnOk.SetTop(4);
         },
         [](TForm& F) {
             auto& f = static_cast<TfrmOptions&>(F);
             EXPECT_EQ(WindowText(f.gbGeneral.Handle()), "General");
             EXPECT_EQ(SendMessageA(f.cbAutoRun.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
             EXPECT_EQ(SendMessageA(f.comboExitWindowsType.Handle(), CB_GETCURSEL, 0, 0), 2);
             EXPECT_EQ(f.comboExitWindowsType.Items().Count(), 3);
             SYSTEMTIME t{};
             SendMessageA(f.DateTimePickerExitWindows.Handle(), DTM_GETSYSTEMTIME, 0,
                          reinterpret_cast<LPARAM>(&t));
             EXPECT_EQ(t.wHour * 60 + t.wMinute, 7 * 60 + 45);
             EXPECT_EQ(WindowText(f.editWarning.Handle()), "45");
             EXPECT_EQ(f.btnOk.Top(), 4);
         }},
        {"countdown window", [] { return std::make_unique<TfrmExitConfirm>(); },
         [](TForm& F) {
             auto& f = static_cast<TfrmExitConfirm&>(F);
             f.SetCaption("Exit Windows");
             f.btnOk.SetCaption("Ok (9)");
             f.memoAlert.SetText("WARNING");
             f.btnCancel.SetLeft(300);
         },
         [](TForm& F) {
             auto& f = static_cast<TfrmExitConfirm&>(F);
             EXPECT_EQ(WindowText(f.Handle()), "Exit Windows");
             EXPECT_EQ(WindowText(f.btnOk.Handle()), "Ok (9)");
             EXPECT_EQ(WindowText(f.memoAlert.Handle()), "WARNING");
             EXPECT_EQ(f.btnCancel.Left(), 300);
         }},
        {"About window", [] { return std::make_unique<TfrmAbout>(); },
         [](TForm& F) {
             auto& f = static_cast<TfrmAbout&>(F);
             f.lblVersionDetails.SetCaption("9.8.7.6");
             f.VersionHistory.SetText("Version 9.8.7.6");
             f.OKBtn.SetBounds(200, 6, 80, 25);
             f.OKBtn.SetEnabled(false);
         },
         [](TForm& F) {
             auto& f = static_cast<TfrmAbout&>(F);
             EXPECT_EQ(WindowText(f.lblVersionDetails.Handle()), "9.8.7.6");
             EXPECT_EQ(WindowText(f.VersionHistory.Handle()), "Version 9.8.7.6");
             EXPECT_EQ(f.OKBtn.Left(), 200);
             EXPECT_EQ(f.OKBtn.Width(), 80);
             EXPECT_FALSE(IsWindowEnabled(f.OKBtn.Handle()));
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Form);
        std::unique_ptr<TForm> form = c.Make();
        c.Set(*form);
        EXPECT_FALSE(form->HandleAllocated()) << "a setter made the window";
        form->Show();
        ASSERT_TRUE(form->HandleAllocated());
        c.Check(*form);
        form->Hide();
    }
}

// Once the main window is gone or the end has begun, an owned form makes no window again,
// whatever is asked of it; its setters still change the object.
TEST_F(FormStateTest, NoWindowIsMadeOnceTheEndHasBegun) {
    enum TEnd { MainDestroyed, OwnDestroyed, Terminated };
    struct TCase {
        const char* What;
        TEnd End;
        std::function<void(TfrmAutoUpdate&)> Ask;
    };
    const TCase cases[] = {
        {"main gone, shown", MainDestroyed, [](TfrmAutoUpdate& F) { F.Show(); }},
        {"main gone, handle asked", MainDestroyed, [](TfrmAutoUpdate& F) { F.Handle(); }},
        {"main gone, progress", MainDestroyed,
         [](TfrmAutoUpdate& F) {
             F.lblStatus.SetCaption("Downloading");
             F.ProgressBar.SetPosition(50);
             F.ProgressBar.Handle();
         }},
        {"main gone, size read", MainDestroyed, [](TfrmAutoUpdate& F) { F.Width(); }},
        {"own window gone, shown", OwnDestroyed, [](TfrmAutoUpdate& F) { F.Show(); }},
        {"own window gone, label", OwnDestroyed, [](TfrmAutoUpdate& F) { F.lblStatus.Handle(); }},
        {"terminated, shown", Terminated, [](TfrmAutoUpdate& F) { F.Show(); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TForm* main = nullptr;
        Application().CreateForm(main, "TEndMainForm");
        auto update = std::make_unique<TfrmAutoUpdate>(main);
        ASSERT_TRUE(main->HandleAllocated());
        if (c.End == OwnDestroyed) {
            update->ProgressBar.SetPosition(10);
            DestroyWindow(update->Handle());
        } else if (c.End == MainDestroyed) {
            DestroyWindow(main->Handle());
        } else {
            Application().Terminate();
        }
        c.Ask(*update);
        Application().ProcessMessages();
        EXPECT_FALSE(update->HandleAllocated());
        EXPECT_FALSE(update->ProgressBar.HandleAllocated());
        EXPECT_EQ(FindWindowA("TfrmAutoUpdate", nullptr), nullptr);
        if (c.End == MainDestroyed) {
            EXPECT_EQ(FindWindowA("TEndMainForm", nullptr), nullptr);
        }
        if (c.What == std::string("main gone, progress")) {
            EXPECT_EQ(update->lblStatus.Caption(), "Downloading");
            EXPECT_EQ(update->ProgressBar.Position(), 50);
        }
        update.reset();
        Application().DestroyForms();
    }
}

} // namespace
