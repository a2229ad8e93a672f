// Input controls on real windows (group box, check box, combo box, date-time picker) and the
// time-of-day encoder.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cmath>

#include "gui/Application.h"
#include "gui/CheckBox.h"
#include "gui/ComboBox.h"
#include "base/DateTime.h"
#include "gui/DateTimePicker.h"
#include "base/EncodeTime.h"
#include "gui/Form.h"
#include "gui/GroupBox.h"
#include "gui/Panel.h"
#include "TestSupport.h"

namespace {

class InputsTest : public support::FormTest {
protected:
    InputsTest() : FormTest("TInputsForm", 400, 200) {}
};

} // namespace

TEST(EncodeTime, PartsMakeTheFractionOfADay) {
    EXPECT_DOUBLE_EQ(EncodeTime(0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(20, 0, 0, 0), 20.0 / 24.0);
    EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), (86400000.0 - 1) / 86400000.0);
}

TEST(EncodeTime, PartsOutOfRangeRaiseTheConversionError) {
    const struct {
        uint16_t h, m, s, ms;
    } bad[] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {65535, 0, 0, 0}};
    for (const auto& b : bad) {
        EXPECT_EQ(support::MessageOf<EConvertError>([&] { EncodeTime(b.h, b.m, b.s, b.ms); }),
                  "Invalid argument to time encode")
            << b.h << ":" << b.m << ":" << b.s << "." << b.ms;
    }
}

TEST(EncodeTime, DecodeGivesTheTimeOfDayOfAnyDate) {
    uint16_t h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(EncodeTime(7, 45, 30, 250), h, m, s, ms);
    EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{7, 45, 30, 250}));
    // The date is ignored; before 30 December 1899 the fraction still counts up the day.
    DecodeTime(45000.0 + EncodeTime(23, 59, 0, 0), h, m, s, ms);
    EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{23, 59, 0, 0}));
    DecodeTime(-1.25, h, m, s, ms);
    EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{6, 0, 0, 0}));
    // Rounded to the millisecond: a hair below the next minute is the next minute.
    DecodeTime(EncodeTime(8, 59, 59, 999) + 0.0000000099, h, m, s, ms);
    EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{9, 0, 0, 0}));
    DecodeTime(NAN, h, m, s, ms);
    EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(InputsTest, GroupBoxHoldsItsControlsBelowTheCaption) {
    TPanel panel(Form);
    panel.SetAlign(alClient);
    TGroupBox box(&panel);
    box.SetCaption("Options");
    box.SetAlign(alClient);
    TPanel inner(&box);
    inner.SetAlign(alClient);
    EXPECT_EQ(box.Caption(), "Options");
    EXPECT_FALSE(box.TabStop());
    EXPECT_TRUE(GetWindowLongA(box.Handle(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
        << "Tab reaches the controls inside";
    EXPECT_GT(inner.Top(), 8) << "aligned children start below the caption";
    EXPECT_EQ(inner.Left(), 2);
    EXPECT_EQ(inner.Width(), box.ClientWidth() - 4);
}

TEST_F(InputsTest, CheckBoxTogglesByClickAndReportsIt) {
    TCheckBox box(Form);
    box.SetBounds(8, 8, 137, 17);
    box.SetCaption("Load on system startup");
    int clicks = 0;
    box.OnClick = [&](TObject*) { ++clicks; };
    EXPECT_FALSE(box.Checked());
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(clicks, 0) << "setting it is not a click";
    SendMessageA(box.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(box.TabStop());
    EXPECT_EQ(box.Caption(), "Load on system startup");
}

TEST_F(InputsTest, DropDownListSelectsByIndexOrNothing) {
    TComboBox combo(Form, csDropDownList);
    combo.SetBounds(104, 56, 89, 21);
    EXPECT_EQ(GetWindowLongA(combo.Handle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(combo.Items().Add("Logoff"), 0);
    EXPECT_EQ(combo.Items().Add("Restart"), 1);
    EXPECT_EQ(combo.Items().Add("Shutdown"), 2) << "kept in the order added";
    EXPECT_EQ(combo.Items()[2], "Shutdown");
    EXPECT_EQ(combo.Items()[3], "");
    EXPECT_EQ(combo.ItemIndex(), -1);
    combo.SetItemIndex(1);
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(combo.Caption(), "Restart");
    for (int outside : {3, 5, -1, -7}) {
        combo.SetItemIndex(1);
        combo.SetItemIndex(outside);
        EXPECT_EQ(combo.ItemIndex(), -1) << outside;
    }
    // The box keeps the closed height; the list drops below it.
    EXPECT_LE(combo.Height(), 24);
    EXPECT_EQ(combo.Top(), 56);
    EXPECT_EQ(combo.Width(), 89);
    combo.SetLeft(10);
    EXPECT_LE(combo.Height(), 24);
    combo.Items().Clear();
    EXPECT_EQ(combo.Items().Count(), 0);
}

TEST_F(InputsTest, DropDownListReportsTheUsersChoice) {
    TComboBox combo(Form, csDropDownList);
    for (const char* s : {"a", "b", "c"})
        combo.Items().Add(s);
    combo.SetItemIndex(0);
    int changes = 0;
    combo.OnChange = [&](TObject*) { ++changes; };
    Form->Show();
    combo.SetFocus();
    SendMessageA(combo.Handle(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(changes, 1);
    combo.SetItemIndex(2);
    EXPECT_EQ(changes, 1) << "setting the index is not the user's choice";
}

TEST_F(InputsTest, TimePickerIsTheSystemsPickerInTimeFormat) {
    TDateTimePicker picker(Form, dtkTime);
    picker.SetBounds(296, 56, 89, 21);
    char cls[64] = {};
    GetClassNameA(picker.Handle(), cls, sizeof(cls));
    EXPECT_STREQ(cls, DATETIMEPICK_CLASSA);
    EXPECT_EQ(GetWindowLongA(picker.Handle(), GWL_STYLE) & DTS_TIMEFORMAT, DTS_TIMEFORMAT);
    EXPECT_EQ(picker.Kind(), dtkTime);

    picker.SetDateTime(EncodeTime(20, 0, 0, 0));
    SYSTEMTIME t{};
    ASSERT_EQ(SendMessageA(picker.Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)),
              GDT_VALID);
    EXPECT_EQ(t.wHour, 20);
    EXPECT_EQ(t.wMinute, 0);
    EXPECT_EQ(t.wYear, 1899) << "a bare time sits on day 0";
    EXPECT_EQ(t.wMonth, 12);
    EXPECT_EQ(t.wDay, 30);
    EXPECT_DOUBLE_EQ(picker.DateTime(), EncodeTime(20, 0, 0, 0));

    // What the user sets in the control comes back with its seconds.
    t.wHour = 7;
    t.wMinute = 45;
    t.wSecond = 30;
    SendMessageA(picker.Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
    EXPECT_DOUBLE_EQ(picker.DateTime(), EncodeTime(7, 45, 30, 0));
}

TEST_F(InputsTest, PickerCarriesDatesAndRefusesWhatItCannotHold) {
    TDateTimePicker picker(Form);
    EXPECT_EQ(picker.Kind(), dtkDate);
    TDateTime date = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 2, 29, date));
    picker.SetDateTime(date + EncodeTime(13, 5, 0, 0));
    EXPECT_DOUBLE_EQ(picker.DateTime(), date + EncodeTime(13, 5, 0, 0));
    ASSERT_TRUE(TryEncodeDate(1600, 1, 1, date));
    EXPECT_THROW(picker.SetDateTime(date), EConvertError);
    EXPECT_THROW(picker.SetDateTime(NAN), EConvertError);
    EXPECT_THROW(picker.SetDateTime(1.0e9), EConvertError);
}
