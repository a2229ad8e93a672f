#include "gui/Menu.h"

#include <algorithm>

#include "gui/ImageList.h"

namespace {

// Pixels between an item's picture and its caption.
constexpr int PictureGap = 4;

} // namespace

TMenuItem::TMenuItem(TMenuItem* Parent) : FParent(Parent) {
    if (FParent)
        FParent->FItems.push_back(this);
}

TMenuItem::~TMenuItem() {
    for (TMenuItem* child : FItems)
        child->FParent = nullptr;
    if (FParent) {
        auto& siblings = FParent->FItems;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

void TMenuItem::ActionChanged() {
    TAction* a = Action();
    FCaption = a->Caption();
    FChecked = a->Checked();
    FEnabled = a->Enabled();
    FVisible = a->Visible();
    FImageIndex = a->ImageIndex();
}

void TMenuItem::Click() {
    if (Action())
        Action()->Execute();
    else if (OnClick)
        OnClick(this);
}

void TMenuItem::UpdateActions() {
    if (Action())
        Action()->Update();
    const std::vector<TMenuItem*> items = FItems;
    for (TMenuItem* item : items)
        item->UpdateActions();
}

TMenuItem* TMenuItem::DefaultItem() const {
    for (TMenuItem* item : FItems)
        if (item->FDefault && item->FVisible)
            return item;
    return nullptr;
}

TPopupMenu::TPopupMenu()
    : FWindow([this](UINT Msg, WPARAM WParam, LPARAM LParam,
                     LRESULT& Result) { return HandleMessage(Msg, WParam, LParam, Result); },
              true) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::AddItems(HMENU Menu, const TMenuItem& Parent) {
    UINT position = 0;
    for (TMenuItem* item : Parent.Items()) {
        if (!item->Visible())
            continue;
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
        mii.dwItemData = reinterpret_cast<ULONG_PTR>(item);
        FCommands.push_back(item);
        mii.wID = static_cast<UINT>(FCommands.size());
        if (item->IsLine()) {
            mii.fType = MFT_SEPARATOR;
        } else {
            mii.fMask |= MIIM_STRING;
            mii.fType = MFT_STRING;
            mii.dwTypeData = const_cast<char*>(item->Caption().c_str());
            if (item->Checked())
                mii.fState |= MFS_CHECKED;
            if (!item->Enabled())
                mii.fState |= MFS_DISABLED;
            if (item->Default())
                mii.fState |= MFS_DEFAULT;
            if (FImages && item->ImageIndex() >= 0 && item->ImageIndex() < FImages->Count()) {
                mii.fMask |= MIIM_BITMAP;
                mii.hbmpItem = HBMMENU_CALLBACK;
            }
            if (item->Count() > 0) {
                HMENU sub = CreatePopupMenu();
                AddItems(sub, *item);
                mii.fMask |= MIIM_SUBMENU;
                mii.hSubMenu = sub;
            }
        }
        InsertMenuItemA(Menu, position++, TRUE, &mii);
    }
}

MenuHandle TPopupMenu::BuildMenu() {
    FItems.UpdateActions();
    FCommands.clear();
    MenuHandle menu(CreatePopupMenu());
    AddItems(menu.get(), FItems);
    return menu;
}

TMenuItem* TPopupMenu::ItemOfCommand(UINT Id) const {
    return Id >= 1 && Id <= FCommands.size() ? FCommands[Id - 1] : nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
    FItems.UpdateActions();
    if (OnPopup)
        OnPopup(this);
    MenuHandle menu = BuildMenu();
    HWND owner = FWindow.Handle();
    // The menu closes when the user clicks elsewhere only if its owner is in the foreground.
    SetForegroundWindow(owner);
    const UINT id = static_cast<UINT>(TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, X, Y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    if (TMenuItem* item = ItemOfCommand(id))
        item->Click();
}

bool TPopupMenu::HandleMessage(UINT Msg, WPARAM, LPARAM LParam, LRESULT& Result) {
    if (Msg == WM_MEASUREITEM) {
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(LParam);
        if (m->CtlType != ODT_MENU || !FImages)
            return false;
        // The picture's column takes a gap after the picture, so the caption does not touch it.
        m->itemWidth = static_cast<UINT>(FImages->Width() + PictureGap);
        m->itemHeight = static_cast<UINT>(FImages->Height());
        Result = TRUE;
        return true;
    }
    if (Msg == WM_DRAWITEM) {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(LParam);
        if (d->CtlType != ODT_MENU || !FImages)
            return false;
        auto* item = reinterpret_cast<TMenuItem*>(d->itemData);
        if (std::find(FCommands.begin(), FCommands.end(), item) == FCommands.end())
            return false;
        const int y = d->rcItem.top + (d->rcItem.bottom - d->rcItem.top - FImages->Height()) / 2;
        FImages->Draw(d->hDC, d->rcItem.left, y, item->ImageIndex(), !(d->itemState & ODS_GRAYED));
        Result = TRUE;
        return true;
    }
    return false;
}
