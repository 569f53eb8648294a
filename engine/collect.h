// The range collection: every dated occurrence of a user's records that
// falls on a range of whole days, kept compactly or as occurrence lines
//   kind #3 when #4 description #4 record index #4 source path
// and the automatic removal of records whose last occurrence lies before it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dates.h"
#include "engine/occurrences.h"
#include "platform/files.h"

namespace krav {

struct CollectOptions {
  bool includeJournal = true;
  bool autoDelete = false;  // move outdated records to the trash
};

// The state of a collection of single records into lines, shared by
// ExpandRecord and EmitOccurrence.
struct Collection {
  DayNumber first = 0;
  DayNumber last = 0;
  Lines* out = nullptr;
  // Lines of *out written so far; those after it are earlier lines whose
  // room is written over before anything new is allocated.
  std::size_t used = 0;
  // dd.mm.yyyy of each day of the range, written once.
  std::vector<std::string> dayTexts;
};

// Fills list with the occurrences of [first, last], in place of what it held.
// root ends in "/"; files are found under root + "Users/" + user + "/". With
// autoDelete the data directory's lock is held for the whole call, outdated
// records are moved to the trash, and the indices refer to the store after
// it.
// False when the store or a journal exists but could not be read: the list
// then lacks its occurrences and nothing was removed.
bool CollectOccurrences(Occurrences& list, DateTime first, DateTime last, const std::string& root,
                        const std::string& user, const CollectOptions& options = {});

// The same as lines (see Occurrences::putLine), in place of what out held:
// its strings are written over, so a list collected again costs no new room.
bool CollectRange(Lines& out, DateTime first, DateTime last, const std::string& root, const std::string& user,
                  const CollectOptions& options = {});

// The date and the time of an occurrence's when text ("date time", or
// "date " for a whole day): before and after its first blank. A one-time
// record's date is its text as stored, which need not be dd.mm.yyyy.
inline std::string_view WhenDate(std::string_view when) {
  return when.substr(0, std::min(when.find(' '), when.size()));
}
inline std::string_view WhenTime(std::string_view when) {
  const std::size_t blank = when.find(' ');
  return blank == std::string_view::npos ? std::string_view() : when.substr(blank + 1);
}

// Adds the lines of the occurrences of one planner record that fall in the range.
void ExpandRecord(Collection& c, std::string_view record, std::string_view indexText, std::string_view kindText,
                  std::string_view sourcePath);

// Adds the occurrence line of a line whose #3 fields are kind, date, time,
// description (and, for kind "2", the amount in field 7).
void EmitOccurrence(Collection& c, std::string_view line, std::string_view indexText, std::string_view sourcePath);

// Moves the records with these indices (in the store as it now is) to the
// trash, highest index first. False when nothing was removed because the
// trash or the store could not be saved.
[[nodiscard]] bool RemoveOutdated(const std::string& root, const std::string& user,
                                  std::vector<std::int64_t> outdated);

// The values of a comma-separated list in the standard quoted form: values
// are separated by commas or blanks; a quoted value keeps both ("" is a quote).
std::vector<std::string> SplitCommaText(std::string_view text);

}  // namespace krav
