// The spin edit on real windows: whole numbers, the arrows, the keys, and text that is no number.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <limits>

#include "gui/Application.h"
#include "gui/Form.h"
#include "widgets/JvSpinEdit.h"
#include "TestSupport.h"

namespace {

class SpinEditTest : public support::FormTest {
protected:
    SpinEditTest() : FormTest("TSpinForm") {}
    void SetUp() override {
        FormTest::SetUp();
        Edit = std::make_unique<TJvSpinEdit>(Form);
        Edit->SetBounds(72, 88, 49, 21);
        Edit->OnChange = [this](TObject*) { ++Changes; };
    }
    void TearDown() override {
        Edit.reset();
        FormTest::TearDown();
    }
    void Type(const std::string& text) { SetWindowTextA(Edit->Handle(), text.c_str()); }
    // A press of the up (+1) or down (-1) arrow as the arrows report it.
    void Arrow(int delta) {
        NMUPDOWN change{};
        change.hdr.hwndFrom = Edit->UpDownHandle();
        change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(Edit->UpDownHandle()));
        change.hdr.code = UDN_DELTAPOS;
        change.iDelta = delta;
        EXPECT_NE(SendMessageA(Edit->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change)), 0)
            << "the arrows keep no position of their own";
    }
    std::unique_ptr<TJvSpinEdit> Edit;
    int Changes = 0;
};

} // namespace

TEST(SpinValueText, OnlyWholeNumbersInTheIntegerRange) {
    int32_t v = 0;
    EXPECT_TRUE(TryParseSpinValue("60", v));
    EXPECT_EQ(v, 60);
    EXPECT_TRUE(TryParseSpinValue("  -12 ", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(TryParseSpinValue("+7", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(TryParseSpinValue("2147483647", v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(TryParseSpinValue("-2147483648", v));
    v = 5;
    for (const char* bad : {"", "  ", "-", "+", "1.5", "12a", "a12", "$10", "0x10", "1e3",
                            "2147483648", "-2147483649", "99999999999999999999", "1 2", "+-1"}) {
        EXPECT_FALSE(TryParseSpinValue(bad, v)) << bad;
        EXPECT_EQ(v, 5) << "untouched by " << bad;
    }
}

TEST_F(SpinEditTest, ValueIsTheWholeNumberShown) {
    EXPECT_EQ(Edit->Value(), 0.0);
    Edit->SetValue(60);
    EXPECT_EQ(Edit->Caption(), "60");
    EXPECT_EQ(Edit->Value(), 60.0);
    Edit->SetValue(-5);
    EXPECT_EQ(Edit->Caption(), "-5");
    Edit->SetValue(2.6);
    EXPECT_EQ(Edit->Caption(), "3") << "rounded to a whole number";
    Edit->SetValue(1.0e12);
    EXPECT_EQ(Edit->Value(), 2147483647.0) << "held within the Integer range";
    Edit->SetValue(-1.0e12);
    EXPECT_EQ(Edit->Value(), -2147483648.0);
    Edit->SetValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(Edit->Value(), 0.0);
}

TEST_F(SpinEditTest, TypedTextThatIsNoWholeNumberKeepsTheLastValue) {
    Edit->SetValue(60);
    Changes = 0;
    Type("45");
    EXPECT_EQ(Edit->Value(), 45.0);
    EXPECT_EQ(Changes, 1);
    for (const char* bad : {"", "4.5", "abc", "-", "3000000000"}) {
        Type(bad);
        EXPECT_EQ(Edit->Value(), 45.0) << bad;
    }
    EXPECT_EQ(Changes, 1);
    // Leaving the box puts the value back in place of the text.
    Form->Show();
    Edit->SetFocus();
    Type("4.5");
    SetFocus(Form->Handle());
    EXPECT_EQ(Edit->Caption(), "45");
    Type(" 0012 ");
    EXPECT_EQ(Edit->Value(), 12.0);
}

TEST_F(SpinEditTest, ArrowsAndKeysStepWithoutBounds) {
    Edit->SetValue(0);
    Changes = 0;
    Arrow(1);
    EXPECT_EQ(Edit->Value(), 1.0);
    Arrow(-1);
    Arrow(-1);
    EXPECT_EQ(Edit->Value(), -1.0) << "no minimum";
    EXPECT_EQ(Changes, 3);
    SendMessageA(Edit->Handle(), WM_KEYDOWN, VK_UP, 1);
    SendMessageA(Edit->Handle(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(Edit->Value(), 1.0);
    SendMessageA(Edit->Handle(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(Edit->Value(), 0.0);
    // Steps start from what is typed.
    Type("100");
    Arrow(1);
    EXPECT_EQ(Edit->Caption(), "101");
    // And from the last value while the text is no number.
    Type("x");
    Arrow(1);
    EXPECT_EQ(Edit->Caption(), "102");
    // The Integer range's ends stop the steps.
    Edit->SetValue(2147483647.0);
    Changes = 0;
    Arrow(1);
    EXPECT_EQ(Edit->Value(), 2147483647.0);
    EXPECT_EQ(Changes, 0);
    Edit->SetIncrement(10);
    Edit->SetValue(5);
    Arrow(-1);
    EXPECT_EQ(Edit->Value(), -5.0);
}

TEST_F(SpinEditTest, ArrowsSitInsideTheRightEdge) {
    RECT edit{}, arrows{};
    GetWindowRect(Edit->Handle(), &edit);
    GetWindowRect(Edit->UpDownHandle(), &arrows);
    EXPECT_EQ(GetParent(Edit->UpDownHandle()), Edit->Handle());
    EXPECT_GT(arrows.left, edit.left + 20);
    EXPECT_LE(arrows.right, edit.right);
    EXPECT_GE(arrows.top, edit.top);
    EXPECT_LE(arrows.bottom, edit.bottom);
    char cls[64] = {};
    GetClassNameA(Edit->UpDownHandle(), cls, sizeof(cls));
    EXPECT_STREQ(cls, UPDOWN_CLASSA);
    // Typed text stops short of the arrows.
    const LRESULT margins = SendMessageA(Edit->Handle(), EM_GETMARGINS, 0, 0);
    EXPECT_GE(HIWORD(margins), arrows.right - arrows.left);
    EXPECT_TRUE(Edit->TabStop());
}
