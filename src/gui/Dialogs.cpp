#include "gui/Dialogs.h"

#include <windows.h>

#include "gui/Application.h"
#include "gui/Classes.h"

namespace {

UINT ButtonFlags(TMsgDlgButtons B) {
    if ((B & mbAbort) && (B & mbRetry) && (B & mbIgnore))
        return MB_ABORTRETRYIGNORE;
    if ((B & mbYes) && (B & mbNo))
        return (B & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    if ((B & mbRetry) && (B & mbCancel))
        return MB_RETRYCANCEL;
    if ((B & mbOK) && (B & mbCancel))
        return MB_OKCANCEL;
    return MB_OK;
}

int ModalResultOf(int Id) {
    switch (Id) {
    case IDOK:
        return mrOk;
    case IDCANCEL:
        return mrCancel;
    case IDABORT:
        return mrAbort;
    case IDRETRY:
        return mrRetry;
    case IDIGNORE:
        return mrIgnore;
    case IDYES:
        return mrYes;
    case IDNO:
        return mrNo;
    default:
        return mrNone;
    }
}

} // namespace

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
    std::string caption;
    UINT icon = 0;
    switch (DlgType) {
    case mtWarning:
        caption = "Warning", icon = MB_ICONWARNING;
        break;
    case mtError:
        caption = "Error", icon = MB_ICONERROR;
        break;
    case mtInformation:
        caption = "Information", icon = MB_ICONINFORMATION;
        break;
    case mtConfirmation:
        caption = "Confirm", icon = MB_ICONQUESTION;
        break;
    default:
        caption = Application().Title();
        break;
    }
    return ModalResultOf(Application().MessageBox(Msg, caption, ButtonFlags(Buttons) | icon));
}

void ShowMessage(const std::string& Msg) {
    Application().MessageBox(Msg, Application().Title(), MB_OK);
}
