#pragma once
// Message boxes. Each goes through Application().MessageBox, whose function tests replace.
//
//   if (MessageDlg("Version 2 of \"Sundown\" is available, would you like to update now?",
//                  mtInformation, mbYes | mbNo, 0) == mrYes) ...
//   MessageDlg(message, mtError, mbOK, 0);
//   ShowMessage("Done");                     // titled with the application title
#include <string>

enum TMsgDlgType : unsigned char { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons, combined with |: the supported sets are OK, OK+Cancel, Yes+No, Yes+No+Cancel,
// Retry+Cancel and Abort+Retry+Ignore.
enum TMsgDlgBtn : unsigned {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
};
using TMsgDlgButtons = unsigned;

// Shows the message with the type's caption ("Warning", "Error", "Information", "Confirm"; the
// application title for mtCustom) and icon, centred on the screen; returns mrOk, mrYes ...
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
               int HelpCtx = 0);
// An OK box titled with the application title.
void ShowMessage(const std::string& Msg);
