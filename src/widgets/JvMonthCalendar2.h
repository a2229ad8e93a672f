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
    explicit TJvMonthCalendar2(TControl* Parent);

    bool WeekNumbers() const;
    void SetWeekNumbers(bool Value);
    SYSTEMTIME Today() const;
    void SetToday(const SYSTEMTIME& Value);
    SYSTEMTIME DateFirst() const;
    void SetDateFirst(const SYSTEMTIME& Value);

protected:
    void CreateWnd() override;

private:
    bool FWeekNumbers = false;
};
