#include "widgets/JvMonthCalendar2.h"

#include <commctrl.h>

TJvMonthCalendar2::TJvMonthCalendar2(TControl* Parent) : TControl(Parent) {}

void TJvMonthCalendar2::CreateWnd() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    CreateSystemHandle(MONTHCAL_CLASSA,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | (FWeekNumbers ? MCS_WEEKNUMBERS : 0), 0,
                       0, 0, 225, 160);
}

bool TJvMonthCalendar2::WeekNumbers() const {
    return FWeekNumbers;
}

void TJvMonthCalendar2::SetWeekNumbers(bool Value) {
    FWeekNumbers = Value;
    if (!HandleAllocated())
        return;
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    style = Value ? (style | MCS_WEEKNUMBERS) : (style & ~MCS_WEEKNUMBERS);
    SetWindowLongA(Handle(), GWL_STYLE, style);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Invalidate();
}

SYSTEMTIME TJvMonthCalendar2::Today() const {
    SYSTEMTIME t{};
    SendMessageA(Handle(), MCM_GETTODAY, 0, reinterpret_cast<LPARAM>(&t));
    return t;
}

void TJvMonthCalendar2::SetToday(const SYSTEMTIME& Value) {
    SendMessageA(Handle(), MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(&Value));
}

SYSTEMTIME TJvMonthCalendar2::DateFirst() const {
    SYSTEMTIME t{};
    SendMessageA(Handle(), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&t));
    return t;
}

void TJvMonthCalendar2::SetDateFirst(const SYSTEMTIME& Value) {
    SendMessageA(Handle(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&Value));
}
