#include "tools/listing.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav {
namespace {

std::string_view KindName(std::string_view kind) {
  if (kind == "1") return "запись дневника";
  if (kind == "2") return "операция";
  if (kind == "3") return "напоминание";
  if (kind == "4") return "действие";
  if (kind == "5") return "дата из адресной книги";
  return kind;
}

// A time as a number that sorts as its text: hhmm + 1 for "hh:mm", 0 for a
// whole day, kOddTime for any other text.
constexpr int kOddTime = -1;
constexpr int kTimesPerDay = 10001;

int TimeKey(std::int32_t minute, std::string_view t) {
  if (minute >= 0) return minute / 60 * 100 + minute % 60 + 1;
  if (t.empty()) return 0;
  const int digits = ClockDigits(t);
  return digits < 0 ? kOddTime : digits + 1;
}

// The time as shown: "hh:mm" of an interval's minute, or the stored text.
std::string_view TimeText(std::int32_t minute, std::string_view stored, std::array<char, 5>& clock) {
  if (minute < 0) return stored;
  PutClock(clock.data(), minute);
  return {clock.data(), clock.size()};
}

struct Key {
  DayNumber day;
  int time;
};

Key KeyOf(const Occurrences& list, std::size_t i) {
  if (i < list.entries.size()) {
    const Occurrences::Entry& e = list.entries[i];
    return {e.day, TimeKey(e.minute, list.records[e.record].time)};
  }
  Occurrences::Digits digits;
  const OccurrenceView v = list.view(i, digits);
  return {v.day, TimeKey(v.minute, v.time)};
}

// The listing's order: a stable counting sort on (day, time) over the range's
// days, or a stable sort when a time is no "hh:mm" or a day lies outside.
std::vector<std::uint32_t> ListingOrder(const Occurrences& list) {
  const std::size_t n = list.size();
  std::vector<Key> keys(n);
  bool countable = list.last >= list.first && list.last - list.first < 400;
  for (std::size_t i = 0; i < n; ++i) {
    keys[i] = KeyOf(list, i);
    countable = countable && keys[i].time != kOddTime && keys[i].day >= list.first && keys[i].day <= list.last;
  }
  std::vector<std::uint32_t> order(n);
  if (countable) {
    auto bucket = [&](const Key& k) {
      return static_cast<std::size_t>(k.day - list.first) * kTimesPerDay + k.time;
    };
    std::vector<std::uint32_t> starts(static_cast<std::size_t>(list.last - list.first + 1) * kTimesPerDay + 1);
    for (const Key& k : keys) ++starts[bucket(k) + 1];
    for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
    for (std::size_t i = 0; i < n; ++i) order[starts[bucket(keys[i])]++] = static_cast<std::uint32_t>(i);
    return order;
  }
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
  auto timeOf = [&](std::uint32_t i, std::array<char, 5>& clock) {
    Occurrences::Digits digits;
    const OccurrenceView v = list.view(i, digits);
    return std::string(TimeText(v.minute, v.time, clock));
  };
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    if (keys[a].day != keys[b].day) return keys[a].day < keys[b].day;
    if (keys[a].time != kOddTime && keys[b].time != kOddTime) return keys[a].time < keys[b].time;
    std::array<char, 5> ca, cb;
    return timeOf(a, ca) < timeOf(b, cb);
  });
  return order;
}

// Writes out to stdout once it holds enough, or at the end.
void WriteOut(std::string& out, bool force = false) {
  if (!force && out.size() < (1u << 16)) return;
  std::fwrite(out.data(), 1, out.size(), stdout);
  out.clear();
}

}  // namespace

void PrintReadable(const Occurrences& list) {
  static const std::string kAtStart = Cp1251ToUtf8(Ru("При загрузке"));
  const std::vector<std::uint32_t> order = ListingOrder(list);
  std::string out;
  std::array<char, 5> clock;
  Occurrences::Digits digits;
  for (std::size_t k = 0; k < order.size(); ++k) {
    // The records are met in the listing's order, not their own: fetched ahead.
    if (k + 8 < order.size() && order[k + 8] < list.entries.size())
      __builtin_prefetch(&list.records[list.entries[order[k + 8]].record]);
    const OccurrenceView v = list.view(order[k], digits);
    // The description's own #1 parts: its text, then (for an operation) the amount.
    std::string_view text = v.description, amount = v.amount;
    if (const std::size_t sep = text.find(kSep1); sep != std::string_view::npos) {
      amount = FieldView(text, kSep1, 2);
      text = text.substr(0, sep);
    }
    const std::string_view time = TimeText(v.minute, v.time, clock);
    AppendCp1251AsUtf8(out, v.date);
    out += "  ";
    if (time.empty()) out += kAtStart;
    else AppendCp1251AsUtf8(out, time);
    out += "  ";
    out += KindName(v.kind);
    out += ": ";
    AppendCp1251AsUtf8(out, text);
    if (!amount.empty()) {
      out += "  ";
      AppendCp1251AsUtf8(out, amount);
    }
    out += '\n';
    WriteOut(out);
  }
  WriteOut(out, true);
}

void PrintLines(const Occurrences& list) {
  std::string out, line;
  for (std::size_t i = 0; i < list.size(); ++i) {
    list.putLine(i, line);
    out += line;
    out += '\n';
    WriteOut(out);
  }
  WriteOut(out, true);
}

}  // namespace krav
