// Forms, the modal loop, the default error box and dialog keys, on real windows.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "gui/Button.h"
#include "gui/Dialogs.h"
#include "gui/Exception.h"
#include "gui/Form.h"
#include "gui/Label.h"
#include "gui/Panel.h"
#include "gui/Timer.h"

namespace {

struct TBox {
    std::string Text, Caption;
    UINT Flags;
};

// Records every message box instead of showing it.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().SetMessageBoxFunction(
            [this](const std::string& text, const std::string& caption, UINT flags) {
                Boxes.push_back({text, caption, flags});
                return Answer;
            });
    }
    void TearDown() override {
        Application().DestroyForms();
        Application().SetMessageBoxFunction(nullptr);
        Application().OnException = nullptr;
        Application().ProcessMessages();
    }
    std::vector<TBox> Boxes;
    int Answer = IDOK;
};

class TDialog : public TForm {
public:
    TDialog() : TForm("TTestDialog") {
        SetBorderStyle(bsDialog);
        SetClientSize(300, 120);
        SetPosition(poScreenCenter);
        pnlButtons.SetAlign(alBottom);
        pnlButtons.SetHeight(41);
        btnCancel.SetBounds(200, 8, 73, 21);
        btnCancel.SetCaption("Cancel");
        btnCancel.SetModalResult(mrCancel);
        btnOk.SetBounds(120, 8, 73, 21);
        btnOk.SetCaption("Ok");
        btnOk.SetModalResult(mrOk);
        pnlMain.SetAlign(alClient);
    }
    TPanel pnlButtons{this};
    TPanel pnlMain{this};
    TButton btnCancel{&pnlButtons};
    TButton btnOk{&pnlButtons};
};

// Runs f from the message loop once the modal run is under way.
void Later(TTimer& timer, unsigned ms, std::function<void()> f) {
    timer.SetInterval(ms);
    timer.OnTimer = [&timer, f](TObject*) {
        timer.SetEnabled(false);
        f();
    };
    timer.SetEnabled(true);
}

} // namespace

TEST_F(GuiTest, FormRegisteredUnderItsOwnClassName) {
    TForm* form = nullptr;
    Application().CreateForm(form, "TfrmSundown");
    char name[64] = {};
    GetClassNameA(form->Handle(), name, sizeof(name));
    EXPECT_STREQ(name, "TfrmSundown");
    EXPECT_EQ(FindWindowA("TfrmSundown", nullptr), form->Handle()) << "found while hidden";
    EXPECT_EQ(Application().MainForm(), form);
}

TEST_F(GuiTest, ModalRunReturnsTheButtonsResult) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    TTimer timer;
    Later(timer, 50, [&] { dlg->btnOk.Click(); });
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_FALSE(dlg->Visible());
    Later(timer, 50, [&] { SendMessageA(dlg->btnCancel.Handle(), BM_CLICK, 0, 0); });
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
}

TEST_F(GuiTest, ClosingAModalFormGivesCancel) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    TTimer timer;
    Later(timer, 50, [&] { PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
}

TEST_F(GuiTest, TerminateEndsModalRunWithCancel) {
    TForm* main = nullptr;
    TDialog* dlg = nullptr;
    Application().CreateForm(main);
    Application().CreateForm(dlg);
    TTimer timer;
    int result = -1;
    Later(timer, 50, [&] { result = dlg->ShowModal(); });
    TTimer quit;
    Later(quit, 200, [&] { Application().Terminate(); });
    Application().Run();
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(Application().Terminated());
}

TEST_F(GuiTest, ExceptionInHandlerShowsDefaultErrorBoxAndLoopRunsOn) {
    Application().SetTitle("Sundown");
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    dlg->btnOk.SetModalResult(mrNone);
    dlg->btnOk.OnClick = [](TObject*) { throw Exception("Invalid Key Name (Enabled)"); };
    TTimer timer;
    Later(timer, 50, [&] {
        SendMessageA(dlg->btnOk.Handle(), BM_CLICK, 0, 0);
        dlg->SetModalResult(mrOk);
    });
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Invalid Key Name (Enabled)");
    EXPECT_EQ(Boxes[0].Caption, "Sundown");
    EXPECT_EQ(Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(GuiTest, MessageDlgMapsButtonsAndResults) {
    Answer = IDYES;
    EXPECT_EQ(MessageDlg("Update?", mtInformation, mbYes | mbNo, 0), mrYes);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "Information");
    EXPECT_EQ(Boxes[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    Answer = IDOK;
    EXPECT_EQ(MessageDlg("Failed", mtError, mbOK, 0), mrOk);
    EXPECT_EQ(Boxes[1].Caption, "Error");
    EXPECT_EQ(Boxes[1].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
