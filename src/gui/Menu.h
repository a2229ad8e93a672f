#pragma once
// Popup menus: a tree of TMenuItem under TPopupMenu::Items(), built into a system menu each time
// it pops up. Items take caption, image, checked and enabled state from their action; the
// actions' OnUpdate runs before the menu shows. Caption "-" makes a separator.
//
//   TPopupMenu PopupActionBarTrayIcon;   PopupActionBarTrayIcon.SetImages(&ImageListMain);
//   TMenuItem Open1{&PopupActionBarTrayIcon.Items()};    // members, in menu order
//   TMenuItem N2{&PopupActionBarTrayIcon.Items()};
//   TMenuItem asks1{&PopupActionBarTrayIcon.Items()};    // a submenu ...
//   TMenuItem Active1{&asks1};                           // ... and its first item
//   Open1.SetAction(&ActionShowApplication); Open1.SetDefault(true);
//   N2.SetCaption("-"); asks1.SetCaption("Tasks");
//   PopupActionBarTrayIcon.Popup(x, y);                  // runs the chosen item
#include <string>
#include <vector>

#include "gui/Action.h"
#include "gui/Classes.h"
#include "base/Handles.h"
#include "gui/UtilWindow.h"

class TImageList;

class TMenuItem : public TObject, public TActionClient {
public:
    // Parent: the item whose submenu this one joins (a popup's Items() for the top level).
    explicit TMenuItem(TMenuItem* Parent = nullptr);
    ~TMenuItem() override;

    TMenuItem* Parent() const { return FParent; }
    const std::vector<TMenuItem*>& Items() const { return FItems; }
    int Count() const { return static_cast<int>(FItems.size()); }

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    bool IsLine() const { return FCaption == "-"; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value) { FChecked = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    // Shown in bold; the tray icon runs it on a double click.
    bool Default() const { return FDefault; }
    void SetDefault(bool Value) { FDefault = Value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }

    // Runs the action when bound, else OnClick.
    void Click();
    // OnUpdate of the actions of this item and all items below it.
    void UpdateActions();
    // The first visible default item among the direct children.
    TMenuItem* DefaultItem() const;

    TNotifyEvent OnClick;

protected:
    void ActionChanged() override;

private:
    TMenuItem* FParent;
    std::vector<TMenuItem*> FItems;
    std::string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    int FImageIndex = -1;
};

class TPopupMenu : public TObject {
public:
    TPopupMenu();
    ~TPopupMenu() override;

    TMenuItem& Items() { return FItems; }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value) { FImages = Value; }

    // Updates the items' actions, fires OnPopup, shows the menu at the screen point (x, y) and
    // runs the item chosen, if any.
    void Popup(int X, int Y);
    // The system menu as Popup shows it (actions already updated): command ids from 1 on, each
    // item's TMenuItem* in its item data, images as HBMMENU_CALLBACK drawn by this object.
    MenuHandle BuildMenu();
    // The item of a command id of the last menu built.
    TMenuItem* ItemOfCommand(UINT Id) const;
    // The window that owns the menu while it shows.
    HWND WindowHandle() const { return FWindow.Handle(); }

    TNotifyEvent OnPopup;

private:
    void AddItems(HMENU Menu, const TMenuItem& Parent);
    bool HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);

    TMenuItem FItems;
    TImageList* FImages = nullptr;
    std::vector<TMenuItem*> FCommands;
    TUtilWindow FWindow;
};

// The styled popup menu of the action manager is a plain popup menu here.
using TPopupActionBar = TPopupMenu;
