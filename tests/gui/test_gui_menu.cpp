// Actions and popup menus: the system menu built from the item tree, read back with
// GetMenuItemInfoA, and the real TrackPopupMenu run.
#include <gtest/gtest.h>

#include <functional>

#include "gui/Action.h"
#include "gui/Application.h"
#include "gui/Button.h"
#include "gui/Form.h"
#include "gui/ImageList.h"
#include "gui/Menu.h"
#include "gui/Timer.h"

namespace {

struct TItemInfo {
    std::string Text;
    UINT Type = 0, State = 0, Id = 0;
    HMENU SubMenu = nullptr;
    HBITMAP Bitmap = nullptr;
    ULONG_PTR Data = 0;
};

TItemInfo ReadItem(HMENU menu, UINT position) {
    char text[128] = {};
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask =
        MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
    mii.dwTypeData = text;
    mii.cch = sizeof(text);
    EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &mii));
    return {text, mii.fType, mii.fState, mii.wID, mii.hSubMenu, mii.hbmpItem, mii.dwItemData};
}

// The tray menu of the program, in miniature.
struct TTrayMenu {
    TImageList Images{16, 16};
    TActionList Actions;
    TAction ActionShow{&Actions}, ActionActive{&Actions}, ActionLogoff{&Actions},
        ActionExit{&Actions};
    TPopupMenu Popup;
    TMenuItem Open1{&Popup.Items()};
    TMenuItem N2{&Popup.Items()};
    TMenuItem asks1{&Popup.Items()};
    TMenuItem Active1{&asks1};
    TMenuItem Logoff1{&asks1};
    TMenuItem N1{&Popup.Items()};
    TMenuItem Exit1{&Popup.Items()};
    bool Armed = true;
    int Updates = 0;
    std::vector<std::string> Ran;

    TTrayMenu() {
        for (int i = 0; i < 7; ++i)
            Images.AddIcon(LoadIconA(nullptr, IDI_APPLICATION));
        Popup.SetImages(&Images);
        ActionShow.SetCaption("Open");
        ActionShow.SetImageIndex(3);
        ActionActive.SetCaption("Active");
        ActionActive.SetCategory("Tasks");
        ActionLogoff.SetCaption("Logoff");
        ActionLogoff.SetImageIndex(5);
        ActionExit.SetCaption("E&xit");
        ActionExit.SetImageIndex(2);
        ActionActive.OnUpdate = [this](TObject*) {
            ++Updates;
            ActionActive.SetChecked(Armed);
        };
        for (TAction* a : {&ActionShow, &ActionActive, &ActionLogoff, &ActionExit})
            a->OnExecute = [this, a](TObject*) { Ran.push_back(a->Caption()); };
        Open1.SetAction(&ActionShow);
        Open1.SetDefault(true);
        N2.SetCaption("-");
        asks1.SetCaption("Tasks");
        Active1.SetAction(&ActionActive);
        Logoff1.SetAction(&ActionLogoff);
        N1.SetCaption("-");
        Exit1.SetAction(&ActionExit);
    }
};

// The popup menu window on screen, if any.
HWND MenuWindow() {
    return FindWindowA("#32768", nullptr);
}

// Runs f once with the popup menu's window, from a timer of the menu's loop, once it shows.
void WhenMenuShows(TTimer& timer, std::function<void(HWND)> f) {
    timer.SetInterval(100);
    timer.OnTimer = [&timer, f](TObject*) {
        if (HWND w = MenuWindow()) {
            timer.SetEnabled(false);
            f(w);
        }
    };
}

} // namespace

TEST(Menu, BuildsItemsInOrderWithDefaultSeparatorsSubmenuAndImages) {
    TTrayMenu m;
    MenuHandle menu = m.Popup.BuildMenu();
    ASSERT_EQ(GetMenuItemCount(menu.get()), 5);
    const TItemInfo open = ReadItem(menu.get(), 0);
    EXPECT_EQ(open.Text, "Open");
    EXPECT_TRUE(open.State & MFS_DEFAULT);
    EXPECT_EQ(open.Bitmap, HBMMENU_CALLBACK);
    EXPECT_EQ(m.Popup.ItemOfCommand(open.Id), &m.Open1);
    EXPECT_EQ(open.Data, reinterpret_cast<ULONG_PTR>(&m.Open1));
    EXPECT_EQ(GetMenuDefaultItem(menu.get(), TRUE, 0), 0u);
    EXPECT_TRUE(ReadItem(menu.get(), 1).Type & MFT_SEPARATOR);
    const TItemInfo tasks = ReadItem(menu.get(), 2);
    EXPECT_EQ(tasks.Text, "Tasks");
    ASSERT_NE(tasks.SubMenu, nullptr);
    EXPECT_FALSE(tasks.State & MFS_DEFAULT);
    ASSERT_EQ(GetMenuItemCount(tasks.SubMenu), 2);
    const TItemInfo active = ReadItem(tasks.SubMenu, 0);
    EXPECT_EQ(active.Text, "Active");
    EXPECT_EQ(active.Bitmap, nullptr) << "no image index, no image";
    EXPECT_EQ(ReadItem(tasks.SubMenu, 1).Text, "Logoff");
    EXPECT_TRUE(ReadItem(menu.get(), 3).Type & MFT_SEPARATOR);
    const TItemInfo exitItem = ReadItem(menu.get(), 4);
    EXPECT_EQ(exitItem.Text, "E&xit");
    EXPECT_EQ(m.Popup.ItemOfCommand(exitItem.Id), &m.Exit1);
}

TEST(Menu, ActionUpdateRunsBeforeBuildAndSetsCheckMark) {
    TTrayMenu m;
    m.Armed = true;
    MenuHandle armed = m.Popup.BuildMenu();
    EXPECT_GE(m.Updates, 1);
    HMENU tasks = ReadItem(armed.get(), 2).SubMenu;
    EXPECT_TRUE(ReadItem(tasks, 0).State & MFS_CHECKED);
    m.Armed = false;
    MenuHandle disarmed = m.Popup.BuildMenu();
    tasks = ReadItem(disarmed.get(), 2).SubMenu;
    EXPECT_FALSE(ReadItem(tasks, 0).State & MFS_CHECKED);
}

TEST(Menu, HiddenAndDisabledActionsShowSo) {
    TTrayMenu m;
    m.ActionExit.SetEnabled(false);
    m.ActionLogoff.SetVisible(false);
    MenuHandle menu = m.Popup.BuildMenu();
    EXPECT_TRUE(ReadItem(menu.get(), 4).State & MFS_DISABLED);
    EXPECT_EQ(GetMenuItemCount(ReadItem(menu.get(), 2).SubMenu), 1);
}

TEST(Menu, PopupShowsTheUpdatedMenuAndRunsTheChosenItem) {
    TTrayMenu m;
    m.Armed = true;
    int updatesBefore = -1;
    m.Popup.OnPopup = [&](TObject*) { updatesBefore = m.Updates; };
    bool checkedOnScreen = false;
    bool sawMenu = false;
    TTimer timer;
    WhenMenuShows(timer, [&](HWND w) {
        sawMenu = true;
        HMENU shown = reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
        if (shown) {
            HMENU tasks = ReadItem(shown, 2).SubMenu;
            checkedOnScreen = tasks && (ReadItem(tasks, 0).State & MFS_CHECKED);
        }
        // Choose the first item (Open) with the keyboard.
        PostMessageA(w, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(w, WM_KEYDOWN, VK_RETURN, 0);
    });
    m.Popup.Popup(100, 100);
    EXPECT_TRUE(sawMenu);
    EXPECT_GE(updatesBefore, 1) << "OnUpdate ran before the menu showed";
    EXPECT_TRUE(checkedOnScreen);
    EXPECT_EQ(m.Ran, std::vector<std::string>{"Open"});
}

TEST(Menu, PopupClosedWithoutChoiceRunsNothing) {
    TTrayMenu m;
    TTimer timer;
    WhenMenuShows(timer, [](HWND) { EndMenu(); });
    m.Popup.Popup(50, 50);
    EXPECT_TRUE(m.Ran.empty());
}

TEST(Menu, PicturesStandApartFromTheirCaptions) {
    TTrayMenu m;
    // Pictures of one plain colour, to be told apart from the captions on screen.
    const COLORREF red = RGB(255, 0, 0);
    HDC screen = GetDC(nullptr);
    HBITMAP strip = CreateCompatibleBitmap(screen, 16 * 7, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, strip);
    RECT all{0, 0, 16 * 7, 16};
    HBRUSH brush = CreateSolidBrush(red);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    m.Images.Clear();
    m.Images.AddBitmap(strip);
    DeleteObject(strip);

    std::vector<int> gaps; // per pictured item: background columns between picture and caption
    TTimer timer;
    WhenMenuShows(timer, [&](HWND w) {
        HMENU shown = reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
        HDC menuDC = GetDC(w);
        for (int item : {0, 4}) { // Open, Exit
            RECT r{};
            GetMenuItemRect(nullptr, shown, static_cast<UINT>(item), &r);
            POINT origin{r.left, r.top};
            ScreenToClient(w, &origin);
            const int height = r.bottom - r.top;
            const COLORREF background =
                GetPixel(menuDC, origin.x + (r.right - r.left) - 3, origin.y + height / 2);
            int pictureEnd = -1, captionStart = -1;
            for (int x = 0; x < r.right - r.left && captionStart < 0; ++x) {
                bool picture = false, other = false;
                for (int y = 2; y < height - 2; ++y) {
                    const COLORREF c = GetPixel(menuDC, origin.x + x, origin.y + y) & 0xFFFFFF;
                    picture = picture || c == red;
                    other = other || (c != red && c != background);
                }
                if (picture)
                    pictureEnd = x;
                else if (other && pictureEnd >= 0)
                    captionStart = x;
            }
            gaps.push_back(pictureEnd >= 0 && captionStart >= 0 ? captionStart - pictureEnd - 1
                                                                : -1);
        }
        ReleaseDC(w, menuDC);
        EndMenu();
    });
    m.Popup.Popup(100, 100);
    ASSERT_EQ(gaps.size(), 2u);
    for (int gap : gaps)
        EXPECT_GE(gap, 3) << "picture and caption touch";
}

TEST(Action, ExecuteRunsUpdateFirstAndSkipsDisabled) {
    TAction a;
    std::vector<std::string> calls;
    a.OnUpdate = [&](TObject*) { calls.push_back("update"); };
    a.OnExecute = [&](TObject*) { calls.push_back("execute"); };
    EXPECT_TRUE(a.Execute());
    EXPECT_EQ(calls, (std::vector<std::string>{"update", "execute"}));
    calls.clear();
    a.OnUpdate = [&](TObject*) { a.SetEnabled(false); };
    EXPECT_FALSE(a.Execute());
    EXPECT_TRUE(calls.empty());
}

TEST(Action, BoundButtonFollowsActionAndRunsIt) {
    TForm form("TActionTestForm");
    TAction action;
    int runs = 0;
    action.SetCaption("Options");
    action.OnExecute = [&](TObject* sender) {
        EXPECT_EQ(sender, &action);
        ++runs;
    };
    {
        TButton button(&form);
        button.SetAction(&action);
        EXPECT_EQ(button.Caption(), "Options");
        action.SetCaption("Settings");
        EXPECT_EQ(button.Caption(), "Settings");
        action.SetEnabled(false);
        EXPECT_FALSE(button.Enabled());
        action.SetEnabled(true);
        SendMessageA(button.Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(runs, 1);
    }
    // The button is gone; changing the action must not touch it.
    action.SetCaption("Again");
    TMenuItem item;
    item.SetAction(&action);
    item.Click();
    EXPECT_EQ(runs, 2);
}

TEST(Action, ActionFreedBeforeItsClientsUnbindsThem) {
    TMenuItem item;
    {
        TAction action;
        action.SetCaption("Gone");
        item.SetAction(&action);
        EXPECT_EQ(item.Action(), &action);
    }
    EXPECT_EQ(item.Action(), nullptr);
    EXPECT_EQ(item.Caption(), "Gone");
    item.Click(); // no action, no handler: nothing
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
