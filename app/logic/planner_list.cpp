#include "app/logic/planner_list.h"

#include <algorithm>
#include <map>
#include <set>

#include "accounting/ledger_files.h"
#include "engine/collect.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::app {
namespace {

std::string_view Part(std::string_view line, int part) { return FieldView(line, kSep4, part); }

}  // namespace

std::string_view PlannerList::part(const PlannerRow& r, int n) const {
  return r.separator() ? std::string_view() : Part(lines[static_cast<std::size_t>(r.line)], n);
}
std::string_view PlannerList::kind(const PlannerRow& r) const { return FieldView(part(r, 1), kSep3, 1); }
std::string_view PlannerList::when(const PlannerRow& r) const { return FieldView(part(r, 1), kSep3, 2); }
std::string PlannerList::key(const PlannerRow& r) const {
  if (r.separator()) return {};
  std::string k(part(r, 3));
  k += kSep3;
  k += part(r, 4);
  return k;
}

namespace {

// "hh:mm" as minutes past midnight plus one; 0 for an empty time; -1 for a
// time of any other form.
int MinuteSlot(std::string_view time) {
  if (time.empty()) return 0;
  if (time.size() != 5 || time[2] != ':') return -1;
  const auto digit = [&](std::size_t i) { return time[i] >= '0' && time[i] <= '9' ? time[i] - '0' : -100; };
  const int h = digit(0) * 10 + digit(1), m = digit(3) * 10 + digit(4);
  if (h < 0 || m < 0 || m > 59 || h > 29) return -1;
  return 1 + h * 60 + m;
}

// The list's own compare (day, then the time as bytes, an empty time
// first; equal rows in collection order) for any texts.
std::vector<std::int32_t> SortByCompare(const Lines& lines, const std::vector<DayNumber>& days) {
  std::vector<std::int32_t> order(lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::int32_t>(i);
  const auto timeOf = [&](std::int32_t i) {
    return WhenTime(FieldView(Part(lines[static_cast<std::size_t>(i)], 1), kSep3, 2));
  };
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    if (days[static_cast<std::size_t>(a)] != days[static_cast<std::size_t>(b)])
      return days[static_cast<std::size_t>(a)] < days[static_cast<std::size_t>(b)];
    return timeOf(a) < timeOf(b);
  });
  return order;
}

}  // namespace

PlannerList BuildPlannerList(Lines occurrences) {
  PlannerList list;
  list.lines = std::move(occurrences);
  const std::size_t n = list.lines.size();
  std::vector<DayNumber> days(n);
  std::vector<std::int32_t> slots(n);
  bool bySlots = true;
  DayNumber firstDay = 0, lastDay = 0;
  // A period has few distinct date texts: the last one read is kept.
  std::string_view lastText;
  DayNumber lastTextDay = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& line = list.lines[i];
    // The collection's own form: kind, #3, "dd.mm.yyyy", a blank, "" or "hh:mm", #4.
    std::string_view when;
    if (line.size() > 13 && line[1] == kSep3 && line[12] == ' ' &&
        (line[13] == kSep4 || (line.size() > 18 && line[18] == kSep4)))
      when = std::string_view(line).substr(2, line[13] == kSep4 ? 11 : 16);
    else when = FieldView(Part(line, 1), kSep3, 2);
    const std::string_view date = WhenDate(when);
    if (date != lastText || i == 0) {
      lastText = date;
      if (const Reading<DayNumber> d = ReadDay(date); d) lastTextDay = *d;
    }
    days[i] = lastTextDay;
    slots[i] = MinuteSlot(WhenTime(when));
    bySlots = bySlots && slots[i] >= 0;
    if (i == 0) firstDay = lastDay = days[i];
    firstDay = std::min(firstDay, days[i]);
    lastDay = std::max(lastDay, days[i]);
  }
  // Well-formed times (all the collection writes) sort by counting into one
  // slot a minute of every day: one pass, and stable like the compare.
  constexpr int kSlots = 1 + 30 * 60;
  const std::int64_t buckets = (static_cast<std::int64_t>(lastDay) - firstDay + 1) * kSlots;
  std::vector<std::int32_t> order;
  if (n > 0 && bySlots && buckets <= 4 * static_cast<std::int64_t>(n) + 100000) {
    std::vector<std::int32_t> start(static_cast<std::size_t>(buckets) + 1, 0);
    const auto bucket = [&](std::size_t i) {
      return static_cast<std::size_t>(days[i] - firstDay) * kSlots + static_cast<std::size_t>(slots[i]);
    };
    for (std::size_t i = 0; i < n; ++i) ++start[bucket(i) + 1];
    for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
    order.resize(n);
    for (std::size_t i = 0; i < n; ++i)
      order[static_cast<std::size_t>(start[bucket(i)]++)] = static_cast<std::int32_t>(i);
  } else {
    order = SortByCompare(list.lines, days);
  }
  list.rows.reserve(n + 64);
  for (std::size_t k = 0; k < n; ++k) {
    const DayNumber day = days[static_cast<std::size_t>(order[k])];
    if (k == 0 || day != days[static_cast<std::size_t>(order[k - 1])]) list.rows.push_back({-1, day, false});
    list.rows.push_back({order[k], day, false});
  }
  return list;
}

std::string PlannerStatus(DateTime start, int days) {
  return Ru("С ") + DateToText(start) + Ru(" по ") + DateToText(start + days) + " (" +
         PluralForm(days, Ru("день"), Ru("дня"), Ru("дней"), true) + ")";
}

const std::vector<int>& PeriodLengths() {
  static const std::vector<int> lengths{1, 3, 5, 10, 15, 30};
  return lengths;
}

std::string PeriodCaption(int days) { return PluralForm(days, Ru("день"), Ru("дня"), Ru("дней"), true); }

std::string RowTime(std::string_view when) {
  const std::string_view time = WhenTime(when);
  return time.empty() ? Ru("При загрузке") : std::string(time);
}
std::string RowDescription(std::string_view part2) { return std::string(FieldView(part2, kSep1, 1)); }
std::string RowAmount(std::string_view part2) { return std::string(FieldView(part2, kSep1, 2)); }

ShownEntry EntryOf(const PlannerList& list, const PlannerRow& row) {
  return {std::string(list.part(row, 4)), TextToInt(list.part(row, 3)),
          list.lines[static_cast<std::size_t>(row.line)]};
}

std::vector<ShownEntry> MarkedEntries(const PlannerList& list) {
  std::vector<ShownEntry> entries;
  std::set<std::string> seen;
  for (const PlannerRow& r : list.rows) {
    if (r.separator() || !r.marked || list.kind(r) == "5") continue;
    if (seen.insert(list.key(r)).second) entries.push_back(EntryOf(list, r));
  }
  return entries;
}

bool LineShowsAs(std::string_view line, std::string_view occurrence) {
  const std::string_view head = Part(occurrence, 1);
  const std::string_view kind = FieldView(head, kSep3, 1);
  if (FieldView(line, kSep3, 1) != kind || kind == "5") return false;
  // The line is the one shown only when it gives that very occurrence on
  // its day: kind, date, time, text and amount, not the text alone (a daily
  // and a one-time reminder may share their text).
  const Reading<DayNumber> shownDay = ReadDay(WhenDate(FieldView(head, kSep3, 2)));
  if (!shownDay) return false;
  const DayNumber day = *shownDay;
  Lines produced;
  Collection c;
  c.first = c.last = day;
  c.out = &produced;
  c.dayTexts = {DateToText(static_cast<double>(day))};
  const std::string_view index = Part(occurrence, 3), path = Part(occurrence, 4);
  if (kind == "3" || kind == "4") ExpandRecord(c, line, index, kind, path);
  else EmitOccurrence(c, line, index, path);
  for (std::size_t i = 0; i < c.used; ++i)
    if (Part(produced[i], 1) == head && Part(produced[i], 2) == Part(occurrence, 2)) return true;
  return false;
}

std::string FindShownLine(const ShownEntry& e) {
  Lines lines;
  if (!LoadLines(e.path, lines)) return {};
  if (e.index >= 0 && e.index < static_cast<std::int64_t>(lines.size()) &&
      LineShowsAs(lines[static_cast<std::size_t>(e.index)], e.occurrence))
    return lines[static_cast<std::size_t>(e.index)];
  for (const auto& l : lines)
    if (LineShowsAs(l, e.occurrence)) return l;
  return {};
}

namespace {

// The data directory of a record file: the user's folder, for the store and
// for the journals under "Plan/" alike.
std::string DataDirOfFile(const std::string& root, const std::string& user) { return shell::DataDir(root, user); }

std::string CannotWrite(const std::string& path) {
  return Ru("Файл ") + path + Ru(" не удалось прочитать или записать; он оставлен как был.");
}

}  // namespace

namespace {

// Moves FirstDate and LastChanges back for deleted operations; the message
// when that could not be written.
void MarkDeletedOperations(const Lines& lines, const std::string& root, const std::string& user,
                           ChangeResult& result) {
  if (!accounting::MarkChangedOperations({root, user}, lines))
    result.error = Ru("Отметка об изменении в файле ") + shell::UserSettingsFile(DataDirOfFile(root, user)) +
                   Ru(" не записана: остатки в отчёте могут быть неверны.");
}

}  // namespace

ChangeResult DeleteEntries(const std::vector<ShownEntry>& entries, const std::string& root,
                           const std::string& user) {
  ChangeResult result;
  const std::string dir = DataDirOfFile(root, user);
  std::map<std::string, std::vector<const ShownEntry*>> byFile;
  for (const auto& e : entries) byFile[e.path].push_back(&e);
  for (const auto& fileEntries : byFile) {
    const std::string& path = fileEntries.first;  // named, not bound: lambdas capture it
    const std::vector<const ShownEntry*>& list = fileEntries.second;
    // The trash gets the lines and the file loses them in one update: both
    // or neither, the trash saved first so that no stop midway loses a line.
    Lines deleted;
    int missing = 0;
    std::string failed;
    const bool ok = UpdateFiles(
        dir, {{shell::TrashFile(dir)}, {path}},
        [&](std::vector<Lines>& files) {
          Lines& lines = files[1];
          deleted.clear();
          missing = 0;
          // Each entry's line: at its index while that still shows it, else
          // the first line that does and is not taken yet.
          std::set<std::size_t> doomed;
          for (const ShownEntry* e : list) {
            std::size_t at = lines.size();
            if (e->index >= 0 && e->index < static_cast<std::int64_t>(lines.size()) &&
                !doomed.count(static_cast<std::size_t>(e->index)) &&
                LineShowsAs(lines[static_cast<std::size_t>(e->index)], e->occurrence))
              at = static_cast<std::size_t>(e->index);
            for (std::size_t i = 0; at == lines.size() && i < lines.size(); ++i)
              if (!doomed.count(i) && LineShowsAs(lines[i], e->occurrence)) at = i;
            if (at == lines.size()) ++missing;
            else doomed.insert(at);
          }
          if (doomed.empty()) return false;
          Lines kept;
          for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) deleted.push_back(lines[*it]);
          for (std::size_t i = 0; i < lines.size(); ++i)
            if (!doomed.count(i)) kept.push_back(lines[i]);
          lines = std::move(kept);
          AddToTrash(files[0], deleted);
          return true;
        },
        &failed);
    if (!ok) {
      result.error = CannotWrite(failed);
      continue;
    }
    result.missing += missing;
    MarkDeletedOperations(deleted, root, user, result);
    result.done += static_cast<int>(deleted.size());
  }
  return result;
}

ChangeResult RemoveReplacedLine(const std::string& path, std::int64_t index, const std::string& openedLine,
                                const std::string& root, const std::string& user) {
  ChangeResult result;
  bool found = false;
  const bool ok = UpdateLines(
      DataDirOfFile(root, user), path,
      [&](Lines& lines) {
        std::size_t at = lines.size();
        if (index >= 0 && index < static_cast<std::int64_t>(lines.size()) &&
            lines[static_cast<std::size_t>(index)] == openedLine)
          at = static_cast<std::size_t>(index);
        for (std::size_t i = 0; at == lines.size() && i < lines.size(); ++i)
          if (lines[i] == openedLine) at = i;
        found = at != lines.size();
        if (found) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
        return found;
      },
      WhenEmpty::Delete);
  if (!ok) {
    result.error = CannotWrite(path);
    return result;
  }
  if (!found) {
    result.missing = 1;
    return result;
  }
  result.done = 1;
  MarkDeletedOperations({openedLine}, root, user, result);
  return result;
}

std::string DeleteQuestion(int count, bool fromTrash) {
  return Ru("Вы действительно хотите удалить ") +
         PluralForm(count, Ru("запись"), Ru("записи"), Ru("записей"), true) +
         (fromTrash ? Ru(" из корзины ?") : Ru(" ?"));
}

}  // namespace krav::app
