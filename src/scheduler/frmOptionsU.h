#pragma once
// The options window: edits the schedule (armed, action, time of day, warning seconds) and the
// start-with-Windows entry. Created once at start-up and reused:
//
//   Application().CreateForm(frmOptions);
//   if (frmOptions->Execute(FSettings.get()) == mrOk) { SaveSettings(); ApplyAlarm(); ... }
//
// Execute copies "Enabled", "ExitWindowsType", "Hour", "Minute" and "Warning" into the controls,
// runs the window modally and, on Ok, copies them back and writes or removes the Run entry. It
// saves nothing to disk; the caller does. Unregistered keys raise EProgramSettingError, an Hour
// or Minute that makes no time of day EConvertError, both before the window shows.
#include "gui/CheckBox.h"
#include "gui/ComboBox.h"
#include "gui/DateTimePicker.h"
#include "gui/Form.h"
#include "gui/GroupBox.h"
#include "gui/Label.h"
#include "gui/Panel.h"
#include "settings/OrbProgramSettings.h"
#include "widgets/JvSpinEdit.h"
#include "widgets/JvXPButton.h"

class TfrmOptions : public TForm {
public:
    TfrmOptions();

    // mrOk (1) after Ok; mrCancel (2) after Cancel, the close box or Alt+F4. Settings is only
    // borrowed for the run.
    int Execute(TProgramSettings* Settings);

    TPanel pnlButtons{this};
    TPanel pnlMain{this};
    TJvXPButton btnCancel{&pnlButtons};
    TJvXPButton btnOk{&pnlButtons};
    TGroupBox gbGeneral{&pnlMain};
    TCheckBox cbAutoRun{&gbGeneral};
    TCheckBox cbEnableSundown{&gbGeneral};
    TComboBox comboExitWindowsType{&gbGeneral, csDropDownList};
    TLabel Label1{&gbGeneral};
    TDateTimePicker DateTimePickerExitWindows{&gbGeneral, dtkTime};
    TLabel Label2{&gbGeneral};
    TJvSpinEdit editWarning{&gbGeneral};
    TLabel Label3{&gbGeneral};

private:
    void LoadFromSettings();
    void SaveToSettings();

    TProgramSettings* FSettings = nullptr;
};

extern TfrmOptions* frmOptions;
