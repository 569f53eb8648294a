// The range collection over any store and journal: the first byte picks the
// length of the range (1-62 days), the rest is split at the first NUL into
// "mess.dat" and the month's journal.
#include <cstdint>
#include <string_view>

#include "engine/collect.h"
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
  if (!SaveBytes(fuzz::UserDir() + "mess.dat", store)) return 0;
  if (!SaveBytes(fuzz::UserDir() + "Plan/nb202612.dat", journal)) return 0;

  const DateTime first = MakeDateTime(2026, 12, 1);
  Lines out;
  KRAV_FUZZ_CHECK(CollectRange(out, first, first + days - 1, fuzz::ScratchRoot(), "u", {true, false}));
  for (const auto& line : out) {
    // Every occurrence line has its four parts and a date inside the range.
    KRAV_FUZZ_CHECK(std::count(line.begin(), line.end(), kSep4) >= 3);
    // Planner records fall inside the range (a date text that does not read
    // reads as today). Journal lines keep whatever date text they were written with.
    const std::string head = GetField(line, kSep4, 1);
    const std::string kind = GetField(head, kSep3, 1);
    if (kind != "3" && kind != "4") continue;
    const std::string when = GetField(head, kSep3, 2);
    const DayNumber day = DayOf(TextToDate(when.substr(0, 10)));
    KRAV_FUZZ_CHECK(day >= DayOf(first) && day <= DayOf(first) + days - 1);
  }
  return 0;
}
