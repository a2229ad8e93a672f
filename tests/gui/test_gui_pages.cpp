// Page control, rich edit, bevel, transparent label and date-time pictures on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/Bevel.h"
#include "base/DateTime.h"
#include "gui/Form.h"
#include "base/FormatDateTime.h"
#include "gui/Image.h"
#include "gui/Label.h"
#include "gui/PageControl.h"
#include "gui/Panel.h"
#include "gui/RichEdit.h"
#include "TestSupport.h"

namespace {

// A bitmap to draw on, read back pixel by pixel.
class TCanvas {
public:
    TCanvas(int width, int height, COLORREF fill = RGB(1, 2, 3)) {
        HDC screen = GetDC(nullptr);
        FDC = CreateCompatibleDC(screen);
        FBitmap.reset(CreateCompatibleBitmap(screen, width, height));
        ReleaseDC(nullptr, screen);
        FOld = SelectObject(FDC, FBitmap.get());
        RECT r{0, 0, width, height};
        GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
        FillRect(FDC, &r, brush.get());
    }
    ~TCanvas() {
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
    }
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    HDC dc() const { return FDC; }
    COLORREF At(int x, int y) const { return GetPixel(FDC, x, y) & 0xFFFFFF; }
    void Print(HWND window) {
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(FDC), PRF_CLIENT);
    }

private:
    HDC FDC;
    GdiObject<HBITMAP> FBitmap;
    HGDIOBJ FOld;
};

// A bitmap of one colour.
HBITMAP SolidBitmap(int width, int height, COLORREF color) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT r{0, 0, width, height};
    GdiObject<HBRUSH> brush(CreateSolidBrush(color));
    FillRect(dc, &r, brush.get());
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void Click(HWND target, POINT at) {
    SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

POINT Centre(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

CHARFORMAT2A FormatAt(const TRichEdit& edit, int position) {
    CHARRANGE r{position, position + 1};
    SendMessageA(edit.Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2A cf{};
    cf.cbSize = sizeof(cf);
    SendMessageA(edit.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

// The character position of the first occurrence of word (positions count a paragraph break
// as one character).
int PositionOf(const TRichEdit& edit, const std::string& word) {
    FINDTEXTEXA find{};
    find.chrg = {0, -1};
    find.lpstrText = word.c_str();
    return static_cast<int>(SendMessageA(edit.Handle(), EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE,
                                         reinterpret_cast<LPARAM>(&find)));
}

// Two pages whose selection events are recorded; OnChanging answers with Allow.
struct TTwoPages {
    explicit TTwoPages(TControl* parent, TTabStyle style = tsTabs) : Pages(parent) {
        Pages.SetAlign(alClient);
        Pages.SetStyle(style);
        First.SetCaption("First");
        Second.SetCaption("Second");
        Pages.OnChanging = [this](TObject*, bool& AllowChange) {
            Events.push_back("changing from " + std::to_string(Pages.ActivePageIndex()));
            AllowChange = Allow;
        };
        Pages.OnChange = [this](TObject*) {
            Events.push_back("change to " + std::to_string(Pages.ActivePageIndex()));
        };
    }
    TPageControl Pages;
    TTabSheet First{&Pages}, Second{&Pages};
    std::vector<std::string> Events;
    bool Allow = true;
};

class PagesTest : public support::FormTest {
protected:
    PagesTest() : FormTest("TPagesForm", 400, 300) {}
};

} // namespace

TEST_F(PagesTest, PagesShowOneAtATimeAndCodeSelectsWithoutEvents) {
    TPageControl pages(Form);
    pages.SetAlign(alClient);
    TTabSheet first(&pages), second(&pages), third(&pages);
    first.SetCaption("One");
    second.SetCaption("Two");
    third.SetCaption("Three");
    int changes = 0;
    pages.OnChange = [&](TObject*) { ++changes; };

    EXPECT_EQ(pages.PageCount(), 3);
    EXPECT_EQ(pages.Pages(1), &second);
    EXPECT_EQ(pages.Pages(3), nullptr);
    EXPECT_EQ(third.PageIndex(), 2);
    EXPECT_EQ(pages.ActivePage(), &first) << "the first page shows until another is chosen";
    EXPECT_TRUE(first.Visible());
    EXPECT_FALSE(second.Visible());

    pages.SetActivePage(&third);
    EXPECT_EQ(pages.ActivePageIndex(), 2);
    EXPECT_EQ(SendMessageA(pages.Handle(), TCM_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(third.Visible());
    EXPECT_FALSE(first.Visible());
    pages.SetActivePageIndex(1);
    EXPECT_EQ(pages.ActivePage(), &second);
    EXPECT_EQ(changes, 0) << "selecting by code fires no OnChange";

    char text[32] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(pages.Handle(), TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Three");
}

// Flat buttons look the same whether the style was set before the window was made or after.
TEST_F(PagesTest, FlatButtonsHaveNoSeparatorsHoweverTheStyleCame) {
    for (const bool before : {true, false}) {
        SCOPED_TRACE(before ? "set before the window" : "set after");
        TPageControl pages(Form);
        TTabSheet first(&pages), second(&pages);
        if (before)
            pages.SetStyle(tsFlatButtons);
        EXPECT_FALSE(pages.HandleAllocated());
        first.SetCaption("One");
        pages.Show();
        if (!before)
            pages.SetStyle(tsFlatButtons);
        EXPECT_TRUE(GetWindowLongA(pages.Handle(), GWL_STYLE) & TCS_FLATBUTTONS);
        EXPECT_FALSE(pages.Perform(TCM_GETEXTENDEDSTYLE) & TCS_EX_FLATSEPARATORS);
        EXPECT_GT(pages.TabRect(1).left, pages.TabRect(0).left);
        EXPECT_TRUE(first.Visible());
        EXPECT_FALSE(second.Visible());
    }
}

TEST_F(PagesTest, TheUsersSelectionFiresChangingThenChange) {
    TTwoPages p(Form);
    TPageControl& pages = p.Pages;
    Click(pages.Handle(), Centre(pages.TabRect(1)));
    EXPECT_EQ(p.Events, (std::vector<std::string>{"changing from 0", "change to 1"}));
    EXPECT_TRUE(p.Second.Visible());
    EXPECT_FALSE(p.First.Visible());

    p.Events.clear();
    p.Allow = false;
    Click(pages.Handle(), Centre(pages.TabRect(0)));
    EXPECT_EQ(p.Events, (std::vector<std::string>{"changing from 1"}));
    EXPECT_EQ(pages.ActivePage(), &p.Second) << "a refused change keeps the page";

    // The keyboard: the arrow keys move between the selectors.
    p.Events.clear();
    p.Allow = true;
    pages.SetFocus();
    SendMessageA(pages.Handle(), WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(p.Events, (std::vector<std::string>{"changing from 1", "change to 0"}));
    EXPECT_EQ(pages.ActivePage(), &p.First);
}

TEST_F(PagesTest, ArrowsSelectInEveryStyleAndOnChangingMayRefuse) {
    for (TTabStyle style : {tsTabs, tsButtons, tsFlatButtons}) {
        SCOPED_TRACE(style);
        TTwoPages p(Form, style);
        p.Pages.SetFocus();
        SendMessageA(p.Pages.Handle(), WM_KEYDOWN, VK_RIGHT, 1);
        EXPECT_EQ(p.Events, (std::vector<std::string>{"changing from 0", "change to 1"}));
        EXPECT_TRUE(p.Second.Visible());
        SendMessageA(p.Pages.Handle(), WM_KEYDOWN, VK_RIGHT, 1);
        EXPECT_EQ(p.Events.size(), 2u) << "nothing after the last page";
        p.Events.clear();
        p.Allow = false;
        SendMessageA(p.Pages.Handle(), WM_KEYDOWN, VK_LEFT, 1);
        EXPECT_EQ(p.Events, (std::vector<std::string>{"changing from 1"}));
        EXPECT_EQ(p.Pages.ActivePage(), &p.Second) << "a refused change keeps the page";
    }
}

TEST_F(PagesTest, FlatButtonsWithImagesAndPagesFillTheAreaBelowThem) {
    TPageControl pages(Form);
    pages.SetBounds(0, 0, 300, 200);
    TImageList images(20, 20);
    TTabSheet first(&pages), second(&pages);
    pages.SetStyle(tsFlatButtons);
    pages.SetImages(&images);
    first.SetCaption("About");
    first.SetImageIndex(0);
    second.SetCaption("Version History");
    second.SetImageIndex(1);
    const LONG style = GetWindowLongA(pages.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & TCS_BUTTONS);
    EXPECT_TRUE(style & TCS_FLATBUTTONS);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(pages.Handle(), TCM_GETIMAGELIST, 0, 0)),
              images.Handle());
    TCITEMA item{};
    item.mask = TCIF_IMAGE;
    SendMessageA(pages.Handle(), TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 1);

    const RECT button = pages.TabRect(0);
    EXPECT_GT(button.bottom - button.top, 0);
    EXPECT_GT(pages.TabRect(1).left, button.left) << "the selectors stand side by side";
    EXPECT_GE(first.Top(), button.bottom) << "the page lies below the selectors";
    EXPECT_GT(first.Width(), 250);
    EXPECT_GT(first.Height(), 120);
    pages.SetStyle(tsTabs);
    EXPECT_FALSE(GetWindowLongA(pages.Handle(), GWL_STYLE) & TCS_BUTTONS);
    pages.SetImages(nullptr);
}

TEST_F(PagesTest, RemovingTheActivePageShowsTheFirst) {
    TPageControl pages(Form);
    pages.SetAlign(alClient);
    TTabSheet first(&pages);
    {
        TTabSheet second(&pages);
        pages.SetActivePage(&second);
        EXPECT_FALSE(first.Visible());
    }
    EXPECT_EQ(pages.PageCount(), 1);
    EXPECT_EQ(pages.ActivePage(), &first);
    EXPECT_TRUE(first.Visible());
    EXPECT_EQ(SendMessageA(pages.Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
}

TEST_F(PagesTest, RichEditTextComesBackWithLineBreaksAndTakesTextWhileReadOnly) {
    TRichEdit edit(Form);
    edit.SetBounds(0, 0, 300, 200);
    edit.SetReadOnly(true);
    edit.SetText("Version 1.0.1.1\r\n---\r\nFirst Release");
    EXPECT_EQ(edit.Text(), "Version 1.0.1.1\r\n---\r\nFirst Release");
    EXPECT_EQ(edit.GetTextLen(), 35) << "CR LF counts as two";

    edit.SetSelStart(edit.GetTextLen()); // past the end: the end
    EXPECT_EQ(edit.SelStart(), 33) << "positions count a paragraph break once";
    edit.SetSelLength(0);
    edit.SetSelText("\r\nmore");
    EXPECT_EQ(edit.Text(), "Version 1.0.1.1\r\n---\r\nFirst Release\r\nmore")
        << "read-only stops the user, not the program";
    EXPECT_EQ(edit.SelStart(), 38) << "the insertion point ends after the new text";

    edit.SetSelStart(8);
    edit.SetSelLength(7);
    EXPECT_EQ(edit.SelText(), "1.0.1.1");
    edit.Clear();
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(edit.GetTextLen(), 0);
}

TEST_F(PagesTest, RichEditInsertsEachPieceInTheSelectionsFormat) {
    TRichEdit edit(Form);
    edit.SetBounds(0, 0, 300, 200);
    auto append = [&](const std::string& text, const char* face, TColor color, TFontStyle style,
                      int size) {
        edit.SetSelStart(edit.GetTextLen());
        edit.SetSelLength(0);
        edit.SelAttributes().SetName(face);
        edit.SelAttributes().SetColor(color);
        edit.SelAttributes().SetStyle(style);
        edit.SelAttributes().SetSize(size);
        edit.SetSelText(text);
    };
    append("Title\r\n", "Arial", clRed, fsBold, 14);
    append("Heading\r\n", "Arial", clNavy, fsBold | fsItalic, 12);
    append("Body\r\n", "Courier New", clWindowText, fsNone, 8);

    CHARFORMAT2A title = FormatAt(edit, PositionOf(edit, "Title"));
    EXPECT_STREQ(title.szFaceName, "Arial");
    EXPECT_EQ(title.crTextColor & 0xFFFFFF, RGB(255, 0, 0));
    EXPECT_FALSE(title.dwEffects & CFE_AUTOCOLOR);
    EXPECT_TRUE(title.dwEffects & CFE_BOLD);
    EXPECT_EQ(title.yHeight, 14 * 20);

    CHARFORMAT2A heading = FormatAt(edit, PositionOf(edit, "Heading"));
    EXPECT_EQ(heading.crTextColor & 0xFFFFFF, RGB(0, 0, 128));
    EXPECT_TRUE(heading.dwEffects & CFE_ITALIC);
    EXPECT_EQ(heading.yHeight, 12 * 20);

    CHARFORMAT2A body = FormatAt(edit, PositionOf(edit, "Body"));
    EXPECT_STREQ(body.szFaceName, "Courier New");
    EXPECT_TRUE(body.dwEffects & CFE_AUTOCOLOR) << "window text follows the system colour";
    EXPECT_FALSE(body.dwEffects & (CFE_BOLD | CFE_ITALIC));
    EXPECT_EQ(body.yHeight, 8 * 20);

    // And read back through the attributes of a selection.
    edit.SetSelStart(PositionOf(edit, "Heading"));
    edit.SetSelLength(3);
    EXPECT_EQ(edit.SelAttributes().Name(), "Arial");
    EXPECT_EQ(edit.SelAttributes().Color(), clNavy);
    EXPECT_EQ(edit.SelAttributes().Style(), fsBold | fsItalic);
    EXPECT_EQ(edit.SelAttributes().Size(), 12);
    edit.SetSelStart(PositionOf(edit, "Body"));
    edit.SetSelLength(2);
    EXPECT_EQ(edit.SelAttributes().Color(), clWindowText);
}

TEST_F(PagesTest, RichEditAlignmentHoldsForEveryParagraphAndSurvivesClearing) {
    TRichEdit edit(Form);
    edit.SetBounds(0, 0, 300, 200);
    edit.SetAlignment(taCenter);
    EXPECT_TRUE(GetWindowLongA(edit.Handle(), GWL_STYLE) & ES_CENTER);
    edit.SetText("one\r\ntwo");
    for (int round = 0; round < 2; ++round) {
        edit.SetSelStart(edit.GetTextLen());
        edit.SetSelText("three\r\nfour\r\n");
        for (const char* word : {"one", "two", "three", "four"})
            EXPECT_EQ(edit.ParagraphAlignment(PositionOf(edit, word)), taCenter) << word;
        edit.Clear();
        edit.SetSelText("one\r\ntwo");
    }
    edit.SetAlignment(taRightJustify);
    EXPECT_EQ(edit.ParagraphAlignment(0), taRightJustify);
    EXPECT_FALSE(GetWindowLongA(edit.Handle(), GWL_STYLE) & ES_CENTER);
}

TEST_F(PagesTest, RichEditHoldsLongTextsAndWrapsOnlyWhenAsked) {
    TRichEdit edit(Form);
    edit.SetBounds(0, 0, 200, 100);
    // Far beyond the system's default limit of 32,767 characters.
    std::string big;
    for (int i = 0; i < 4000; ++i)
        big += "line " + std::to_string(i) + " of the report\r\n";
    edit.SetSelText(big);
    EXPECT_EQ(edit.GetTextLen(), static_cast<int>(big.size()));

    const std::string longLine(400, 'x');
    edit.SetText(longLine + " " + longLine);
    EXPECT_GT(SendMessageA(edit.Handle(), EM_GETLINECOUNT, 0, 0), 1) << "wraps by default";
    edit.SetScrollBars(ssVertical);
    edit.SetWordWrap(false);
    EXPECT_EQ(edit.Text(), longLine + " " + longLine) << "the text survives the new window";
    EXPECT_EQ(SendMessageA(edit.Handle(), EM_GETLINECOUNT, 0, 0), 1);
    edit.SetSelText("\r\n" + big);
    // The vertical bar shows once the text outgrows the window; there is no horizontal one.
    const LONG style = GetWindowLongA(edit.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL);
    EXPECT_EQ(edit.Left(), 0);
    EXPECT_EQ(edit.Width(), 200);

    EXPECT_GE(SendMessageA(edit.Handle(), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE)
        << "no limit survives the new window";
    edit.SetMaxLength(10);
    EXPECT_EQ(SendMessageA(edit.Handle(), EM_GETLIMITTEXT, 0, 0), 10);
}

TEST_F(PagesTest, RichEditEnterPressesTheDefaultButtonOnlyWhenReadOnly) {
    TRichEdit edit(Form);
    MSG enter{edit.Handle(), WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
    edit.SetReadOnly(true);
    EXPECT_FALSE(
        SendMessageA(edit.Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
        DLGC_WANTMESSAGE);
    edit.SetReadOnly(false);
    EXPECT_TRUE(
        SendMessageA(edit.Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
        DLGC_WANTMESSAGE);
}

TEST_F(PagesTest, BevelDrawsItsTopLineBeneathItsSiblings) {
    TPanel panel(Form);
    panel.SetBounds(0, 0, 200, 40);
    panel.SetBevelOuter(bvNone);
    TPanel over(&panel);
    over.SetBounds(10, 5, 20, 20);
    TBevel bevel(&panel);
    bevel.SetAlign(alTop);
    bevel.SetHeight(9);
    bevel.SetShape(bsTopLine);
    EXPECT_EQ(bevel.Width(), 200);
    EXPECT_EQ(bevel.Height(), 9);
    // A bevel is part of the background: later controls still lie over it.
    HWND lowest = GetWindow(panel.Handle(), GW_CHILD);
    while (GetWindow(lowest, GW_HWNDNEXT))
        lowest = GetWindow(lowest, GW_HWNDNEXT);
    EXPECT_EQ(lowest, bevel.Handle());

    TCanvas canvas(200, 9);
    canvas.Print(bevel.Handle());
    EXPECT_EQ(canvas.At(50, 0), GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF);
    EXPECT_EQ(canvas.At(50, 1), GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF);
    EXPECT_EQ(canvas.At(50, 5), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
    bevel.SetShape(bsBottomLine);
    bevel.SetStyle(bsRaised);
    canvas.Print(bevel.Handle());
    EXPECT_EQ(canvas.At(50, 7), GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF);
    EXPECT_EQ(canvas.At(50, 8), GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF);
    EXPECT_EQ(canvas.At(50, 0), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
}

TEST_F(PagesTest, ATransparentLabelShowsThePictureBeneathIt) {
    TPanel page(Form);
    page.SetBounds(0, 0, 200, 100);
    page.SetBevelOuter(bvNone);
    TImage picture(&page);
    picture.SetBounds(10, 10, 100, 40); // 10..110 x 10..50
    picture.SetBitmap(SolidBitmap(100, 40, RGB(0, 128, 255)));
    TLabel label(&page);
    label.SetAutoSize(false);
    label.SetBounds(60, 40, 100, 14); // its upper left part over the picture
    label.SetAlignment(taRightJustify);
    label.SetCaption("1.0");
    SetWindowPos(picture.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    TCanvas canvas(100, 14);
    canvas.Print(label.Handle());
    EXPECT_EQ(canvas.At(5, 5), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) << "opaque by default";

    label.SetTransparent(true);
    canvas.Print(label.Handle());
    EXPECT_EQ(canvas.At(5, 5), RGB(0, 128, 255)) << "the picture shows through";
    EXPECT_EQ(canvas.At(5, 12), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF)
        << "below the picture: the parent";
    EXPECT_EQ(canvas.At(60, 5), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) << "beside it as well";
    // The text itself, at the right edge, is still drawn.
    bool ink = false;
    for (int x = 80; x < 100; ++x)
        for (int y = 0; y < 14; ++y)
            ink = ink || canvas.At(x, y) == (GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF);
    EXPECT_TRUE(ink);
}

TEST(FormatDateTime, TheReportsDateAndTwelveHourTime) {
    TFormatSettings fmt; // English names, ':' and '/'
    const char* shortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char* longMonths[12] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};
    for (int i = 0; i < 7; ++i)
        fmt.ShortDayNames[i] = shortDays[i];
    for (int i = 0; i < 12; ++i)
        fmt.LongMonthNames[i] = longMonths[i];
    TDateTime day = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 3, 5, day));
    EXPECT_EQ(FormatDateTime("ddd dd, mmmm, yyyy", day, fmt), "Tue 05, March, 2024");
    auto at = [&](int h, int m, int s) {
        TDateTime t = 0;
        EXPECT_TRUE(TryEncodeTime(h, m, s, 0, t));
        return FormatDateTime("hh:nn:ss AM/PM", day + t, fmt);
    };
    EXPECT_EQ(at(0, 5, 9), "12:05:09 AM");
    EXPECT_EQ(at(11, 59, 59), "11:59:59 AM");
    EXPECT_EQ(at(12, 30, 0), "12:30:00 PM");
    EXPECT_EQ(at(13, 5, 9), "01:05:09 PM");
    EXPECT_EQ(at(23, 0, 0), "11:00:00 PM");
    fmt.TimeSeparator = '.';
    EXPECT_EQ(at(13, 5, 9), "01.05.09 PM") << "':' is the locale's time separator";
}

TEST(FormatDateTime, OtherPartsQuotesAndMinutesAfterHours) {
    TFormatSettings fmt;
    fmt.DateSeparator = '-';
    fmt.TimeAMString = "vorm.";
    fmt.TimePMString = "nachm.";
    for (int i = 0; i < 12; ++i)
        fmt.ShortMonthNames[i] = "M" + std::to_string(i + 1);
    for (int i = 0; i < 7; ++i)
        fmt.LongDayNames[i] = "D" + std::to_string(i);
    TDateTime value = 0, time = 0;
    ASSERT_TRUE(TryEncodeDate(2009, 1, 4, value)); // a Sunday
    ASSERT_TRUE(TryEncodeTime(7, 8, 9, 45, time));
    value += time;
    EXPECT_EQ(FormatDateTime("d/m/yy", value, fmt), "4-1-09");
    EXPECT_EQ(FormatDateTime("dddd mmm", value, fmt), "D0 M1");
    EXPECT_EQ(FormatDateTime("h:mm", value, fmt), "7:08") << "m after an hour is the minutes";
    EXPECT_EQ(FormatDateTime("HH:NN:SS.zzz", value, fmt), "07:08:09.045");
    EXPECT_EQ(FormatDateTime("hh ampm", value + 0.5, fmt), "07 nachm.");
    EXPECT_EQ(FormatDateTime("h a/p", value, fmt), "7 a");
    EXPECT_EQ(FormatDateTime("'dd' \"mm\" yyyy", value, fmt), "dd mm 2009");
    EXPECT_EQ(FormatDateTime("hh", value + 0.5, fmt), "19") << "24-hour clock without AM/PM";
    // Now is today, to the second.
    SYSTEMTIME t{};
    GetLocalTime(&t);
    const TDateTime now = Now();
    int y, mo, d, h, mi, s, ms;
    ASSERT_TRUE(TryDecodeDateTime(now, y, mo, d, h, mi, s, ms));
    EXPECT_EQ(y, t.wYear);
    EXPECT_EQ(mo, t.wMonth);
    EXPECT_EQ(d, t.wDay);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
