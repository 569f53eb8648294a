// A range collection kept compactly: each occurrence as its record, day and
// minute, each record's texts as views into the files it was read from,
// which the list holds. Lines are written only when asked for, so a month of
// a million records takes a fraction of the room of its lines.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dates.h"
#include "engine/text.h"
#include "platform/files.h"

namespace krav {

// One occurrence as its line's parts.
struct OccurrenceView {
  std::string_view kind;
  std::string_view date;     // dd.mm.yyyy, or a journal line's date as stored
  std::string_view time;     // empty for a whole day, unless minute says otherwise
  std::int32_t minute = -1;  // an interval's minute of the day, which time then lacks
  std::string_view description;
  std::string_view amount;  // kind "2": the grouped amount
  std::string_view index;   // the record's index in its file, as text
  std::string_view source;  // the file's full path
  DayNumber day = 0;
};

// The occurrence line "kind #3 date time #4 description [#1 amount] #4 index
// #4 source" into line, in place of what it held. Written in one pass into a
// line of its final size: this runs for every occurrence.
// Inlined into its callers: as a call, reloading the caller's loop state
// after it cost more than the line itself.
[[gnu::always_inline]] inline void PutOccurrenceLine(std::string& line, const OccurrenceView& v) {
  const bool hasAmount = v.kind == "2";
  const std::size_t timeSize = v.minute >= 0 ? 5 : v.time.size();
  const std::size_t size = v.kind.size() + 1 + v.date.size() + 1 + timeSize + 1 + v.description.size() +
                           (hasAmount ? 1 + v.amount.size() : 0) + 1 + v.index.size() + 1 + v.source.size();
  line.resize(size);
  char* p = line.data();
  auto put = [&p](std::string_view s) {
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    p += s.size();
  };
  put(v.kind);
  *p++ = kSep3;
  put(v.date);
  *p++ = ' ';
  if (v.minute >= 0) {
    PutClock(p, v.minute);
    p += 5;
  } else {
    put(v.time);
  }
  *p++ = kSep4;
  put(v.description);
  if (hasAmount) {
    *p++ = kSep1;
    put(v.amount);
  }
  *p++ = kSep4;
  put(v.index);
  *p++ = kSep4;
  put(v.source);
}

class Occurrences {
 public:
  // A record or journal line with at least one occurrence.
  struct Record {
    std::string_view kind;
    std::string_view date;  // a journal line's date as stored; empty for a planner record
    std::string_view time;  // as stored: "hh:mm", or empty for a whole day
    std::string_view description;
    std::int64_t index = 0;    // its line in its file, following a removal
    std::uint32_t amount = 0;  // 1 + its grouped amount's place in amounts
    std::uint32_t source = 0;  // its file in files
  };
  struct Entry {
    std::uint32_t record = 0;
    std::int32_t minute = -1;  // an interval's minute of the day; -1: the record's time
    DayNumber day = 0;
  };
  // The date text of an entry's day. A day beyond the range's first 400 is
  // written into a buffer of the thread's, which the next such call reuses.
  std::string_view dateOf(const Entry& e, const Record& r) const;

  struct File {
    std::string path;
    std::string bytes;
  };

  // Occurrences of records first, then the address book's dates.
  std::size_t size() const { return entries.size() + addressLines.size(); }
  // Room for a record index's digits.
  using Digits = std::array<char, 20>;
  // The occurrence's parts; digits holds its index's text and must outlive
  // the view.
  OccurrenceView view(std::size_t i, Digits& digits) const;
  // Its line, as the line-based collection gives it.
  void putLine(std::size_t i, std::string& line) const;
  // Every line into lines, in place of what they held: their strings are
  // written over, so lines filled again cost no new room.
  void putLines(Lines& lines) const;

  DayNumber first = 0, last = 0;
  std::vector<File> files;  // the store, then the journals
  std::vector<Record> records;
  std::vector<Entry> entries;
  Lines amounts;
  Lines addressLines;                 // whole kind "5" lines
  std::vector<std::string> dayTexts;  // dd.mm.yyyy of each day of the range, from first
};

}  // namespace krav
