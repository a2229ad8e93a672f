#pragma once
// TComboBox: the system's combo box. csDropDownList picks from the list only; csDropDown also
// lets the user type.
//
//   TComboBox comboExitWindowsType{&gbGeneral, csDropDownList};
//   comboExitWindowsType.SetBounds(104, 56, 89, 21);
//   comboExitWindowsType.Items().Add("Logoff"); ...
//   comboExitWindowsType.SetItemIndex(0);           // -1 or any index outside the list: none
//
// Height is the closed box's; the drop-down list opens below it, DropDownCount items tall.
#include <string>

#include <string>
#include <vector>

#include "gui/Control.h"

enum TComboBoxStyle : uint8_t { csDropDown, csDropDownList };

class TComboBox : public TControl {
public:
    // The items of the list, in the control itself.
    class TItems {
        friend class TComboBox;

    public:
        explicit TItems(TComboBox& Owner) : FOwner(Owner) {}
        TItems(const TItems&) = delete;
        TItems& operator=(const TItems&) = delete;
        // Appends text; returns its index.
        int Add(const std::string& Text);
        void Clear();
        int Count() const;
        // The text of item index; empty outside the list.
        std::string operator[](int Index) const;

    private:
        TComboBox& FOwner;
        std::vector<std::string> FList; // the window holds a copy
    };

    explicit TComboBox(TControl* Parent, TComboBoxStyle Style = csDropDown);

    TComboBoxStyle Style() const { return FStyle; }
    TItems& Items() { return FItems; }
    const TItems& Items() const { return FItems; }
    // The selected item, -1 when none.
    int ItemIndex() const;
    void SetItemIndex(int Value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value);

    void SetBounds(int Left, int Top, int Width, int Height) override;

    // The user chose another item.
    TNotifyEvent OnChange;

protected:
    void CreateWnd() override;
    bool CNCommand(WORD Code) override;

private:
    int ListHeight() const;
    TComboBoxStyle FStyle;
    TItems FItems{*this};
    int FDropDownCount = 8;
    int FItemIndex = -1; // while there is no window
    int FBoxHeight = 21;
};
