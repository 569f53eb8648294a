#include "engine/collect.h"

#include <algorithm>
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

struct Occurrence {
  std::string_view kind;
  std::string_view date;
  std::string_view time;  // empty for a whole day: "date " with a trailing blank
  std::string_view description;
  const std::string* amount = nullptr;
};

constexpr DayNumber kMaxCachedDays = 400;

// The date text of a day of the range.
const std::string& DayText(Collection& c, DayNumber d) {
  const DayNumber i = d - c.first;
  if (i >= 0 && i < static_cast<DayNumber>(c.dayTexts.size())) return c.dayTexts[i];
  static thread_local std::string other;
  other = DateToText(static_cast<double>(d));
  return other;
}

// The next line of the output, empty: an earlier line whose room serves
// again, or a new one.
std::string& NextLine(Collection& c) {
  if (c.used == c.out->size()) c.out->emplace_back();
  std::string& line = (*c.out)[c.used++];
  line.clear();
  return line;
}

// storeIndex is the record index when the record is a line of the store, else -1.
// Inlined into its callers: as a call, reloading the caller's loop state
// after it cost more than the line itself in the planner's rebuild.
[[gnu::always_inline]] inline void Emit(Collection& c, const Occurrence& o, std::int64_t storeIndex,
                                        std::string_view indexText, std::string_view sourcePath) {
  const std::string_view amount = o.amount ? std::string_view(*o.amount) : std::string_view();
  const std::size_t size = o.kind.size() + 1 + o.date.size() + 1 + o.time.size() + 1 + o.description.size() +
                           (o.amount ? 1 + amount.size() : 0) + 1 + indexText.size() + 1 + sourcePath.size();
  // Written in one pass into a line of its final size: this runs for every occurrence.
  std::string& line = NextLine(c);
  line.resize(size);
  char* p = line.data();
  auto put = [&p](std::string_view v) {
    if (!v.empty()) std::memcpy(p, v.data(), v.size());
    p += v.size();
  };
  put(o.kind);
  *p++ = kSep3;
  put(o.date);
  *p++ = ' ';
  put(o.time);
  *p++ = kSep4;
  put(o.description);
  if (o.amount) {
    *p++ = kSep1;
    put(amount);
  }
  *p++ = kSep4;
  put(indexText);
  *p++ = kSep4;
  put(sourcePath);
  // Indices need following only when records may be removed.
  if (storeIndex >= 0 && c.autoDelete) c.storeOccurrences.emplace_back(c.used - 1, storeIndex);
}

// An amount that is not one is shown as it stands rather than as a number
// it does not say.
std::string GroupedAmount(std::string_view amount) {
  const Reading<Kopecks> k = ReadMoney(amount);
  return k ? GroupedMoneyText(*k) : std::string(amount);
}

void EmitLine(Collection& c, std::string_view line, std::int64_t storeIndex, std::string_view indexText,
              std::string_view sourcePath) {
  Occurrence o{FieldView(line, kSep3, 1), FieldView(line, kSep3, 2), FieldView(line, kSep3, 3),
               FieldView(line, kSep3, 4)};
  std::string amount;
  if (o.kind == "2") {
    amount = GroupedAmount(FieldView(line, kSep3, 7));
    o.amount = &amount;
  }
  Emit(c, o, storeIndex, indexText, sourcePath);
}

void MarkOutdated(Collection& c, std::int64_t storeIndex) {
  // Only records of the store are removed; an index into a journal would
  // name another line of the store.
  if (c.autoDelete && storeIndex >= 0) c.outdated.push_back(storeIndex);
}

std::int64_t StoreIndex(const Collection& c, std::int64_t index, std::string_view sourcePath) {
  return sourcePath == c.storePath ? index : -1;
}

void Expand(Collection& c, std::string_view record, std::int64_t storeIndex, std::string_view indexText,
            std::string_view kindText, std::string_view sourcePath) {
  const auto parsed = ParseSchedule(FieldView(record, kSep3, 2));
  if (!parsed) return;
  const Schedule& s = *parsed;
  const std::string_view text = FieldView(record, kSep3, 3);

  auto emitDay = [&](DayNumber d) {
    Emit(c, {kindText, DayText(c, d), s.timeText, text}, storeIndex, indexText, sourcePath);
  };

  if (s.repetition == Repetition::Once) {
    const DayNumber d = s.onceDay;
    if (d >= c.first && d <= c.last)
      Emit(c, {kindText, DayText(c, d), s.timeText, text}, storeIndex, indexText, sourcePath);
    else if (d < c.first) MarkOutdated(c, storeIndex);
    return;
  }

  if (s.repetition == Repetition::Interval) {
    const MinuteNumber lo = std::max(c.first * kMinutesPerDay, s.startMinute);
    MinuteNumber hi = (c.last + 1) * kMinutesPerDay - 1;
    if (s.limit == Limit::Count) hi = std::min(hi, LastOccurrence(s, hi));
    if (s.limit == Limit::EndDate) hi = std::min(hi, s.endDay * kMinutesPerDay);
    MinuteNumber m = s.startMinute;
    if (lo > m) m += (lo - m + s.step - 1) / s.step * s.step;
    for (; m <= hi; m += s.step) {
      const DayNumber d = m / kMinutesPerDay;
      const int mins = static_cast<int>(m % kMinutesPerDay);
      const std::string& date = DayText(c, d);
      const char time[5] = {static_cast<char>('0' + mins / 600), static_cast<char>('0' + mins / 60 % 10), ':',
                            static_cast<char>('0' + mins % 60 / 10), static_cast<char>('0' + mins % 10)};
      Emit(c, {kindText, date, std::string_view(time, 5), text}, storeIndex, indexText, sourcePath);
    }
    if (hi < c.first * kMinutesPerDay) MarkOutdated(c, storeIndex);
    return;
  }

  const DayNumber lo = std::max(c.first, s.start);
  DayNumber hi = c.last;
  if (s.limit == Limit::Count) hi = std::min(hi, LastOccurrence(s, hi));
  if (s.limit == Limit::EndDate) hi = std::min(hi, s.endDay);

  switch (s.repetition) {
    case Repetition::Daily:
      for (DayNumber d = lo; d <= hi; ++d) emitDay(d);
      break;
    case Repetition::Weekly:
      for (DayNumber d = lo + ((s.weekday - IsoWeekday(static_cast<double>(lo))) % 7 + 7) % 7; d <= hi; d += 7)
        emitDay(d);
      break;
    case Repetition::Monthly:
      if (lo <= hi) {
        // Every month from lo's to hi's, so that any range length is complete.
        const Ymd a = DayToYmd(lo), b = DayToYmd(hi);
        for (int y = a.year, m = a.month; y < b.year || (y == b.year && m <= b.month);) {
          if (s.monthDay <= DaysInMonth(y, m)) {
            const DayNumber d = YmdToDay(y, m, s.monthDay);
            if (d >= lo && d <= hi) emitDay(d);
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
          if (d >= lo && d <= hi) emitDay(d);
        }
      }
      break;
    default: break;
  }
  if (hi < c.first) MarkOutdated(c, storeIndex);
}

// Processes one line of the working list.
void CollectLine(Collection& c, std::string_view line, std::int64_t index, std::string_view sourcePath) {
  const std::string_view record = line.substr(0, std::min(line.find(kSep4), line.size()));
  const int kind = TextToInt(FieldView(record, kSep3, 1));
  const std::int64_t storeIndex = StoreIndex(c, index, sourcePath);
  if (kind == 1 || kind == 2) {
    // A line whose date is no date belongs to no day.
    const Reading<DayNumber> d = ReadDay(FieldView(record, kSep3, 2));
    if (d && *d >= c.first && *d <= c.last) EmitLine(c, record, storeIndex, std::to_string(index), sourcePath);
  } else if (kind == 3 || kind == 4) {
    Expand(c, record, storeIndex, std::to_string(index), kind == 3 ? "3" : "4", sourcePath);
  }
}

struct LoadedFile {
  std::string path;
  std::string bytes;
  std::vector<std::string_view> lines;
};

// False when the file exists but cannot be read; a missing file is empty.
bool LoadInto(LoadedFile& f) {
  if (!LoadBytesForUpdate(f.path, f.bytes)) return false;
  ForEachLine(f.bytes, [&](std::string_view l) { f.lines.push_back(l); });
  return true;
}

// Adds the address-book dates of the range: kind "5" lines.
void CollectAddressBook(Collection& c, const std::string& indexPath) {
  Lines cards;
  if (!LoadLines(indexPath, cards) || c.last < c.first) return;
  // "dd.mm" of each day of the range, in ascending order.
  std::map<std::string, std::vector<std::string>> days;
  for (DayNumber d = c.first; d <= c.last; ++d) {
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
        NextLine(c) = line;
      }
    }
  }
}

// Lowers every store index above a removed one.
void ShiftIndices(Collection& c, std::vector<std::int64_t> removed) {
  std::sort(removed.begin(), removed.end());
  for (const auto& [pos, index] : c.storeOccurrences) {
    const auto below = std::lower_bound(removed.begin(), removed.end(), index) - removed.begin();
    if (below == 0) continue;
    std::string& line = (*c.out)[pos];
    line = SetField(line, kSep4, 3, std::to_string(index - below));
  }
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
  Expand(c, record, StoreIndex(c, TextToInt(indexText), sourcePath), indexText, kindText, sourcePath);
}

void EmitOccurrence(Collection& c, std::string_view line, std::string_view indexText,
                    std::string_view sourcePath) {
  EmitLine(c, line, StoreIndex(c, TextToInt(indexText), sourcePath), indexText, sourcePath);
}

bool CollectRange(Lines& out, DateTime first, DateTime last, const std::string& root, const std::string& user,
                  const CollectOptions& options) {
  const std::string dir = shell::DataDir(root, user);
  Collection c;
  c.first = DayOf(first);
  c.last = DayOf(last);
  c.autoDelete = options.autoDelete;
  c.storePath = shell::StoreFile(dir);
  c.out = &out;
  for (DayNumber d = c.first; d <= c.last && d - c.first < kMaxCachedDays; ++d)
    c.dayTexts.push_back(DateToText(static_cast<double>(d)));

  // Held across reading and removal, so that the removal deletes exactly the
  // lines that were read.
  std::optional<DataDirLock> lock;
  if (options.autoDelete) lock.emplace(dir);
  if (lock && !lock->held()) c.autoDelete = false;  // nothing is removed without the lock

  std::vector<LoadedFile> files;
  files.push_back({c.storePath, {}, {}});
  if (options.includeJournal && c.first <= c.last) {
    const Ymd a = DayToYmd(c.first), b = DayToYmd(c.last);
    for (int y = a.year, m = a.month; y < b.year || (y == b.year && m <= b.month);) {
      const std::string monthStart = DateToText(static_cast<double>(YmdToDay(y, m, 1)));
      files.push_back({dir + JournalFileName(monthStart), {}, {}});
      if (++m > 12) m = 1, ++y;
    }
  }
  bool complete = true;
  for (auto& f : files) complete = LoadInto(f) && complete;
  // Nothing is removed on the strength of a store that was not read whole.
  if (!complete) c.autoDelete = false;

  // The working list walked from its end: the last month's journal first.
  for (std::size_t fi = files.size(); fi-- > 0;) {
    const LoadedFile& f = files[fi];
    for (std::size_t li = f.lines.size(); li-- > 0;)
      CollectLine(c, f.lines[li], static_cast<std::int64_t>(li), f.path);
  }

  if (!c.outdated.empty()) {
    std::sort(c.outdated.begin(), c.outdated.end());
    if (RemoveOutdated(root, user, c.outdated)) ShiftIndices(c, c.outdated);
  }
  CollectAddressBook(c, shell::AddressIndexFile(dir));
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
