// Forms, the modal loop, the default error box and dialog keys, on real windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "base/ApplicationHooks.h"
#include "gui/Application.h"
#include "gui/Button.h"
#include "gui/Dialogs.h"
#include "base/Exception.h"
#include "gui/Form.h"
#include "gui/Label.h"
#include "gui/Panel.h"
#include "gui/Timer.h"
#include "gui/UtilWindow.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

// Records every message box instead of showing it.
class GuiTest : public ::testing::Test {
protected:
    void TearDown() override {
        Application().DestroyForms();
        Application().OnException = nullptr;
        Application().ProcessMessages();
    }
    support::TBoxRecorder Boxes;
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

// A control that counts the messages Msg its window is sent.
template <class Base, UINT Msg> class TCounting : public Base {
public:
    using Base::Base;
    int Count = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == Msg)
            ++Count;
        return Base::WndProc(msg, wParam, lParam);
    }
};
using TFontCountingButton = TCounting<TButton, WM_SETFONT>;
using TFocusCountingButton = TCounting<TButton, WM_SETFOCUS>;
using TSizeCountingPanel = TCounting<TPanel, WM_SIZE>;

// A form whose windows are made on first use: what needs no window in the constructor, the
// layout once the windows exist.
class TLazyDialog : public TForm {
public:
    TLazyDialog() : TForm("TLazyDialog") {
        SetBorderStyle(bsDialog);
        SetFont(TFont("Tahoma", -11));
        lblText.SetCaption("Made on first use");
    }
    TPanel pnlMain{this};
    TFontCountingButton btnOk{&pnlMain};
    TLabel lblText{this};
    int Built = 0;
    bool ChildrenFirst = false;

protected:
    void WindowsCreated() override {
        ++Built;
        ChildrenFirst =
            pnlMain.HandleAllocated() && btnOk.HandleAllocated() && lblText.HandleAllocated();
        SetClientSize(240, 100);
        pnlMain.SetAlign(alClient);
        btnOk.SetBounds(8, 8, 73, 21);
        btnOk.SetCaption("Ok");
    }
};

// Two buttons, Cancel first in the Tab order.
class TFocusDialog : public TForm {
public:
    TFocusDialog() : TForm("TFocusDialog") {
        SetClientSize(200, 60);
        btnCancel.SetBounds(8, 8, 73, 21);
        btnOk.SetBounds(100, 8, 73, 21);
    }
    TFocusCountingButton btnCancel{this};
    TFocusCountingButton btnOk{this};
};

// Aligned panels three deep, laid out before any window exists; one of them hidden.
class TAlignedDialog : public TForm {
public:
    TAlignedDialog() : TForm("TAlignedDialog") {
        SetBorderStyle(bsNone);
        SetClientSize(491, 271);
        outer.SetAlign(alClient);
        outer.SetBevelOuter(bvNone);
        outer.SetBorderWidth(5);
        top.SetHeight(57);
        top.SetAlign(alTop);
        hidden.SetHeight(20);
        hidden.SetAlign(alTop);
        hidden.SetVisible(false);
        bottom.SetHeight(41);
        bottom.SetAlign(alBottom);
        left.SetWidth(68);
        left.SetAlign(alLeft);
        right.SetWidth(30);
        right.SetAlign(alRight);
        client.SetAlign(alClient);
        client.SetBevelOuter(bvNone);
        inner.SetAlign(alClient);
    }
    TSizeCountingPanel outer{this};
    TSizeCountingPanel top{&outer}, hidden{&outer}, bottom{&outer}, left{&outer}, right{&outer},
        client{&outer};
    TSizeCountingPanel inner{&client};
};

int WindowsOfClass(const char* name) {
    int n = 0;
    for (HWND h = FindWindowExA(nullptr, nullptr, name, nullptr); h;
         h = FindWindowExA(nullptr, h, name, nullptr))
        ++n;
    return n;
}

// The children of a window in z-order, which is the Tab order.
std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        children.push_back(h);
    return children;
}

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

// What escapes the program's body reaches the user in the error box, the forms made go, and the
// program ends with a failure code.
TEST_F(GuiTest, TheProgramsBodyIsABoundary) {
    Application().SetTitle("Sundown");
    const struct {
        const char* Name;
        std::function<void()> Fails; // none: the body returns
        const char* Box;
        int Result;
    } cases[] = {
        {"returns", nullptr, nullptr, 0},
        {"raises an Exception", [] { throw Exception("Cannot create window"); },
         "Cannot create window", 1},
        {"raises a standard exception", [] { throw std::bad_alloc(); }, "std::bad_alloc", 1},
        {"raises something else", [] { throw 42; }, "Unknown exception", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Boxes.clear();
        const int result = Application().RunGuarded([&] {
            TForm* main = nullptr;
            Application().CreateForm(main, "TBoundaryMain");
            if (c.Fails)
                c.Fails();
        });
        EXPECT_EQ(result, c.Result);
        if (c.Box) {
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text, c.Box);
            EXPECT_EQ(Boxes[0].Caption, "Sundown");
            EXPECT_EQ(Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
            EXPECT_EQ(FindWindowA("TBoundaryMain", nullptr), nullptr) << "the forms went";
        } else {
            EXPECT_TRUE(Boxes.empty());
        }
        Application().DestroyForms();
    }
}

TEST_F(GuiTest, MessageDlgMapsButtonsAndResults) {
    Boxes.Answer = IDYES;
    EXPECT_EQ(MessageDlg("Update?", mtInformation, mbYes | mbNo, 0), mrYes);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "Information");
    EXPECT_EQ(Boxes[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    Boxes.Answer = IDOK;
    EXPECT_EQ(MessageDlg("Failed", mtError, mbOK, 0), mrOk);
    EXPECT_EQ(Boxes[1].Caption, "Error");
    EXPECT_EQ(Boxes[1].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

namespace {
void PostKey(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}
} // namespace

TEST_F(GuiTest, FocusStartsOnFirstTabStopAndTabMovesInTabOrder) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    std::vector<HWND> focus;
    TTimer timer;
    int step = 0;
    timer.SetInterval(60);
    timer.OnTimer = [&](TObject*) {
        focus.push_back(GetFocus());
        if (++step < 3)
            PostKey(GetFocus(), VK_TAB);
        else
            dlg->SetModalResult(mrOk);
    };
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    ASSERT_EQ(focus.size(), 3u);
    EXPECT_EQ(focus[0], dlg->btnCancel.Handle()) << "first in tab order";
    EXPECT_EQ(focus[1], dlg->btnOk.Handle());
    EXPECT_EQ(focus[2], dlg->btnCancel.Handle()) << "wraps round";
}

// Eats Tab and counts it.
class TTabEater : public TMessageFilter {
public:
    int Seen = 0;
    bool PreTranslateMessage(const MSG& Msg) override {
        if (Msg.message != WM_KEYDOWN || Msg.wParam != VK_TAB)
            return false;
        ++Seen;
        return true;
    }
};

TEST_F(GuiTest, RegisteredFiltersSeeAFormsKeysBeforeTheDialogManager) {
    struct TCase {
        const char* What;
        bool Registered;
        int Seen;
        bool FocusMoves;
    };
    const TCase cases[] = {{"registered", true, 1, false}, {"removed again", false, 0, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TDialog* dlg = nullptr;
        Application().CreateForm(dlg);
        TTabEater eater;
        Application().AddMessageFilter(&eater);
        if (!c.Registered)
            Application().RemoveMessageFilter(&eater);
        std::vector<HWND> focus;
        TTimer timer;
        timer.SetInterval(60);
        timer.OnTimer = [&](TObject*) {
            focus.push_back(GetFocus());
            if (focus.size() == 1)
                PostKey(GetFocus(), VK_TAB);
            else
                dlg->SetModalResult(mrOk);
        };
        EXPECT_EQ(dlg->ShowModal(), mrOk);
        Application().RemoveMessageFilter(&eater);
        ASSERT_EQ(focus.size(), 2u);
        EXPECT_EQ(eater.Seen, c.Seen);
        EXPECT_EQ(focus[1] != focus[0], c.FocusMoves);
        Application().DestroyForms();
    }
}

TEST_F(GuiTest, SetTabOrderReordersTheTabSequence) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    dlg->btnOk.SetTabOrder(0);
    EXPECT_EQ(dlg->btnOk.TabOrder(), 0);
    EXPECT_EQ(dlg->btnCancel.TabOrder(), 1);
    EXPECT_EQ(GetNextDlgTabItem(dlg->Handle(), nullptr, FALSE), dlg->btnOk.Handle());
}

TEST_F(GuiTest, EnterPressesTheFocusedButtonAndEscNothingWithoutCancelButton) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    TTimer timer;
    int step = 0;
    timer.SetInterval(80);
    timer.OnTimer = [&](TObject*) {
        switch (step++) {
        case 0:
            PostKey(GetFocus(), VK_ESCAPE); // no button marked Cancel: nothing happens
            break;
        case 1:
            EXPECT_EQ(dlg->ModalResult(), mrNone);
            EXPECT_TRUE(dlg->Visible());
            PostKey(GetFocus(), VK_TAB); // to Ok
            break;
        case 2:
            PostKey(GetFocus(), VK_RETURN);
            break;
        default:
            dlg->SetModalResult(mrAbort); // Enter did not work: end the run
        }
    };
    EXPECT_EQ(dlg->ShowModal(), mrOk);
}

TEST_F(GuiTest, EscPressesTheCancelButtonAndEnterTheDefaultOne) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    dlg->btnCancel.SetCancel(true);
    TTimer timer;
    timer.SetInterval(80);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        PostKey(GetFocus(), VK_ESCAPE);
    };
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_FALSE(dlg->Visible());
}

TEST_F(GuiTest, ShowModalOfAVisibleFormThrows) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    dlg->Show();
    EXPECT_THROW(dlg->ShowModal(), Exception);
    dlg->Hide();
}

TEST_F(GuiTest, CloseQueryCanRefuseAModalClose) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    int queries = 0;
    dlg->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
    TTimer timer;
    timer.SetInterval(60);
    timer.OnTimer = [&](TObject*) {
        if (queries == 1) {
            EXPECT_TRUE(dlg->Visible()) << "refused close keeps the window";
        }
        dlg->btnOk.Click();
    };
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_EQ(queries, 2);
}

TEST_F(GuiTest, ClosingTheMainFormTerminatesAndOtherFormsOnlyHide) {
    TForm* main = nullptr;
    TForm* other = nullptr;
    Application().CreateForm(main);
    Application().CreateForm(other);
    std::vector<std::string> events;
    bool canClose = false;
    main->OnActivate = [&](TObject*) { events.push_back("activate"); };
    main->OnCloseQuery = [&](TObject*, bool& c) {
        events.push_back("query");
        c = canClose;
    };
    main->OnClose = [&](TObject*, TCloseAction&) { events.push_back("close"); };
    TTimer timer;
    int step = 0;
    timer.SetInterval(60);
    timer.OnTimer = [&](TObject*) {
        switch (step++) {
        case 0:
            EXPECT_TRUE(main->Visible()) << "Run shows the main form";
            other->Show();
            other->Close();
            EXPECT_FALSE(other->Visible());
            PostMessageA(main->Handle(), WM_CLOSE, 0, 0); // refused
            break;
        case 1:
            EXPECT_FALSE(Application().Terminated());
            canClose = true;
            main->Close();
            break;
        default:
            break;
        }
    };
    Application().Run();
    EXPECT_TRUE(Application().Terminated());
    // Activations come with every showing; closing queries twice, then closes.
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], "activate");
    std::erase(events, "activate");
    EXPECT_EQ(events, (std::vector<std::string>{"query", "query", "close"}));
}

TEST_F(GuiTest, EndSessionQueryIsAnsweredWithConsentWithoutCloseQuery) {
    TForm* main = nullptr;
    Application().CreateForm(main);
    bool queried = false;
    main->OnCloseQuery = [&](TObject*, bool& c) { queried = true, c = false; };
    EXPECT_NE(SendMessageA(main->Handle(), WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_FALSE(queried);
}

TEST_F(GuiTest, MessageMapHandlesCustomMessages) {
    TForm* form = nullptr;
    Application().CreateForm(form, "TMapForm");
    WPARAM seen = 0;
    form->SetMessageHandler(WM_USER + 1, [&](TMessage& m) {
        seen = m.WParam;
        m.Result = 7;
    });
    EXPECT_EQ(SendMessageA(FindWindowA("TMapForm", nullptr), WM_USER + 1, 4, 0), 7);
    EXPECT_EQ(seen, 4u);
}

TEST_F(GuiTest, AlignLaysOutTopLeftBottomAndClientInsideBorders) {
    TForm* form = nullptr;
    Application().CreateForm(form);
    form->SetBorderStyle(bsNone);
    form->SetClientSize(491, 271);
    EXPECT_EQ(form->ClientWidth(), 491);
    EXPECT_EQ(form->ClientHeight(), 271);
    TPanel outer(form);
    outer.SetAlign(alClient);
    outer.SetBevelOuter(bvNone);
    outer.SetBorderWidth(5);
    TPanel top(&outer), bottom(&outer), left(&outer), client(&outer);
    top.SetHeight(57);
    top.SetAlign(alTop);
    bottom.SetHeight(41);
    bottom.SetAlign(alBottom);
    left.SetWidth(68);
    left.SetAlign(alLeft);
    client.SetAlign(alClient);
    EXPECT_EQ(outer.Width(), 491);
    EXPECT_EQ(outer.Height(), 271);
    EXPECT_EQ(top.Left(), 5);
    EXPECT_EQ(top.Top(), 5);
    EXPECT_EQ(top.Width(), 481);
    EXPECT_EQ(bottom.Top(), 271 - 5 - 41);
    EXPECT_EQ(left.Top(), 62);
    EXPECT_EQ(left.Height(), 271 - 10 - 57 - 41);
    EXPECT_EQ(client.Left(), 73);
    EXPECT_EQ(client.Width(), 481 - 68);
    form->SetClientSize(400, 300); // follows a resize
    EXPECT_EQ(client.Width(), 390 - 68);
    EXPECT_EQ(bottom.Top(), 300 - 5 - 41);
}

// Each control is made where its alignment puts it and sized no more: moving a made window costs
// it a new layout (a calendar's is slow).
TEST_F(GuiTest, ControlsAreMadeWhereTheirAlignmentPutsThem) {
    TForm* main = nullptr;
    Application().CreateForm(main);
    TAlignedDialog* dlg = nullptr;
    Application().CreateForm(dlg); // not the main form: its windows wait for the showing
    dlg->Show();
    const struct {
        const char* Name;
        TSizeCountingPanel& Panel;
        RECT Bounds; // left, top, right, bottom in the parent
    } rows[] = {
        {"outer", dlg->outer, {0, 0, 491, 271}},     {"top", dlg->top, {5, 5, 486, 62}},
        {"bottom", dlg->bottom, {5, 225, 486, 266}}, {"left", dlg->left, {5, 62, 73, 225}},
        {"right", dlg->right, {456, 62, 486, 225}},  {"client", dlg->client, {73, 62, 456, 225}},
        {"inner", dlg->inner, {0, 0, 383, 163}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Name);
        EXPECT_EQ(r.Panel.Left(), r.Bounds.left);
        EXPECT_EQ(r.Panel.Top(), r.Bounds.top);
        EXPECT_EQ(r.Panel.Width(), r.Bounds.right - r.Bounds.left);
        EXPECT_EQ(r.Panel.Height(), r.Bounds.bottom - r.Bounds.top);
        EXPECT_EQ(r.Panel.Count, 1) << "sized when made, not moved there afterwards";
        const auto& siblings = r.Panel.Parent()->Controls();
        EXPECT_EQ(GetDlgCtrlID(r.Panel.Handle()),
                  101 + std::find(siblings.begin(), siblings.end(), &r.Panel) - siblings.begin())
            << "its identifier is its place among its siblings";
    }
    EXPECT_FALSE(dlg->hidden.Visible());

    // A height left to the panel's class is known once it is made: its sibling still follows it.
    TForm* plain = nullptr;
    Application().CreateForm(plain);
    plain->SetClientSize(300, 200);
    TPanel unsized(plain), below(plain);
    unsized.SetAlign(alTop);
    below.SetAlign(alClient);
    plain->Show();
    EXPECT_EQ(unsized.Height(), 41) << "the panel class's own height";
    EXPECT_EQ(below.Top(), 41);
    EXPECT_EQ(below.Height(), 200 - 41);

    // Bounds set where the window already stands cost the window system nothing.
    TCounting<TPanel, WM_WINDOWPOSCHANGING> placed(plain);
    placed.SetBounds(10, 20, 30, 40);
    placed.Handle();
    for (const RECT& r : {RECT{10, 20, 30, 40}, RECT{11, 20, 30, 40}, RECT{11, 20, 30, 41}}) {
        const int before = placed.Count;
        placed.SetBounds(r.left, r.top, r.right, r.bottom);
        EXPECT_EQ(placed.Count - before, r.left == 10 ? 0 : 1) << r.left << "," << r.bottom;
        EXPECT_EQ(placed.Left(), r.left);
        EXPECT_EQ(placed.Height(), r.bottom);
    }
}

// The focus goes into a form once its OnActivate has run, and only while the form is still the
// active one: a form that hides at its activation gives none of its controls the focus.
TEST_F(GuiTest, AFormTakesTheFocusAfterItsOnActivateAndOnlyWhileActive) {
    TForm* main = nullptr;
    Application().CreateForm(main);
    const struct {
        const char* Name;
        std::function<void(TFocusDialog&)> OnActivate;
        int CancelFocused, OkFocused;
    } rows[] = {
        {"nothing done", [](TFocusDialog&) {}, 1, 0},
        {"hides itself", [](TFocusDialog& d) { d.Hide(); }, 0, 0},
        {"focuses Ok", [](TFocusDialog& d) { d.btnOk.SetFocus(); }, 0, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Name);
        TFocusDialog* dlg = nullptr;
        Application().CreateForm(dlg);
        bool activated = false;
        dlg->OnActivate = [&, dlg](TObject*) {
            if (!std::exchange(activated, true))
                r.OnActivate(*dlg);
        };
        dlg->Show();
        pump::For(100);
        EXPECT_TRUE(activated);
        EXPECT_EQ(dlg->btnCancel.Count, r.CancelFocused);
        EXPECT_EQ(dlg->btnOk.Count, r.OkFocused);
        dlg->Hide();
    }
}

TEST_F(GuiTest, DialogBorderKeepsClientSizeAndCentres) {
    TDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    EXPECT_EQ(dlg->ClientWidth(), 300);
    EXPECT_EQ(dlg->ClientHeight(), 120);
    const LONG style = GetWindowLongA(dlg->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    dlg->SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(GetWindowLongA(dlg->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    dlg->Show();
    const int cx = dlg->Left() + dlg->Width() / 2, cy = dlg->Top() + dlg->Height() / 2;
    EXPECT_NEAR(cx, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(cy, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    dlg->Hide();
}

TEST_F(GuiTest, LabelSizesToItsText) {
    TForm* form = nullptr;
    Application().CreateForm(form);
    TLabel label(form);
    label.SetCaption("my workstation at");
    const int oneLine = label.Height();
    EXPECT_GT(label.Width(), 40);
    EXPECT_GT(oneLine, 8);
    label.SetCaption("a");
    EXPECT_LT(label.Width(), 20);
    label.SetWordWrap(true);
    label.SetWidth(40);
    label.SetCaption("seconds  warning to cancel event.");
    EXPECT_EQ(label.Width(), 40);
    EXPECT_GE(label.Height(), 2 * oneLine);
}

TEST_F(GuiTest, ExceptionInTimerHandlerGoesToOnException) {
    std::string seen;
    Application().OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
    TTimer timer;
    timer.SetInterval(20);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        throw Exception("'24:0:0' is not a valid time");
    };
    pump::WaitFor([&] { return !seen.empty(); });
    EXPECT_EQ(seen, "'24:0:0' is not a valid time");
    EXPECT_TRUE(Boxes.empty()) << "OnException replaces the default box";
}

int HelperWindows() {
    int n = 0;
    for (HWND h = FindWindowExA(HWND_MESSAGE, nullptr, "TPUtilWindow", nullptr); h;
         h = FindWindowExA(HWND_MESSAGE, h, "TPUtilWindow", nullptr))
        ++n;
    return n;
}

// Refuses every window the thread makes while it lives (a real hook of the system).
class TRefuseWindows {
public:
    TRefuseWindows()
        : FHook(SetWindowsHookExA(
              WH_CBT,
              [](int Code, WPARAM W, LPARAM L) -> LRESULT {
                  return Code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, Code, W, L);
              },
              nullptr, GetCurrentThreadId())) {}
    ~TRefuseWindows() { UnhookWindowsHookEx(FHook); }
    TRefuseWindows(const TRefuseWindows&) = delete;
    TRefuseWindows& operator=(const TRefuseWindows&) = delete;

private:
    HHOOK FHook;
};

TEST_F(GuiTest, ATimerMakesItsWindowWhenFirstEnabledAndRaisesWithoutOne) {
    struct TCase {
        const char* What;
        std::function<void(TTimer&)> Setup;
        bool Refused;
        int Windows;
        bool Raises;
        bool Ticks;
    };
    const TCase cases[] = {
        {"made and left alone", [](TTimer&) {}, false, 0, false, false},
        {"switched off at once",
         [](TTimer& t) {
             t.SetEnabled(false);
             t.SetInterval(30);
         },
         false, 0, false, false},
        {"interval 0", [](TTimer& t) { t.SetInterval(0); }, false, 0, false, false},
        {"interval set", [](TTimer& t) { t.SetInterval(30); }, false, 1, false, true},
        {"switched on later",
         [](TTimer& t) {
             t.SetEnabled(false);
             t.SetInterval(30);
             t.SetEnabled(true);
         },
         false, 1, false, true},
        {"no window to be had", [](TTimer& t) { t.SetInterval(30); }, true, 0, true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const int before = HelperWindows();
        int ticks = 0;
        {
            TTimer timer;
            timer.OnTimer = [&](TObject*) { ++ticks; };
            bool raised = false;
            {
                std::unique_ptr<TRefuseWindows> refuse;
                if (c.Refused)
                    refuse = std::make_unique<TRefuseWindows>();
                raised = support::Caught<Exception>([&] { c.Setup(timer); }).has_value();
            }
            EXPECT_EQ(raised, c.Raises);
            EXPECT_EQ(HelperWindows() - before, c.Windows);
            if (c.Ticks) {
                EXPECT_TRUE(pump::WaitFor([&] { return ticks > 0; }));
            }
        }
        EXPECT_EQ(HelperWindows(), before);
    }
}

TEST_F(GuiTest, OnCreateAndOnDestroyRunOnceAndErrorsAreShown) {
    struct TCounting : TForm {
        TCounting() : TForm("TCounting") {
            OnCreate = [](TObject*) { throw Exception("create failed"); };
        }
    };
    TCounting* form = nullptr;
    Application().CreateForm(form);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "create failed");
    int destroyed = 0;
    form->OnDestroy = [&](TObject*) { ++destroyed; };
    Application().DestroyForms();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Application().MainForm(), nullptr);
    EXPECT_EQ(FindWindowA("TCounting", nullptr), nullptr);
}

// The main form's window is made where its OnCreate places it: no move after it is made.
TEST_F(GuiTest, TheMainFormIsMadeWhereItsOnCreatePlacesIt) {
    struct TPlaced : TCounting<TForm, WM_WINDOWPOSCHANGING> {
        TPlaced() : TCounting("TPlaced") {
            SetBorderStyle(bsNone);
            SetClientSize(200, 100);
            OnCreate = [this](TObject*) {
                SetBounds(300 - Width(), 400 - Height(), Width(), Height());
                MadeBeforeOnCreate = HandleAllocated();
            };
        }
        bool MadeBeforeOnCreate = true;
    };
    TPlaced* main = nullptr;
    Application().CreateForm(main);
    EXPECT_FALSE(main->MadeBeforeOnCreate);
    ASSERT_TRUE(main->HandleAllocated());
    RECT r{};
    GetWindowRect(main->Handle(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(main->Count, 0) << "made there, not moved there";
}

TEST_F(GuiTest, DialogsAreOwnedByTheMainFormAndRunWhileItIsHidden) {
    TForm* main = nullptr;
    TDialog* dlg = nullptr;
    Application().CreateForm(main, "TOwnerMain");
    Application().CreateForm(dlg);
    EXPECT_EQ(GetWindow(dlg->Handle(), GW_OWNER), main->Handle()) << "no taskbar button";
    EXPECT_EQ(GetWindow(main->Handle(), GW_OWNER), nullptr);
    EXPECT_FALSE(main->Visible());
    bool shown = false;
    TTimer timer;
    Later(timer, 60, [&] {
        shown = IsWindowVisible(dlg->Handle()) != 0;
        dlg->btnOk.Click();
    });
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(IsWindowEnabled(main->Handle())) << "enabled again after the modal run";
}

TEST_F(GuiTest, ProcessMessagesInsideAHandlerKeepsTimersRunning) {
    TTimer slow, fast;
    int fastTicks = 0;
    fast.SetInterval(20);
    fast.OnTimer = [&](TObject*) { ++fastTicks; };
    bool done = false;
    slow.SetInterval(10);
    slow.OnTimer = [&](TObject*) {
        slow.SetEnabled(false);
        // Long work that pumps, until the other timer has ticked five times (or for far longer
        // than five of its ticks take).
        pump::WaitFor([&] { return fastTicks >= 5; }, support::NoticeableMs);
        done = true;
    };
    while (!done)
        Application().HandleMessage();
    EXPECT_GE(fastTicks, 5);
}

TEST_F(GuiTest, AFormMakesItsWindowsOnlyWhenAWindowIsNeeded) {
    struct TCase {
        const char* What;
        std::function<void(TLazyDialog&)> Use;
        bool MakesWindows;
    };
    const TCase cases[] = {
        {"Visible", [](TLazyDialog& f) { EXPECT_FALSE(f.Visible()); }, false},
        {"Hide", [](TLazyDialog& f) { f.Hide(); }, false},
        {"Close", [](TLazyDialog& f) { f.Close(); }, false},
        {"Active and Enabled",
         [](TLazyDialog& f) {
             EXPECT_FALSE(f.Active());
             EXPECT_TRUE(f.Enabled());
         },
         false},
        {"BringToFront", [](TLazyDialog& f) { f.BringToFront(); }, false},
        {"captions, font and colour",
         [](TLazyDialog& f) {
             f.SetCaption("Lazy");
             EXPECT_EQ(f.lblText.Caption(), "Made on first use");
             f.btnOk.SetFont(TFont("Arial", -12));
             f.SetColor(clWindow);
         },
         false},
        {"BorderStyle", [](TLazyDialog& f) { EXPECT_EQ(f.BorderStyle(), bsDialog); }, false},
        {"Handle", [](TLazyDialog& f) { EXPECT_NE(f.Handle(), nullptr); }, true},
        {"a control's handle", [](TLazyDialog& f) { EXPECT_NE(f.btnOk.Handle(), nullptr); }, true},
        {"Width", [](TLazyDialog& f) { EXPECT_GT(f.Width(), 240); }, true},
        {"Show", [](TLazyDialog& f) { f.Show(); }, true},
        {"a control's Visible", [](TLazyDialog& f) { EXPECT_TRUE(f.btnOk.Visible()); }, true},
        {"Perform", [](TLazyDialog& f) { f.Perform(WM_NULL); }, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TForm* main = nullptr;
        TLazyDialog* dlg = nullptr;
        Application().CreateForm(main, "TLazyMain");
        Application().CreateForm(dlg);
        EXPECT_TRUE(main->HandleAllocated()) << "the main form's window comes with it";
        EXPECT_FALSE(dlg->HandleAllocated());
        c.Use(*dlg);
        EXPECT_EQ(dlg->HandleAllocated(), c.MakesWindows);
        EXPECT_EQ(dlg->btnOk.HandleAllocated(), c.MakesWindows);
        EXPECT_EQ(WindowsOfClass("TLazyDialog"), c.MakesWindows ? 1 : 0);
        EXPECT_EQ(dlg->Built, c.MakesWindows ? 1 : 0);
        if (c.MakesWindows) {
            EXPECT_TRUE(dlg->ChildrenFirst) << "set up once its children's windows exist";
            EXPECT_EQ(GetWindow(dlg->Handle(), GW_OWNER), main->Handle());
            EXPECT_EQ(dlg->ClientWidth(), 240);
            EXPECT_EQ(dlg->BorderStyle(), bsDialog);
            EXPECT_TRUE(GetWindowLongA(dlg->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
            EXPECT_EQ(ChildWindows(dlg->Handle()),
                      (std::vector<HWND>{dlg->pnlMain.Handle(), dlg->lblText.Handle()}))
                << "each control's window made once";
        }
        Application().DestroyForms();
    }
}

TEST_F(GuiTest, WindowsAreMadeOnceInCreationOrderAndTakeTheFontOnce) {
    TLazyDialog* dlg = nullptr;
    Application().CreateForm(dlg);
    dlg->pnlMain.SetMessageHandler(WM_CREATE, [&](TMessage& m) {
        // Asked for while being made: the form is there, the button (made after the panel) not
        // yet, and neither is made twice.
        EXPECT_EQ(dlg->Handle(), GetParent(dlg->pnlMain.Handle()));
        EXPECT_EQ(dlg->btnOk.Handle(), nullptr);
        EXPECT_EQ(dlg->lblText.Handle(), nullptr);
        m.Result = 0;
    });
    dlg->Show();
    dlg->Hide();
    dlg->Show();
    EXPECT_EQ(WindowsOfClass("TLazyDialog"), 1);
    EXPECT_EQ(dlg->Built, 1);
    EXPECT_EQ(ChildWindows(dlg->Handle()),
              (std::vector<HWND>{dlg->pnlMain.Handle(), dlg->lblText.Handle()}));
    EXPECT_EQ(ChildWindows(dlg->pnlMain.Handle()), std::vector<HWND>{dlg->btnOk.Handle()});
    EXPECT_EQ(dlg->btnOk.Count, 1) << "the font goes with the window, once";
    EXPECT_EQ(reinterpret_cast<HFONT>(dlg->btnOk.Perform(WM_GETFONT)), dlg->btnOk.Font().Handle());
    EXPECT_EQ(dlg->btnOk.Caption(), "Ok");
    EXPECT_EQ(TControl::FromHandle(dlg->btnOk.Handle()), &dlg->btnOk);
    EXPECT_EQ(TControl::FromHandle(dlg->lblText.Handle()), &dlg->lblText);
    EXPECT_EQ(TControl::FromHandle(GetDesktopWindow()), nullptr);
}

// A debug build stops at once, naming the broken check, where a window would be made on a thread
// other than the program's, the application reached from one, or a control handed a message of
// another window.
TEST(WindowLayerChecks, WrongThreadOrWrongWindowEndsADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "the checks are compiled into debug builds only";
#else
    struct TCase {
        const char* What;
        std::function<void()> Call;
        const char* Check;
    };
    Application(); // made on the main thread, as the program makes it
    const TCase cases[] = {
        {"a form's window",
         [&] {
             TForm form("TOtherThreadForm");
             support::OnAnotherThread([&] { form.Handle(); });
         },
         "InMainThread"},
        {"a helper window",
         [&] {
             TUtilWindow window(nullptr);
             support::OnAnotherThread([&] { window.Handle(); });
         },
         "InMainThread"},
        {"the application's messages",
         [&] { support::OnAnotherThread(ProcessApplicationMessages); }, "InMainThread"},
        {"the application's loop",
         [&] { support::OnAnotherThread([] { Application().ProcessMessages(); }); },
         "InMainThread.*gui.Application.cpp"},
        {"the end of a system loop",
         [&] { support::OnAnotherThread([] { TApplication::EndSystemLoop(); }); },
         "InMainThread.*gui.Application.cpp"},
        {"the application's end",
         [&] { support::OnAnotherThread([] { static_cast<void>(Application().Ending()); }); },
         "InMainThread.*gui.Application.cpp"},
        {"a message of another window",
         [] {
             TForm first("TFirstForm"), second("TSecondForm");
             // The second window's slot names the first form, as a mixed-up slot would.
             SetWindowLongPtrA(second.Handle(), 0, reinterpret_cast<LONG_PTR>(&first));
             first.Handle();
             SendMessageA(second.Handle(), WM_USER, 0, 0);
         },
         "Wnd == FHandle"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_DEATH(c.Call(), c.Check);
    }
#endif
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
