// The scrolling credits and the progress dialog on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/Form.h"
#include "widgets/JvProgressDialog.h"
#include "widgets/JvScrollText.h"
#include "MessagePump.h"
#include "TestSupport.h"

namespace {

// A bitmap to draw on, read back pixel by pixel.
class TCanvas {
public:
    TCanvas(int width, int height) {
        HDC screen = GetDC(nullptr);
        FDC = CreateCompatibleDC(screen);
        FBitmap.reset(CreateCompatibleBitmap(screen, width, height));
        ReleaseDC(nullptr, screen);
        FOld = SelectObject(FDC, FBitmap.get());
    }
    ~TCanvas() {
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
    }
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    void Print(HWND window) {
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(FDC), PRF_CLIENT);
    }
    // Rows holding a pixel other than background.
    std::vector<int> InkRows(int width, int height, COLORREF background) const {
        std::vector<int> rows;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((GetPixel(FDC, x, y) & 0xFFFFFF) != background) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    }
    // Leftmost and rightmost inked columns.
    std::pair<int, int> InkColumns(int width, int height, COLORREF background) const {
        int left = width, right = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((GetPixel(FDC, x, y) & 0xFFFFFF) != background) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return {left, right};
    }

private:
    HDC FDC;
    GdiObject<HBITMAP> FBitmap;
    HGDIOBJ FOld;
};

const std::vector<std::string> Credits = {
    "Sundown",     "-------", "",
    "Development", "---",     "Orb Software Workshop : Design and Programming"};

class WidgetsTest : public support::FormTest {
protected:
    WidgetsTest() : FormTest("TScrollForm", 400, 200) {}
};

} // namespace

TEST_F(WidgetsTest, ActivationLoadsTheLinesAndStartsBelowTheLowerEdge) {
    TJvScrollText scroll(Form);
    scroll.SetBounds(8, 8, 350, 65);
    scroll.SetFont(TFont("Arial", -11));
    EXPECT_FALSE(scroll.Active());
    EXPECT_EQ(scroll.ScrollDirection(), drFromBottom);
    EXPECT_EQ(scroll.ScrollPixels(), 1);
    EXPECT_EQ(scroll.Delay(), 50u);

    scroll.SetItems(Credits);
    EXPECT_EQ(scroll.BlockExtent(), 0) << "the lines load only on activation";
    scroll.SetActive(true);
    EXPECT_EQ(scroll.Position(), 65) << "the block starts just below the lower edge";
    const int extent = scroll.BlockExtent();
    EXPECT_GE(extent, 6 * 12) << "six lines, the empty one included";
    EXPECT_LE(extent, 6 * 20);

    // Items changed while it runs show from the next activation on.
    scroll.SetItems({"one line"});
    scroll.Step();
    EXPECT_EQ(scroll.BlockExtent(), extent);
    scroll.SetActive(true);
    EXPECT_EQ(scroll.Position(), 65) << "activating again restarts from below";
    EXPECT_LT(scroll.BlockExtent(), extent);
}

TEST_F(WidgetsTest, StepsMoveUpAndWrapOnceTheBlockHasLeft) {
    TJvScrollText scroll(Form);
    scroll.SetBounds(8, 8, 350, 65);
    scroll.SetItems(Credits);
    scroll.SetActive(true);
    scroll.SetActive(false); // no timer: the steps are ours
    const int extent = scroll.BlockExtent();
    ASSERT_GT(extent, 0);
    for (int i = 1; i <= 65 + extent - 1; ++i) {
        scroll.Step();
        ASSERT_EQ(scroll.Position(), 65 - i);
    }
    EXPECT_EQ(scroll.Position() + extent, 1) << "one pixel row still shows";
    scroll.Step();
    EXPECT_EQ(scroll.Position(), 65) << "gone: it starts again below the lower edge";

    scroll.SetScrollPixels(7);
    scroll.Step();
    EXPECT_EQ(scroll.Position(), 58);
    scroll.SetScrollPixels(0);
    scroll.Step();
    EXPECT_EQ(scroll.Position(), 58) << "no pixels: no motion";
}

TEST_F(WidgetsTest, TheOtherDirectionsComeInFromTheirEdge) {
    TJvScrollText scroll(Form);
    scroll.SetBounds(0, 0, 200, 60);
    scroll.SetItems(Credits);
    scroll.SetScrollDirection(drFromTop);
    scroll.SetActive(true);
    scroll.SetActive(false);
    const int extent = scroll.BlockExtent();
    EXPECT_EQ(scroll.Position(), -extent);
    for (int i = 0; i < extent + 60; ++i)
        scroll.Step();
    EXPECT_EQ(scroll.Position(), -extent) << "past the lower edge: back above the upper";

    scroll.SetScrollDirection(drFromRight);
    EXPECT_EQ(scroll.Position(), 200);
    scroll.Step();
    EXPECT_EQ(scroll.Position(), 199);
    EXPECT_GT(scroll.BlockExtent(), 100) << "horizontally the block is as wide as its widest line";
}

TEST_F(WidgetsTest, TheTimerMovesItAboutOnePixelPerDelayAndStopsWhenInactive) {
    TJvScrollText scroll(Form);
    scroll.SetBounds(8, 8, 350, 65);
    scroll.SetItems(Credits);
    scroll.SetDelay(20);
    scroll.SetActive(true);
    pump::For(600);
    const int moved = 65 - scroll.Position();
    EXPECT_GE(moved, 5) << "steps arrive through the message loop";
    EXPECT_LE(moved, 31);
    scroll.SetActive(false);
    const int stopped = scroll.Position();
    pump::For(200);
    EXPECT_EQ(scroll.Position(), stopped);
    // A delay of 0 runs at the system's shortest interval and keeps the program alive.
    scroll.SetDelay(0);
    scroll.SetActive(true);
    pump::For(100);
    EXPECT_LT(scroll.Position(), 65);
    // Nothing to show is no fault either.
    scroll.SetItems({});
    scroll.SetActive(true);
    pump::For(60);
    EXPECT_EQ(scroll.BlockExtent(), 0);
}

TEST_F(WidgetsTest, PaintsCentredLinesOnItsBackgroundWhereTheBlockStands) {
    TJvScrollText scroll(Form);
    scroll.SetBounds(0, 0, 350, 65);
    scroll.SetAlignment(taCenter);
    scroll.SetBackgroundColor(clWhite);
    scroll.SetFont(TFont("Arial", -11));
    scroll.SetItems({"Sundown"});
    scroll.SetActive(true);
    scroll.SetActive(false);
    TCanvas canvas(350, 65);
    canvas.Print(scroll.Handle());
    EXPECT_TRUE(canvas.InkRows(350, 65, RGB(255, 255, 255)).empty())
        << "below the lower edge: nothing shows yet";

    for (int i = 0; i < 40; ++i)
        scroll.Step(); // the line's top now at 25
    canvas.Print(scroll.Handle());
    const std::vector<int> rows = canvas.InkRows(350, 65, RGB(255, 255, 255));
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 25);
    EXPECT_LE(rows.back(), 25 + scroll.BlockExtent());
    const auto [left, right] = canvas.InkColumns(350, 65, RGB(255, 255, 255));
    EXPECT_NEAR((left + right) / 2.0, 175.0, 4.0) << "the line is centred";
}

TEST_F(WidgetsTest, ProgressDialogStandsOverItsOwnerWithoutCancel) {
    TJvProgressDialog dialog(Form);
    EXPECT_EQ(dialog.Handle(), nullptr) << "no window before it is shown";
    EXPECT_EQ(dialog.Min(), 0);
    EXPECT_EQ(dialog.Max(), 100);
    dialog.SetShowCancel(false);
    dialog.SetCaption("System Information");
    dialog.SetSmooth(true);
    dialog.SetText("Gathering System Information...");
    Form->Show();
    dialog.Show();
    HWND window = dialog.Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), Form->Handle());
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "System Information");
    EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) << "no close box";

    HWND bar = FindWindowExA(window, nullptr, PROGRESS_CLASSA, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(GetWindowLongA(bar, GWL_STYLE) & PBS_SMOOTH);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    HWND label = FindWindowExA(window, nullptr, "TLabel", nullptr);
    ASSERT_NE(label, nullptr);
    GetWindowTextA(label, text, sizeof text);
    EXPECT_STREQ(text, "Gathering System Information...");
    HWND cancel = FindWindowExA(window, nullptr, "BUTTON", "Cancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(IsWindowVisible(cancel));

    // Centred on the desktop.
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);

    dialog.SetPosition(40);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 40);
    dialog.SetPosition(250);
    EXPECT_EQ(dialog.Position(), 100) << "kept within Min .. Max";

    // Closing is refused: the user cannot stop the work.
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(dialog.Cancelled());

    dialog.Hide();
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(WidgetsTest, ProgressDialogCancelButtonAndCloseBoxCancel) {
    TJvProgressDialog dialog(Form);
    int cancels = 0;
    dialog.OnCancel = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &dialog);
        ++cancels;
        dialog.Hide(); // from inside its own button
    };
    dialog.Show();
    HWND cancel = FindWindowExA(dialog.Handle(), nullptr, "BUTTON", "Cancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(IsWindowVisible(cancel));
    EXPECT_TRUE(GetWindowLongA(dialog.Handle(), GWL_STYLE) & WS_SYSMENU);
    SendMessageA(cancel, BM_CLICK, 0, 0);
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(dialog.Visible());

    dialog.Show();
    EXPECT_FALSE(dialog.Cancelled()) << "each showing starts uncancelled";
    SendMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(cancels, 2);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
