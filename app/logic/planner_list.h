// The planner list as plain values: the occurrence lines of a period,
// sorted by day and time, with a separator row above every day; the marks,
// the record keys, and the changes a click makes in the record files (open,
// replace after an edit, delete into the trash), each checked under the data
// directory's lock against the line that was shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dates.h"
#include "platform/files.h"

namespace krav::app {

// One row: an entry (an index into the occurrence lines) or a day separator.
struct PlannerRow {
  std::int32_t line = -1;  // -1: the separator of `day`
  DayNumber day = 0;
  bool marked = false;
  bool separator() const { return line < 0; }
};

struct PlannerList {
  Lines lines;  // the occurrence lines as collected
  std::vector<PlannerRow> rows;
  // The parts of an entry row's occurrence line.
  std::string_view part(const PlannerRow& r, int part) const;  // the #4-separated pieces, 1 to 4
  std::string_view kind(const PlannerRow& r) const;            // the occurrence's kind
  std::string_view when(const PlannerRow& r) const;            // "dd.mm.yyyy hh:mm" or the date
  std::string key(const PlannerRow& r) const;                  // record index #3 source file
};

// Sorts the occurrences (by day, then by the time as bytes, an empty time
// first) and inserts the day separators.
PlannerList BuildPlannerList(Lines occurrences);

// "С 01.02.2024 по 11.02.2024 (10 дней)" (cp1251).
std::string PlannerStatus(DateTime start, int days);
// The period menu: 1, 3, 5, 10, 15 and 30 days, with their captions.
const std::vector<int>& PeriodLengths();
std::string PeriodCaption(int days);

// The texts a row shows: the time part of `when` or "При загрузке", the
// description before #1 and the amount after it.
std::string RowTime(std::string_view when);
std::string RowDescription(std::string_view part2);
std::string RowAmount(std::string_view part2);

// An entry the user chose, as the list showed it.
struct ShownEntry {
  std::string path;        // the record file
  std::int64_t index = 0;  // its line at the last rebuild
  std::string occurrence;  // the occurrence line shown
};
// The distinct entries of the marked rows (kind 5 rows never count).
std::vector<ShownEntry> MarkedEntries(const PlannerList& list);
ShownEntry EntryOf(const PlannerList& list, const PlannerRow& row);

// Whether a stored line is the record an occurrence shows: expanded on the
// occurrence's day, it gives that occurrence (kind, date, time, text and
// amount alike).
bool LineShowsAs(std::string_view line, std::string_view occurrence);

// The stored line of an entry: the one at its index when it still shows as
// the occurrence, else the first line of the file that does; empty when gone.
std::string FindShownLine(const ShownEntry& entry);

struct ChangeResult {
  int done = 0;       // lines deleted or replaced
  int missing = 0;    // entries whose line was no longer in its file
  std::string error;  // a file that could not be read or written, for the user
};

// Deletes the entries into the trash: for each file under the lock, the
// trash is saved holding the lines before the file is saved without them
// (and put back when that fails); kind "2" lines move the accounting marks.
ChangeResult DeleteEntries(const std::vector<ShownEntry>& entries, const std::string& root,
                           const std::string& user);

// After the editor appended the changed entry: removes the opened line (the
// one at `index` when it is still `openedLine`, else the first equal line);
// an emptied file is deleted.
ChangeResult RemoveReplacedLine(const std::string& path, std::int64_t index, const std::string& openedLine,
                                const std::string& root, const std::string& user);

// "Вы действительно хотите удалить 3 записи ?" and the trash's
// "... из корзины ?" (cp1251).
std::string DeleteQuestion(int count, bool fromTrash);

}  // namespace krav::app
