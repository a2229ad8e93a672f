#pragma once
// TDateTimePicker: the system's date and time picker (DATETIMEPICK_CLASS). dtkDate shows a date
// with a drop-down calendar; dtkTime a time of day in the system's time format, with up-down
// buttons.
//
//   TDateTimePicker DateTimePickerExitWindows{&gbGeneral, dtkTime};
//   DateTimePickerExitWindows.SetBounds(296, 56, 89, 21);
//   DateTimePickerExitWindows.SetDateTime(EncodeTime(20, 0, 0, 0));
//
// DateTime is date and time together as a TDateTime; a time-of-day picker keeps the date it was
// given (30 December 1899 for a bare time).
#include "gui/Control.h"
#include "base/Variant.h"

enum TDateTimeKind : uint8_t { dtkDate, dtkTime };

class TDateTimePicker : public TControl {
public:
    explicit TDateTimePicker(TControl* Parent, TDateTimeKind Kind = dtkDate);

    TDateTimeKind Kind() const { return FKind; }
    TDateTime DateTime() const;
    // Raises EConvertError for a value outside the years 1601 to 9999, which the control cannot
    // hold.
    void SetDateTime(TDateTime Value);

    // The user changed the value.
    TNotifyEvent OnChange;

protected:
    void CreateWnd() override;
    bool CNNotify(NMHDR* Header, LRESULT& Result) override;

private:
    TDateTimeKind FKind;
    // While there is no window; unset: the window shows the time it is made.
    SYSTEMTIME FTime{};
    bool FTimeSet = false;
};
