// Dates as the platform's date-and-time value: days since 30 December 1899
// in the integer part, the time of day as a fraction. Texts: dd.mm.yyyy,
// dd.mm.yy and hh:mm.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace krav {

using DateTime = double;
using DayNumber = std::int64_t;     // the integer part of a DateTime
using MinuteNumber = std::int64_t;  // day × 1440 + hours × 60 + minutes

struct Ymd {
  int year = 0, month = 0, day = 0;
};

// Proleptic Gregorian calendar, years 1 to 9999.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidYmd(int year, int month, int day);
DayNumber YmdToDay(int year, int month, int day);
Ymd DayToYmd(DayNumber day);
DayNumber DayOf(DateTime d);

// The current local date and time. Tests replace the clock.
DateTime Now();
DayNumber Today();
void SetClockForTesting(std::function<DateTime()> clock);  // empty: the real clock
DateTime MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0);

std::string DateToText(DateTime d);
std::string DateToShortText(DateTime d);
std::string TimeToText(DateTime t);
// Today's date when the characters 1-2, 4-5 and 7-10 form no valid date.
DateTime TextToDate(std::string_view text);
// yy 00-80 is 2000-2080, 81-99 is 1981-1999; invalid gives today.
DateTime ShortTextToDate(std::string_view text);
// The lenient check of a typed date (leap years by divisibility by 4).
bool IsValidDateText(std::string_view text);
// The time of day of characters 1-2 and 4-5.
DateTime TextToTime(std::string_view text);
bool IsValidTimeText(std::string_view text);

// "8 декабря 2026 г." of a dd.mm.yy or dd.mm.yyyy text.
std::string DateToLongText(std::string_view dateText);
// "январь".."декабрь" (nominative) or "января".."декабря"; other months: empty.
std::string MonthName(int month, bool nominative);
// 1 Monday .. 7 Sunday of a Russian weekday name (either form); otherwise 0.
int WeekdayFromName(std::string_view name);
int IsoWeekday(DateTime d);
int MonthOf(DateTime d);
int YearOf(DateTime d);
DateTime LastDayOfMonth(DateTime d);
DateTime NextDay(DateTime d);
int CompareDays(DateTime a, DateTime b);

}  // namespace krav
