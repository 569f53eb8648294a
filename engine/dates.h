// Dates as the platform's date-and-time value: days since 30 December 1899
// in the integer part, the time of day as a fraction. Texts: dd.mm.yyyy,
// dd.mm.yy and hh:mm, each read by its one reader below.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/reading.h"

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

// The one reading of a date text, typed or stored: "dd.mm.yyyy" of the years
// 1753 to 9999, or "dd.mm.yy" where yy below 80 is 20yy and the others 19yy.
// Each part is digits, blanks before them allowed (what an input mask
// leaves); the day must exist in the Gregorian calendar. Writers store
// DateToText of the day read, so the files keep four-digit years.
Reading<DayNumber> ReadDay(std::string_view text);
// ReadDay succeeds.
bool IsValidDateText(std::string_view text);
// The one reading of a time of day: "hh:mm", each part up to two digits with
// blanks anywhere, an empty part as 0 (so an empty text is 00:00); hours
// 0-23, minutes 0-59. Gives the minute of the day.
Reading<int> ReadTimeOfDay(std::string_view text);
// ReadTimeOfDay succeeds.
bool IsValidTimeText(std::string_view text);
// "hh:mm" of a minute of the day.
std::string MinuteText(int minuteOfDay);
// The same into five chars, for the hot paths that build lines.
inline void PutClock(char* out, int minuteOfDay) {
  out[0] = static_cast<char>('0' + minuteOfDay / 600);
  out[1] = static_cast<char>('0' + minuteOfDay / 60 % 10);
  out[2] = ':';
  out[3] = static_cast<char>('0' + minuteOfDay % 60 / 10);
  out[4] = static_cast<char>('0' + minuteOfDay % 10);
}
// hh * 100 + mm of a time written exactly "hh:mm" with digits, whose text
// order is then its number order; -1 for any other text.
inline int ClockDigits(std::string_view t) {
  auto digit = [&](std::size_t i) { return t[i] >= '0' && t[i] <= '9'; };
  if (t.size() != 5 || t[2] != ':' || !digit(0) || !digit(1) || !digit(3) || !digit(4)) return -1;
  return ((t[0] - '0') * 10 + (t[1] - '0')) * 100 + (t[3] - '0') * 10 + (t[4] - '0');
}
// The stored forms of a checked typed date or time: "dd.mm.yyyy" with the
// four-digit year, "hh:mm". A text that is none is given back unchanged.
std::string StoredDate(std::string_view typed);
std::string StoredTime(std::string_view typed);

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
