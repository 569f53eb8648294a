// The schedule field of a planner record, and the last day or minute of a
// count-limited schedule, computed in bounded time for any count.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "engine/dates.h"

namespace krav {

// "No last occurrence": the schedule runs past any range.
constexpr std::int64_t kUnbounded = std::numeric_limits<std::int64_t>::max();

enum class Repetition { Once = 1, Daily = 2, Weekly = 3, Monthly = 4, Yearly = 5, Interval = 6 };
enum class Limit { None, Count, EndDate };

// A schedule as the expansion needs it. Built only from a record that can be
// expanded; a malformed one gives no Schedule at all.
struct Schedule {
  Repetition repetition = Repetition::Once;
  std::string_view onceDate;       // once: the date text as stored
  DayNumber onceDay = 0;           // once: that date's day
  std::string_view timeText;       // days 1-5: "hh:mm", or empty for a whole day
  int timeMinute = -1;             // days 1-5: the minute of the day, -1 for a whole day
  int weekday = 0;                 // weekly: 1 Monday .. 7 Sunday
  int monthDay = 0;                // monthly: 1..31
  int yearDay = 0, yearMonth = 0;  // yearly
  MinuteNumber step = 0;           // interval, in minutes
  DayNumber start = 0;             // group B's start date
  MinuteNumber startMinute = 0;    // interval: start date and time
  Limit limit = Limit::None;
  std::int64_t count = 0;  // Limit::Count
  DayNumber endDay = 0;    // Limit::EndDate
};

// Parses field 2 of a record; nothing for a schedule that cannot be expanded
// (unknown codes, missing groups or sub-fields, a date or time that is not
// one, a step below one minute, a weekday name, month day or yearly date that
// matches no day, a count below 1).
std::optional<Schedule> ParseSchedule(std::string_view scheduleField);

// The last occurrence of a count-limited schedule: a day number for the day
// repetitions, a minute number for the interval; kUnbounded when it lies
// after `horizon` (a day, or a minute for the interval), whose exact value
// then does not matter.
std::int64_t LastOccurrence(const Schedule& s, std::int64_t horizon);

}  // namespace krav
