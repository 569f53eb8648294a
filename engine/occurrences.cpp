#include "engine/occurrences.h"

#include <charconv>
#include <cstring>

#include "engine/text.h"

namespace krav {

OccurrenceView Occurrences::view(std::size_t i, Digits& digits) const {
  OccurrenceView v;
  if (i >= entries.size()) {
    // "5 #3 date #4 text #4 card #4"
    const std::string& line = addressLines[i - entries.size()];
    const std::string_view head = FieldView(line, kSep4, 1);
    v.kind = FieldView(head, kSep3, 1);
    v.date = FieldView(head, kSep3, 2);
    v.description = FieldView(line, kSep4, 2);
    v.index = FieldView(line, kSep4, 3);
    v.source = FieldView(line, kSep4, 4);
    const Reading<DayNumber> day = ReadDay(v.date);
    v.day = day ? *day : first;
    return v;
  }
  const Entry& e = entries[i];
  const Record& r = records[e.record];
  v.kind = r.kind;
  v.day = e.day;
  v.date = dateOf(e, r);
  v.time = r.time;
  v.minute = e.minute;
  v.description = r.description;
  if (r.amount) v.amount = amounts[r.amount - 1];
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), r.index).ptr;
  v.index = std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data()));
  v.source = files[r.source].path;
  return v;
}

std::string_view Occurrences::dateOf(const Entry& e, const Record& r) const {
  if (!r.date.empty()) return r.date;
  if (e.day >= first && e.day - first < static_cast<DayNumber>(dayTexts.size()))
    return dayTexts[static_cast<std::size_t>(e.day - first)];
  static thread_local std::string other;
  other = DateToText(static_cast<double>(e.day));
  return other;
}

void Occurrences::putLines(Lines& lines) const {
  const std::size_t n = size();
  if (lines.size() < n) lines.resize(n);
  // A record's occurrences follow one another: its parts are looked up once.
  Digits digits;
  OccurrenceView v;
  std::uint32_t current = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    if (i == 0 || e.record != current) {
      v = view(i, digits);
      current = e.record;
    } else {
      v.day = e.day;
      v.minute = e.minute;
      v.date = dateOf(e, records[e.record]);
    }
    PutOccurrenceLine(lines[i], v);
  }
  for (std::size_t i = entries.size(); i < n; ++i) lines[i] = addressLines[i - entries.size()];
  lines.resize(n);
}

void Occurrences::putLine(std::size_t i, std::string& line) const {
  if (i >= entries.size()) {
    line = addressLines[i - entries.size()];
    return;
  }
  Digits digits;
  PutOccurrenceLine(line, view(i, digits));
}

}  // namespace krav
