// Calendar import over any text: every record it gives reads back as a valid
// store record, no action comes without being asked for, and what it gives,
// exported and imported again, comes back the same and nothing skipped.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/record.h"
#include "engine/text.h"
#include "fuzz_support.h"
#include "tools/ics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace krav;
  const std::string text(reinterpret_cast<const char*>(data), size);
  ics::Imported without, with;
  std::string error;
  if (!ics::ImportCalendar(text, false, without, error)) return 0;
  for (const auto& r : without.records) {
    const RecordReading reading = ReadRecord(r);
    KRAV_FUZZ_CHECK(reading.record.has_value());
    KRAV_FUZZ_CHECK(reading.record->kind == PlannerRecord::Kind::Reminder);
    KRAV_FUZZ_CHECK(WriteRecord(*reading.record) == r);
  }
  KRAV_FUZZ_CHECK(without.actions.empty());
  KRAV_FUZZ_CHECK(ics::ImportCalendar(text, true, with, error));
  KRAV_FUZZ_CHECK(with.records.size() == without.records.size());

  std::vector<std::string> notes;
  const std::string again = ics::ExportCalendar(with.records, notes);
  ics::Imported back;
  KRAV_FUZZ_CHECK(ics::ImportCalendar(again, true, back, error));
  if (!back.skipped.empty() || back.records != with.records) {
    for (const auto& s : back.skipped) std::fprintf(stderr, "skipped:     %s\n", s.c_str());
    for (const auto& r : with.records) std::fprintf(stderr, "imported:    %s\n", r.c_str());
    for (const auto& r : back.records) std::fprintf(stderr, "re-imported: %s\n", r.c_str());
    std::fprintf(stderr, "exported:\n%s\n", again.c_str());
  }
  KRAV_FUZZ_CHECK(back.skipped.empty());
  KRAV_FUZZ_CHECK(back.records == with.records);
  return 0;
}
