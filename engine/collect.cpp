#include "engine/collect.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>

#include "engine/money.h"
#include "engine/schedule.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav {
namespace {

constexpr MinuteNumber kMinutesPerDay = 1440;
constexpr DayNumber kMaxCachedDays = 400;
// The most occurrences (or lines) whose room is kept between calls.
constexpr std::size_t kKeptEntries = 1 << 20;

// Calls emit(day, minute) for each occurrence of s on [first, last], minute
// being an interval's minute of the day and -1 for the schedule's own time.
// True when s has no occurrence from first on: the record is outdated.
template <class Emit>
[[gnu::always_inline]] inline bool ForEachOccurrence(const Schedule& s, DayNumber first, DayNumber last,
                                                     Emit&& emit) {
  if (s.repetition == Repetition::Once) {
    const DayNumber d = s.onceDay;
    if (d >= first && d <= last) emit(d, -1);
    return d < first;
  }

  if (s.repetition == Repetition::Interval) {
    const MinuteNumber lo = std::max(first * kMinutesPerDay, s.startMinute);
    MinuteNumber hi = (last + 1) * kMinutesPerDay - 1;
    if (s.limit == Limit::Count) hi = std::min(hi, LastOccurrence(s, hi));
    if (s.limit == Limit::EndDate) hi = std::min(hi, s.endDay * kMinutesPerDay);
    MinuteNumber m = s.startMinute;
    if (lo > m) m += (lo - m + s.step - 1) / s.step * s.step;
    for (; m <= hi; m += s.step) emit(m / kMinutesPerDay, static_cast<std::int32_t>(m % kMinutesPerDay));
    return hi < first * kMinutesPerDay;
  }

  const DayNumber lo = std::max(first, s.start);
  DayNumber hi = last;
  if (s.limit == Limit::Count) hi = std::min(hi, LastOccurrence(s, hi));
  if (s.limit == Limit::EndDate) hi = std::min(hi, s.endDay);

  switch (s.repetition) {
    case Repetition::Daily:
      for (DayNumber d = lo; d <= hi; ++d) emit(d, -1);
      break;
    case Repetition::Weekly:
      for (DayNumber d = lo + ((s.weekday - IsoWeekday(static_cast<double>(lo))) % 7 + 7) % 7; d <= hi; d += 7)
        emit(d, -1);
      break;
    case Repetition::Monthly:
      if (lo <= hi) {
        // Every month from lo's to hi's, so that any range length is complete.
        const Ymd a = DayToYmd(lo), b = DayToYmd(hi);
        for (int y = a.year, m = a.month; y < b.year || (y == b.year && m <= b.month);) {
          if (s.monthDay <= DaysInMonth(y, m)) {
            const DayNumber d = YmdToDay(y, m, s.monthDay);
            if (d >= lo && d <= hi) emit(d, -1);
          }
          if (++m > 12) m = 1, ++y;
        }
      }
      break;
    case Repetition::Yearly:
      if (lo <= hi) {
        for (int y = DayToYmd(lo).year, end = DayToYmd(hi).year; y <= end; ++y) {
          if (s.yearDay > DaysInMonth(y, s.yearMonth)) continue;
          const DayNumber d = YmdToDay(y, s.yearMonth, s.yearDay);
          if (d >= lo && d <= hi) emit(d, -1);
        }
      }
      break;
    default: break;
  }
  return hi < first;
}

// dd.mm.yyyy of each day of [first, last], up to kMaxCachedDays.
std::vector<std::string> DayTexts(DayNumber first, DayNumber last) {
  std::vector<std::string> texts;
  for (DayNumber d = first; d <= last && d - first < kMaxCachedDays; ++d)
    texts.push_back(DateToText(static_cast<double>(d)));
  return texts;
}

// The date text of a day of the range.
const std::string& DayText(const std::vector<std::string>& dayTexts, DayNumber first, DayNumber d) {
  const DayNumber i = d - first;
  if (i >= 0 && i < static_cast<DayNumber>(dayTexts.size())) return dayTexts[i];
  static thread_local std::string other;
  other = DateToText(static_cast<double>(d));
  return other;
}

// The next line of the output, empty: an earlier line whose room serves
// again, or a new one.
std::string& NextLine(Collection& c) {
  if (c.used == c.out->size()) c.out->emplace_back();
  return (*c.out)[c.used++];
}

// An amount that is not one is shown as it stands rather than as a number
// it does not say.
std::string GroupedAmount(std::string_view amount) {
  const Reading<Kopecks> k = ReadMoney(amount);
  return k ? GroupedMoneyText(*k) : std::string(amount);
}

// A journal line's parts: kind, date, time, description.
OccurrenceView JournalView(std::string_view line) {
  OccurrenceView v;
  v.kind = FieldView(line, kSep3, 1);
  v.date = FieldView(line, kSep3, 2);
  v.time = FieldView(line, kSep3, 3);
  v.description = FieldView(line, kSep3, 4);
  return v;
}

// Where a walk's occurrences go: kept compactly in a list.
struct CompactSink {
  Occurrences& list;

  void journalLine(const OccurrenceView& v, std::string_view amountField, DayNumber day, std::int64_t index,
                   std::uint32_t source) {
    Occurrences::Record r{v.kind, v.date, v.time, v.description, index, 0, source};
    if (v.kind == "2") {
      list.amounts.push_back(GroupedAmount(amountField));
      r.amount = static_cast<std::uint32_t>(list.amounts.size());
    }
    list.entries.push_back({static_cast<std::uint32_t>(list.records.size()), -1, day});
    list.records.push_back(r);
  }
  // True when the record is outdated.
  bool record(const Schedule& s, std::string_view kind, std::string_view description, std::int64_t index,
              std::uint32_t source) {
    const auto at = static_cast<std::uint32_t>(list.records.size());
    const std::size_t before = list.entries.size();
    const bool outdated = ForEachOccurrence(s, list.first, list.last, [&](DayNumber d, std::int32_t minute) {
      list.entries.push_back({at, minute, d});
    });
    if (list.entries.size() > before)
      list.records.push_back({kind, {}, s.timeText, description, index, 0, source});
    return outdated;
  }
};

// Where a walk's occurrences go: written as lines, each in its final form at
// once (no list in between, which would cost the planner's rebuild its room
// and time).
struct LineSink {
  Collection& c;
  const std::vector<Occurrences::File>& files;
  // Output positions of the occurrences of store records, with their index,
  // so that the indices can follow a removal; kept only when one may happen.
  std::vector<std::pair<std::size_t, std::int64_t>>* storeOccurrences = nullptr;

  void follow(std::int64_t index, std::uint32_t source, std::size_t from) {
    if (!storeOccurrences || source != 0) return;
    for (std::size_t i = from; i < c.used; ++i) storeOccurrences->emplace_back(i, index);
  }
  void journalLine(OccurrenceView v, std::string_view amountField, DayNumber, std::int64_t index,
                   std::uint32_t source) {
    std::array<char, 20> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), index).ptr;
    v.index = std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data()));
    v.source = files[source].path;
    std::string amount;
    if (v.kind == "2") {
      amount = GroupedAmount(amountField);
      v.amount = amount;
    }
    const std::size_t from = c.used;
    PutOccurrenceLine(NextLine(c), v);
    follow(index, source, from);
  }
  bool record(const Schedule& s, std::string_view kind, std::string_view description, std::int64_t index,
              std::uint32_t source) {
    std::array<char, 20> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), index).ptr;
    OccurrenceView v;
    v.kind = kind;
    v.time = s.timeText;
    v.description = description;
    v.index = std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data()));
    v.source = files[source].path;
    const std::size_t from = c.used;
    const bool outdated = ForEachOccurrence(s, c.first, c.last, [&](DayNumber d, std::int32_t minute) {
      v.date = DayText(c.dayTexts, c.first, d);
      v.minute = minute;
      PutOccurrenceLine(NextLine(c), v);
    });
    follow(index, source, from);
    return outdated;
  }
};

// Hands the occurrences of one line of the working list to the sink; source
// is its file, the store being 0. Outdated store records go to outdated.
template <class Sink>
void CollectLine(Sink& sink, DayNumber first, DayNumber last, std::string_view line, std::int64_t index,
                 std::uint32_t source, std::vector<std::int64_t>* outdated) {
  const std::string_view record = line.substr(0, std::min(line.find(kSep4), line.size()));
  const int kind = TextToInt(FieldView(record, kSep3, 1));
  if (kind == 1 || kind == 2) {
    // A line whose date is no date belongs to no day.
    const OccurrenceView v = JournalView(record);
    const Reading<DayNumber> d = ReadDay(v.date);
    if (d && *d >= first && *d <= last) sink.journalLine(v, FieldView(record, kSep3, 7), *d, index, source);
  } else if (kind == 3 || kind == 4) {
    const auto parsed = ParseSchedule(FieldView(record, kSep3, 2));
    if (!parsed) return;
    const bool isOutdated =
        sink.record(*parsed, kind == 3 ? "3" : "4", FieldView(record, kSep3, 3), index, source);
    // Only records of the store are removed; an index into a journal would
    // name another line of the store.
    if (isOutdated && outdated && source == 0) outdated->push_back(index);
  }
}

// Reads the store and, with includeJournal, the journal months of
// [first, last] into files (the store first). False when one exists but
// cannot be read; a missing file is empty.
bool LoadFiles(std::vector<Occurrences::File>& files, const std::string& dir, DayNumber first, DayNumber last,
               bool includeJournal) {
  std::vector<std::string> paths{shell::StoreFile(dir)};
  if (includeJournal && first <= last) {
    const Ymd a = DayToYmd(first), b = DayToYmd(last);
    for (int y = a.year, m = a.month; y < b.year || (y == b.year && m <= b.month);) {
      const std::string monthStart = DateToText(static_cast<double>(YmdToDay(y, m, 1)));
      paths.push_back(dir + JournalFileName(monthStart));
      if (++m > 12) m = 1, ++y;
    }
  }
  files.resize(paths.size());
  bool complete = true;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    files[i].path = std::move(paths[i]);
    complete = LoadBytesForUpdate(files[i].path, files[i].bytes) && complete;
  }
  return complete;
}

// The working list walked from its end: the last month's journal first,
// each file from its last line.
template <class Sink>
void WalkFiles(Sink& sink, const std::vector<Occurrences::File>& files, DayNumber first, DayNumber last,
               std::vector<std::int64_t>* outdated) {
  std::vector<std::string_view> lines;
  for (std::size_t fi = files.size(); fi-- > 0;) {
    lines.clear();
    ForEachLine(files[fi].bytes, [&](std::string_view l) { lines.push_back(l); });
    for (std::size_t li = lines.size(); li-- > 0;)
      CollectLine(sink, first, last, lines[li], static_cast<std::int64_t>(li), static_cast<std::uint32_t>(fi),
                  outdated);
  }
}

// Adds the address-book dates of the range: kind "5" lines.
template <class Add>
void CollectAddressBook(DayNumber first, DayNumber last, const std::string& indexPath, Add&& add) {
  Lines cards;
  if (!LoadLines(indexPath, cards) || last < first) return;
  // "dd.mm" of each day of the range, in ascending order.
  std::map<std::string, std::vector<std::string>> days;
  for (DayNumber d = first; d <= last; ++d) {
    std::string text = DateToText(static_cast<double>(d));
    days[text.substr(0, 5)].push_back(std::move(text));
  }
  static const std::string kInRecord = Ru(") в записи ");
  std::vector<std::string> pieces;
  for (const auto& card : cards) {
    SplitByChar(card, pieces, kSep1);
    if (pieces.size() < 2) continue;
    const std::string& cardPath = pieces[0];
    std::string_view fileName = cardPath;
    if (auto slash = fileName.find_last_of("/\\"); slash != std::string_view::npos)
      fileName.remove_prefix(slash + 1);
    fileName = fileName.substr(0, std::min(fileName.find('.'), fileName.size()));
    for (std::size_t i = 1; i < pieces.size(); ++i) {
      const auto values = SplitCommaText(pieces[i]);
      if (values.size() != 3 || values[2] != "5") continue;
      auto it = days.find(values[1].substr(0, 5));
      if (values[1].size() < 5 || it == days.end()) continue;
      for (const auto& dayText : it->second) {
        std::string line = "5";
        line += kSep3;
        line += dayText;
        line += kSep4;
        line += values[0] + " (" + values[1] + kInRecord + "\"" + std::string(fileName) + "\"";
        line += kSep4;
        line += cardPath;
        line += kSep4;
        add(std::move(line));
      }
    }
  }
}

// How many of the removed (sorted) indices lie below index.
std::int64_t RemovedBelow(const std::vector<std::int64_t>& removed, std::int64_t index) {
  return std::lower_bound(removed.begin(), removed.end(), index) - removed.begin();
}

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view s) {
  std::vector<std::string> values;
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  };
  skipBlanks();
  while (i < s.size()) {
    std::string value;
    if (s[i] == '"') {
      ++i;
      while (i < s.size()) {
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            value += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += s[i++];
      }
    } else {
      while (i < s.size() && s[i] != ',' && static_cast<unsigned char>(s[i]) > ' ') value += s[i++];
    }
    values.push_back(std::move(value));
    skipBlanks();
    if (i < s.size() && s[i] == ',') {
      ++i;
      skipBlanks();
      if (i == s.size()) values.emplace_back();
    }
  }
  return values;
}

void ExpandRecord(Collection& c, std::string_view record, std::string_view indexText, std::string_view kindText,
                  std::string_view sourcePath) {
  const auto parsed = ParseSchedule(FieldView(record, kSep3, 2));
  if (!parsed) return;
  OccurrenceView v;
  v.kind = kindText;
  v.time = parsed->timeText;
  v.description = FieldView(record, kSep3, 3);
  v.index = indexText;
  v.source = sourcePath;
  ForEachOccurrence(*parsed, c.first, c.last, [&](DayNumber d, std::int32_t minute) {
    v.date = DayText(c.dayTexts, c.first, d);
    v.minute = minute;
    PutOccurrenceLine(NextLine(c), v);
  });
}

void EmitOccurrence(Collection& c, std::string_view line, std::string_view indexText,
                    std::string_view sourcePath) {
  OccurrenceView v = JournalView(line);
  std::string amount;
  if (v.kind == "2") {
    amount = GroupedAmount(FieldView(line, kSep3, 7));
    v.amount = amount;
  }
  v.index = indexText;
  v.source = sourcePath;
  PutOccurrenceLine(NextLine(c), v);
}

bool CollectOccurrences(Occurrences& list, DateTime first, DateTime last, const std::string& root,
                        const std::string& user, const CollectOptions& options) {
  const std::string dir = shell::DataDir(root, user);
  // Cleared rather than replaced: a list collected again reuses its room.
  list.records.clear();
  list.entries.clear();
  list.amounts.clear();
  list.addressLines.clear();
  list.first = DayOf(first);
  list.last = DayOf(last);
  list.dayTexts = DayTexts(list.first, list.last);

  // Held across reading and removal, so that the removal deletes exactly the
  // lines that were read; nothing is removed without it, nor on the strength
  // of a store that was not read whole.
  std::optional<DataDirLock> lock;
  if (options.autoDelete) lock.emplace(dir);
  const bool complete = LoadFiles(list.files, dir, list.first, list.last, options.includeJournal);
  const bool autoDelete = lock && lock->held() && complete;

  std::vector<std::int64_t> outdated;
  CompactSink sink{list};
  WalkFiles(sink, list.files, list.first, list.last, autoDelete ? &outdated : nullptr);
  if (!outdated.empty()) {
    std::sort(outdated.begin(), outdated.end());
    if (RemoveOutdated(root, user, outdated))
      for (Occurrences::Record& r : list.records)
        if (r.source == 0) r.index -= RemovedBelow(outdated, r.index);
  }
  CollectAddressBook(list.first, list.last, shell::AddressIndexFile(dir),
                     [&](std::string line) { list.addressLines.push_back(std::move(line)); });
  return complete;
}

bool CollectRange(Lines& out, DateTime first, DateTime last, const std::string& root, const std::string& user,
                  const CollectOptions& options) {
  const std::string dir = shell::DataDir(root, user);
  Collection c;
  c.first = DayOf(first);
  c.last = DayOf(last);
  c.out = &out;
  c.dayTexts = DayTexts(c.first, c.last);

  std::optional<DataDirLock> lock;
  if (options.autoDelete) lock.emplace(dir);
  std::vector<Occurrences::File> files;
  const bool complete = LoadFiles(files, dir, c.first, c.last, options.includeJournal);
  const bool autoDelete = lock && lock->held() && complete;

  std::vector<std::int64_t> outdated;
  std::vector<std::pair<std::size_t, std::int64_t>> storeOccurrences;
  LineSink sink{c, files, autoDelete ? &storeOccurrences : nullptr};
  WalkFiles(sink, files, c.first, c.last, autoDelete ? &outdated : nullptr);
  if (!outdated.empty()) {
    std::sort(outdated.begin(), outdated.end());
    if (RemoveOutdated(root, user, outdated)) {
      for (const auto& [pos, index] : storeOccurrences) {
        const std::int64_t below = RemovedBelow(outdated, index);
        if (below) out[pos] = SetField(out[pos], kSep4, 3, std::to_string(index - below));
      }
    }
  }
  CollectAddressBook(c.first, c.last, shell::AddressIndexFile(dir),
                     [&](std::string line) { NextLine(c) = std::move(line); });
  out.resize(c.used);
  return complete;
}

bool RemoveOutdated(const std::string& root, const std::string& user, std::vector<std::int64_t> outdated) {
  const std::string dir = shell::DataDir(root, user);
  std::sort(outdated.begin(), outdated.end());
  outdated.erase(std::unique(outdated.begin(), outdated.end()), outdated.end());
  bool removed = false;
  // The trash gets the records and the store loses them in one update, the
  // trash saved first: a failure keeps them in the store.
  const bool ok =
      UpdateFiles(dir, {{shell::TrashFile(dir)}, {shell::StoreFile(dir)}}, [&](std::vector<Lines>& files) {
        Lines& store = files[1];
        Lines deleted;
        for (auto it = outdated.rbegin(); it != outdated.rend(); ++it)
          if (*it >= 0 && *it < static_cast<std::int64_t>(store.size())) deleted.push_back(store[*it]);
        if (deleted.empty()) return false;
        AddToTrash(files[0], deleted);
        Lines kept;
        kept.reserve(store.size() - deleted.size());
        auto next = outdated.begin();
        for (std::int64_t i = 0; i < static_cast<std::int64_t>(store.size()); ++i) {
          while (next != outdated.end() && *next < i) ++next;
          if (next != outdated.end() && *next == i) continue;
          kept.push_back(std::move(store[i]));
        }
        store = std::move(kept);
        removed = true;
        return true;
      });
  return ok && removed;
}

}  // namespace krav
