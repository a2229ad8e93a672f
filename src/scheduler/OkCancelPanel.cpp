#include "scheduler/OkCancelPanel.h"

void LayOutOkCancel(TPanel& Buttons, TPanel& Main, TJvXPButton& Ok, TJvXPButton& Cancel,
                    int CancelLeft) {
    Buttons.SetAlign(alBottom);
    Buttons.SetHeight(41);
    Buttons.SetBevelOuter(bvNone);
    Buttons.SetTabOrder(0);

    Cancel.SetBounds(CancelLeft, 8, 73, 21);
    Cancel.SetCaption("Cancel");
    Cancel.SetModalResult(mrCancel);
    Cancel.SetTabOrder(0);
    Ok.SetBounds(CancelLeft - 80, 8, 73, 21);
    Ok.SetCaption("Ok");
    Ok.SetModalResult(mrOk);
    Ok.SetTabOrder(1);

    Main.SetAlign(alClient);
    Main.SetBevelOuter(bvNone);
    Main.SetBorderWidth(5);
    Main.SetTabOrder(1);
}
