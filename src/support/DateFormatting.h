#pragma once

#include "platform/foundation/Value.h"

#include <functional>
#include <string>
#include <string_view>

// Dates as the interface shows them, in the local time zone (TZ), with United States English
// conventions: medium date "Dec 10, 2026", short date "12/10/26", short time "3:04 PM",
// medium time "3:04:05 PM".

enum class DateFormatterStyle { None, Short, Medium };

// A day of the local calendar.
struct CalendarDay {
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // 1 to 31

    friend bool operator==(const CalendarDay&, const CalendarDay&) = default;
};

// The local calendar day a moment falls on.
CalendarDay localCalendarDay(platform::Date date);
// The calendar day before `day`, however long that day was (daylight-saving changes).
CalendarDay previousCalendarDay(CalendarDay day);

// The date in the given styles, date first, joined by ", " when both are shown. The AM and PM
// symbols are the caller's (the interface takes them from its texts).
std::string stringFromDate(platform::Date date, DateFormatterStyle dateStyle,
                           DateFormatterStyle timeStyle, std::string_view amSymbol = "AM",
                           std::string_view pmSymbol = "PM");

// "Now" for the interface's date texts; tests replace it so that "Today" and "Yesterday" do
// not depend on when they run. An empty function restores the system clock.
platform::Date currentDate();
void setCurrentDateProvider(std::function<platform::Date()> provider);
