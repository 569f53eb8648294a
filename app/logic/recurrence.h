// The recurrence page of the record editor as a plain value: the selected
// repetition and its parameters, the range, and the time of day of the
// reminder page's time panel; with the page's operations LoadSchedule,
// CheckRecurrence and BuildSchedule, and the texts the page shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/dates.h"

namespace krav::app {

enum Repetition { kOnce = 1, kDaily = 2, kWeekly = 3, kMonthly = 4, kYearly = 5, kInterval = 6 };
enum RangeKind { kEndless = 11, kCount = 12, kUntil = 13 };
enum TimeKind { kAtStart = 21, kAtTime = 22 };

struct RecurrenceState {
  int repetition = kOnce;
  std::string onceDate;                  // MaskEdit5
  int weekday = -1;                      // index into Weekdays(); -1 none selected
  int monthDay = 1;                      // SpinEdit20004, 1-31
  std::string yearDay;                   // maskedit9, dd.mm
  int days = 0, hours = 0, minutes = 0;  // SpinEdit20001-20003
  std::string startDate;                 // maskedit4
  std::string startTime;                 // Maskedit7
  int range = kEndless;
  int count = 1;           // SpinEdit20005, 1-370
  std::string endDate;     // maskedit2
  int timeKind = kAtTime;  // RadioButton14 / RadioButton15
  std::string time;        // maskedit3
  bool operator==(const RecurrenceState&) const = default;
};

// "понедельникам" ... "воскресеньям" (cp1251), the weekday list's entries.
const std::vector<std::string>& Weekdays();

// The range panel: shown for every repetition but one-time.
inline bool RangeShown(const RecurrenceState& s) { return s.repetition != kOnce; }
// The reminder page's time panel: shown unless the interval is selected.
inline bool TimePanelShown(const RecurrenceState& s) { return s.repetition != kInterval; }

// Sets the state from a stored schedule (the record's field 2).
void LoadSchedule(RecurrenceState& s, std::string_view schedule);
// The message of the last failing check; empty when all pass.
std::string CheckRecurrence(const RecurrenceState& s);
// The schedule text, values as typed.
std::string BuildSchedule(const RecurrenceState& s);
// The next `count` occurrences of the schedule as it stands, from `now` on,
// as the engine expands it: "dd.mm.yyyy hh:mm", or the date and "весь день"
// (cp1251). Empty when there is none (within a hundred years).
std::vector<std::string> NextOccurrences(const RecurrenceState& s, DateTime now, std::size_t count);
// What the recurrence page shows of them: the check's message while the
// schedule does not pass it, "Нет ни одного повторения" when there is no
// occurrence, else "Ближайшие" and the list, short enough for one line.
std::string NextOccurrencesText(const RecurrenceState& s, DateTime now);

// On the step forward from page 0: an unset weekday becomes the first.
void DefaultWeekday(RecurrenceState& s);

// The label of a repetition or range radio button, selected or not (cp1251).
std::string RepetitionLabel(int repetition, bool selected);
std::string RangeLabel(int range, bool selected);
// The unit words after the spin fields, by PluralForm.
std::string DaysWord(int n);
std::string HoursWord(int n);
std::string MinutesWord(int n);
std::string TimesWord(int n);

}  // namespace krav::app
