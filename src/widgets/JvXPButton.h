#pragma once
// TJvXPButton: a flat button drawn in the XP look (rounded dark-blue frame, light gradient, an
// orange rim under the mouse, a blue rim when focused). Bound to an action, it shows the action's
// caption and runs it; otherwise OnClick. ModalResult, Default and Cancel as for any button.
//
//   TJvXPButton btnOptions{&pnlButtons};
//   btnOptions.SetBounds(95, 8, 77, 29); btnOptions.SetAction(&ActionOptions);
//
// Pressed with the left mouse button (released over the button) or with the space bar; Enter
// presses it when it has the focus (through the form's dialog keys).
#include "gui/Button.h"

class TJvXPButton : public TCustomButton {
public:
    explicit TJvXPButton(TControl* Parent);

    bool Hot() const { return FHot; }
    bool Pressed() const { return FPressed && FMouseInside; }

protected:
    void CreateWnd() override;
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void Paint(HDC DC, const RECT& ClientRect) override;

private:
    bool FHot = false;
    bool FPressed = false;
    bool FMouseInside = false;
    bool FSpaceDown = false;
};
