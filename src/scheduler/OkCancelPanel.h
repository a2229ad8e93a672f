#pragma once
// The bottom row shared by the countdown and the options window: a panel along the bottom with
// Cancel at the right and Ok beside it, and the form's main panel filling the rest.
//
//   LayOutOkCancel(pnlButtons, pnlMain, btnOk, btnCancel, 323);   // after SetClientSize
#include "gui/Panel.h"
#include "widgets/JvXPButton.h"

// Cancel comes first in the Tab order, then Ok; the button row before the main panel. Neither
// button is the Enter or the Esc button: Enter presses only a focused button.
void LayOutOkCancel(TPanel& Buttons, TPanel& Main, TJvXPButton& Ok, TJvXPButton& Cancel,
                    int CancelLeft);
