// The month calendar, the XP button and the tool panel on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "gui/Action.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "gui/Panel.h"
#include "gui/Timer.h"
#include "widgets/JvMonthCalendar2.h"
#include "widgets/JvNavPaneToolPanel.h"
#include "widgets/JvXPButton.h"

namespace {

LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

SYSTEMTIME Date(int year, int month, int day) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    return t;
}

class ControlsTest : public ::testing::Test {
protected:
    void TearDown() override { Application().DestroyForms(); }
};

} // namespace

TEST_F(ControlsTest, CalendarWeekNumbersWidenTheControl) {
    TForm* form = nullptr;
    Application().CreateForm(form, "TCalendarForm");
    TJvMonthCalendar2 calendar(form);
    RECT without{};
    SendMessageA(calendar.Handle(), MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&without));
    EXPECT_FALSE(calendar.WeekNumbers());
    calendar.SetWeekNumbers(true);
    EXPECT_TRUE(calendar.WeekNumbers());
    EXPECT_TRUE(GetWindowLongA(calendar.Handle(), GWL_STYLE) & MCS_WEEKNUMBERS);
    RECT with{};
    SendMessageA(calendar.Handle(), MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&with));
    EXPECT_GT(with.right - with.left, without.right - without.left)
        << "the week-number column takes room";
    char name[32] = {};
    GetClassNameA(calendar.Handle(), name, sizeof(name));
    EXPECT_STREQ(name, MONTHCAL_CLASSA);
}

TEST_F(ControlsTest, CalendarTodayAndDateFirstBringTheMonthIntoView) {
    TForm* form = nullptr;
    Application().CreateForm(form, "TCalendarForm");
    TJvMonthCalendar2 calendar(form);
    calendar.SetToday(Date(2031, 7, 15));
    calendar.SetDateFirst(Date(2031, 7, 15));
    const SYSTEMTIME today = calendar.Today();
    EXPECT_EQ(today.wYear, 2031);
    EXPECT_EQ(today.wMonth, 7);
    EXPECT_EQ(today.wDay, 15);
    const SYSTEMTIME selected = calendar.DateFirst();
    EXPECT_EQ(selected.wYear, 2031);
    EXPECT_EQ(selected.wMonth, 7);
    EXPECT_EQ(selected.wDay, 15);
    SYSTEMTIME range[2] = {};
    SendMessageA(calendar.Handle(), MCM_GETMONTHRANGE, GMR_VISIBLE,
                 reinterpret_cast<LPARAM>(range));
    EXPECT_EQ(range[0].wYear, 2031);
    EXPECT_LE(range[0].wMonth, 7);
    EXPECT_GE(range[1].wMonth, 7);
}

TEST_F(ControlsTest, XPButtonShowsItsActionAndRunsItOnAClick) {
    TForm* form = nullptr;
    Application().CreateForm(form, "TButtonForm");
    TAction action;
    action.SetCaption("Options");
    int runs = 0;
    action.OnExecute = [&](TObject*) { ++runs; };
    TJvXPButton button(form);
    button.SetBounds(95, 8, 77, 29);
    button.SetAction(&action);
    EXPECT_EQ(button.Caption(), "Options");
    EXPECT_TRUE(GetWindowLongA(button.Handle(), GWL_STYLE) & WS_TABSTOP);
    SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    EXPECT_TRUE(button.Pressed());
    SendMessageA(button.Handle(), WM_LBUTTONUP, 0, Point(10, 10));
    EXPECT_EQ(runs, 1);
    // Released outside: no click.
    SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    SendMessageA(button.Handle(), WM_MOUSEMOVE, MK_LBUTTON, Point(200, 10));
    SendMessageA(button.Handle(), WM_LBUTTONUP, 0, Point(200, 10));
    EXPECT_EQ(runs, 1);
    // The space bar.
    SendMessageA(button.Handle(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(button.Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(runs, 2);
    // A disabled action disables the button.
    action.SetEnabled(false);
    EXPECT_FALSE(button.Enabled());
}

TEST_F(ControlsTest, XPButtonsEndAModalRunWithTheirResultAndEnterPressesTheFocusedOne) {
    TForm* dlg = nullptr;
    Application().CreateForm(dlg, "TXPDialog");
    dlg->SetBorderStyle(bsDialog);
    TJvXPButton cancel(dlg), ok(dlg);
    cancel.SetBounds(10, 10, 73, 21);
    cancel.SetCaption("Cancel");
    cancel.SetModalResult(mrCancel);
    ok.SetBounds(90, 10, 73, 21);
    ok.SetCaption("Ok");
    ok.SetModalResult(mrOk);
    TTimer timer;
    timer.SetInterval(80);
    HWND focused = nullptr;
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        focused = GetFocus();
        PostMessageA(focused, WM_KEYDOWN, VK_RETURN, 1);
    };
    EXPECT_EQ(dlg->ShowModal(), mrCancel) << "the first button has the focus";
    EXPECT_EQ(focused, cancel.Handle());
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        SendMessageA(ok.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
        SendMessageA(ok.Handle(), WM_LBUTTONUP, 0, Point(5, 5));
    };
    timer.SetEnabled(true);
    EXPECT_EQ(dlg->ShowModal(), mrOk);
}

TEST_F(ControlsTest, ToolPanelCloseButtonFiresOnCloseOnly) {
    TForm* form = nullptr;
    Application().CreateForm(form, "TToolPanelForm");
    form->SetBorderStyle(bsNone);
    form->SetClientSize(491, 271);
    TJvNavPaneToolPanel panel(form);
    panel.SetAlign(alClient);
    panel.SetCaption("Sundown");
    int closes = 0;
    std::vector<std::tuple<TMouseButton, int, int>> downs;
    panel.OnClose = [&](TObject* sender) {
        EXPECT_EQ(sender, &panel);
        ++closes;
    };
    panel.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        downs.emplace_back(b, x, y);
    };
    const RECT close = panel.CloseButtonRect();
    ASSERT_GT(close.right - close.left, 0);
    EXPECT_GT(close.left, 400) << "at the header's right end";
    EXPECT_LT(close.bottom, panel.HeaderHeight() + 1);
    const int cx = (close.left + close.right) / 2, cy = (close.top + close.bottom) / 2;
    SendMessageA(panel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(cx, cy));
    SendMessageA(panel.Handle(), WM_LBUTTONUP, 0, Point(cx, cy));
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(downs.empty()) << "a press on the close button is not a panel press";
    // Pressed on the button, released elsewhere: no close.
    SendMessageA(panel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(cx, cy));
    SendMessageA(panel.Handle(), WM_LBUTTONUP, 0, Point(100, 100));
    EXPECT_EQ(closes, 1);
    // Header and background presses.
    SendMessageA(panel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(50, 8));
    SendMessageA(panel.Handle(), WM_LBUTTONUP, 0, Point(50, 8));
    SendMessageA(panel.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Point(200, 150));
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0], std::make_tuple(mbLeft, 50, 8));
    EXPECT_EQ(downs[1], std::make_tuple(mbRight, 200, 150));
    EXPECT_EQ(closes, 1);
}

TEST_F(ControlsTest, ToolPanelLaysChildrenOutBelowItsHeader) {
    TForm* form = nullptr;
    Application().CreateForm(form, "TToolPanelForm");
    form->SetBorderStyle(bsNone);
    form->SetClientSize(491, 271);
    TJvNavPaneToolPanel panel(form);
    panel.SetAlign(alClient);
    TPanel top(&panel), main(&panel);
    top.SetHeight(57);
    top.SetAlign(alTop);
    main.SetAlign(alClient);
    EXPECT_EQ(top.Top(), panel.HeaderHeight());
    EXPECT_EQ(top.Width(), 491);
    EXPECT_EQ(main.Top(), panel.HeaderHeight() + 57);
    EXPECT_EQ(main.Height(), 271 - panel.HeaderHeight() - 57);
    EXPECT_TRUE(panel.HeaderFont().Style() & fsBold);
    panel.SetShowHeader(false);
    EXPECT_EQ(top.Top(), 0);
    const RECT none = panel.CloseButtonRect();
    EXPECT_EQ(none.right - none.left, 0);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
