#include "gui/DateTimePicker.h"

#include <commctrl.h>

#include "base/ConvertError.h"
#include "base/DateTime.h"

// The field is an edit's: the control asks its parent for the edit colour when it paints.
TDateTimePicker::TDateTimePicker(TControl* Parent, TDateTimeKind Kind)
    : TControl(Parent), FKind(Kind) {
    SetColor(clWindow);
}

void TDateTimePicker::CreateWnd() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    const DWORD format = FKind == dtkTime ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT;
    CreateSystemHandle(DATETIMEPICK_CLASSA, WS_CHILD | WS_VISIBLE | WS_TABSTOP | format, 0, 0, 0,
                       186, 21);
    if (FTimeSet)
        SendMessageA(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&FTime));
}

TDateTime TDateTimePicker::DateTime() const {
    SYSTEMTIME t = FTime;
    if ((HandleAllocated() || !FTimeSet) &&
        SendMessageA(Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) != GDT_VALID)
        return 0;
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(t.wYear, t.wMonth, t.wDay, date) ||
        !TryEncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, time))
        return 0;
    // Days before 30 December 1899 count down, their time of day still counting up.
    return date >= 0 ? date + time : date - time;
}

void TDateTimePicker::SetDateTime(TDateTime Value) {
    int year = 0, month = 0, day = 0, hour = 0, min = 0, sec = 0, msec = 0;
    if (!TryDecodeDateTime(Value, year, month, day, hour, min, sec, msec) || year < 1601)
        throw EConvertError("Invalid date and time for the picker");
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wDayOfWeek = static_cast<WORD>(DayOfWeek0(Value));
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(min);
    t.wSecond = static_cast<WORD>(sec);
    t.wMilliseconds = static_cast<WORD>(msec);
    FTime = t;
    FTimeSet = true;
    if (HandleAllocated())
        SendMessageA(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

bool TDateTimePicker::CNNotify(NMHDR* Header, LRESULT& Result) {
    if (Header->code != DTN_DATETIMECHANGE)
        return false;
    if (OnChange)
        OnChange(this);
    Result = 0;
    return true;
}
