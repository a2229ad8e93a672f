#pragma once
// TJvMonthCalendar2: the system's month calendar, with week numbers on request.
//
//   TJvMonthCalendar2 MonthCalendar{&pnlMain};
//   MonthCalendar.SetAlign(alClient); MonthCalendar.SetWeekNumbers(true);
//   SYSTEMTIME now; GetLocalTime(&now);
//   MonthCalendar.SetToday(now);       // the date marked as today
//   MonthCalendar.SetDateFirst(now);   // the selected date; its month is brought into view
#include "gui/Control.h"

class TJvMonthCalendar2 : public TControl {
public:
    explicit TJvMonthCalendar2(TControl* parent);

    bool WeekNumbers() const;
    void SetWeekNumbers(bool value);
    SYSTEMTIME Today() const;
    void SetToday(const SYSTEMTIME& value);
    SYSTEMTIME DateFirst() const;
    void SetDateFirst(const SYSTEMTIME& value);

protected:
    void CreateWnd() override;
};
