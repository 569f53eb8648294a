// The range collection over any store and journal: the first byte picks the
// length of the range (1-62 days), the rest is split at the first NUL into
// "mess.dat" and the month's journal.
#include <cstdint>
#include <string_view>

#include "engine/collect.h"
#include "engine/schedule.h"
#include "engine/text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace krav;
  if (size == 0) return 0;
  const int days = 1 + data[0] % 62;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t nul = rest.find('\0');
  const std::string_view store = rest.substr(0, nul);
  const std::string_view journal = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  const std::string storePath = fuzz::UserDir() + "mess.dat";
  const std::string journalPath = fuzz::UserDir() + "Plan/nb202612.dat";
  if (!SaveBytes(storePath, store)) return 0;
  if (!SaveBytes(journalPath, journal)) return 0;
  Lines storeLines, journalLines;
  KRAV_FUZZ_CHECK(LoadLines(storePath, storeLines) && LoadLines(journalPath, journalLines));

  const DateTime first = MakeDateTime(2026, 12, 1);
  const DayNumber lo = DayOf(first), hi = lo + days - 1;
  Lines out;
  KRAV_FUZZ_CHECK(CollectRange(out, first, first + days - 1, fuzz::ScratchRoot(), "u", {true, false}));
  // A list collected again over the lines of earlier inputs holds the same.
  static Lines reused;
  KRAV_FUZZ_CHECK(CollectRange(reused, first, first + days - 1, fuzz::ScratchRoot(), "u", {true, false}));
  KRAV_FUZZ_CHECK(reused == out);
  for (const auto& line : out) {
    // Every occurrence line has its four parts.
    KRAV_FUZZ_CHECK(std::count(line.begin(), line.end(), kSep4) >= 3);
    const std::string head = GetField(line, kSep4, 1);
    const std::string kind = GetField(head, kSep3, 1);
    if (kind != "3" && kind != "4") continue;
    // A planner record's occurrence names the record it came from and falls
    // inside the range. A one-time record shows its date text as stored,
    // which is read the way the collection reads it (a text that does not
    // read is today); every other occurrence starts with dd.mm.yyyy.
    const std::string source = GetField(line, kSep4, 4);
    const Lines& lines = source == storePath ? storeLines : journalLines;
    KRAV_FUZZ_CHECK(source == storePath || source == journalPath);
    const std::int64_t index = TextToInt(GetField(line, kSep4, 3));
    KRAV_FUZZ_CHECK(index >= 0 && index < static_cast<std::int64_t>(lines.size()));
    const std::string record = GetField(lines[index], kSep4, 1);
    const std::string scheduleField = GetField(record, kSep3, 2);
    const auto schedule = ParseSchedule(scheduleField);
    KRAV_FUZZ_CHECK(schedule.has_value());
    const std::string when = GetField(head, kSep3, 2);
    DayNumber day;
    if (schedule->repetition == Repetition::Once) {
      // Shown with its four-digit year, whatever form it was stored in.
      const std::string shown = DateToText(static_cast<double>(schedule->onceDay));
      KRAV_FUZZ_CHECK(when.compare(0, shown.size() + 1, shown + " ") == 0);
      day = schedule->onceDay;
    } else {
      KRAV_FUZZ_CHECK(when.size() >= 11 && when[10] == ' ' && IsValidDateText(when.substr(0, 10)));
      day = *ReadDay(when.substr(0, 10));
    }
    KRAV_FUZZ_CHECK(day >= lo && day <= hi);
  }
  return 0;
}
