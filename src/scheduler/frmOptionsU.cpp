#include "scheduler/frmOptionsU.h"

#include "base/EncodeTime.h"
#include "base/ScopeExit.h"
#include "scheduler/OkCancelPanel.h"
#include "settings/ProgramKeys.h"

TfrmOptions* frmOptions = nullptr;

// The windows are made when the options first run, with everything set here.
TfrmOptions::TfrmOptions() : TForm("TfrmOptions") {
    SetCaption("Options");
    SetBorderStyle(bsDialog);
    SetColor(clBtnFace);
    SetPosition(poDesktopCenter);

    SetClientSize(428, 178);

    LayOutOkCancel(pnlButtons, pnlMain, btnOk, btnCancel, 344);

    gbGeneral.SetAlign(alClient);
    gbGeneral.SetCaption("Options");
    gbGeneral.SetTabOrder(0);

    cbAutoRun.SetBounds(8, 24, 137, 17);
    cbAutoRun.SetCaption("Load on system startup");

    // "[x] Automatically [Logoff] my workstation at [20:00]"
    cbEnableSundown.SetBounds(8, 56, 89, 17);
    cbEnableSundown.SetCaption("Automatically");
    comboExitWindowsType.SetBounds(104, 56, 89, 21);
    for (const char* action : {"Logoff", "Restart", "Shutdown"})
        comboExitWindowsType.Items().Add(action);
    comboExitWindowsType.SetItemIndex(0);
    Label1.SetBounds(200, 56, 0, 0);
    Label1.SetCaption("my workstation at");
    DateTimePickerExitWindows.SetBounds(296, 56, 89, 21);
    DateTimePickerExitWindows.SetDateTime(EncodeTime(20, 0, 0, 0));

    // "Provide [30] seconds  warning to cancel event."
    Label2.SetBounds(28, 88, 0, 0);
    Label2.SetCaption("Provide ");
    editWarning.SetBounds(72, 88, 49, 21);
    editWarning.SetValue(30);
    Label3.SetBounds(128, 88, 0, 0);
    Label3.SetCaption("seconds  warning to cancel event.");

    cbAutoRun.SetTabOrder(0);
    cbEnableSundown.SetTabOrder(1);
    comboExitWindowsType.SetTabOrder(2);
    DateTimePickerExitWindows.SetTabOrder(3);
    editWarning.SetTabOrder(4);
}

int TfrmOptions::Execute(TProgramSettings* Settings) {
    if (!Settings)
        throw Exception("The options window needs a settings object");
    // Asked again while it is open (the tray menu still works during the modal run): the open
    // run keeps its controls and its settings object.
    if (Modal()) {
        BringToFront();
        return mrCancel;
    }
    FSettings = Settings;
    // The settings object is only lent for this run, whatever way it ends.
    const TScopeExit borrowEnd([this] { FSettings = nullptr; });

    LoadFromSettings();
    const int result = ShowModal();
    if (result == mrOk) {
        SaveToSettings();
        FSettings->SetAutoRun("", cbAutoRun.Checked());
    }
    return result;
}

void TfrmOptions::LoadFromSettings() {
    cbAutoRun.SetChecked(FSettings->IsAutoRun());
    cbEnableSundown.SetChecked(FSettings->GetValue(key::Enabled).AsBoolean());
    comboExitWindowsType.SetItemIndex(FSettings->GetValue(key::ExitWindowsType).AsInteger());
    // Hour and Minute are narrowed to 16 bits, as the time encoder takes them.
    const auto minute = static_cast<uint16_t>(FSettings->GetValue(key::Minute).AsInteger());
    const auto hour = static_cast<uint16_t>(FSettings->GetValue(key::Hour).AsInteger());
    DateTimePickerExitWindows.SetDateTime(EncodeTime(hour, minute, 0, 0));
    editWarning.SetValue(FSettings->GetValue(key::Warning).AsDouble());
}

void TfrmOptions::SaveToSettings() {
    FSettings->SetValue(key::Enabled, cbEnableSundown.Checked());
    FSettings->SetValue(key::ExitWindowsType, comboExitWindowsType.ItemIndex());
    uint16_t hour = 0, minute = 0, second = 0, msec = 0;
    DecodeTime(DateTimePickerExitWindows.DateTime(), hour, minute, second, msec);
    FSettings->SetValue(key::Hour, static_cast<int>(hour));
    FSettings->SetValue(key::Minute, static_cast<int>(minute));
    FSettings->SetValue(key::Warning, editWarning.Value());
}
