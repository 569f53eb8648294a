#include "host/missed.h"

#include <algorithm>
#include <cmath>

#include "engine/collect.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::host {
namespace {

std::string PollFile(const std::string& root) { return shell::TempDir(root) + "shellhost.poll"; }

}  // namespace

long long MinuteOf(DateTime t) { return static_cast<long long>(std::floor(t * 1440.0 + 1e-6)); }

Lines MissedOccurrences(const std::string& root, const std::string& user, DateTime lastPoll, DateTime now) {
  Lines missed;
  if (lastPoll <= 0 || now <= lastPoll) return missed;
  const DateTime from = std::max(lastPoll, now - kMissedDays);
  Lines out;
  CollectRange(out, static_cast<double>(DayOf(from)), static_cast<double>(DayOf(now)), root, user, {false, false});
  const long long after = MinuteOf(lastPoll), before = MinuteOf(now);
  const DayNumber firstDay = DayOf(lastPoll), today = DayOf(now);
  std::vector<std::pair<long long, std::string>> found;
  for (auto& line : out) {
    const std::string head = GetField(line, kSep4, 1);
    const std::string kind = GetField(head, kSep3, 1);
    if (kind != "3" && kind != "4" && kind != "5") continue;
    const std::string when = GetField(head, kSep3, 2);
    const Reading<DayNumber> date = ReadDay(WhenDate(when));
    if (!date) continue;
    const DayNumber day = *date;
    const std::string_view time = WhenTime(when);
    if (time.empty()) {
      if (day > firstDay && day < today && day >= DayOf(from))
        found.emplace_back(static_cast<long long>(day) * 1440, line);
      continue;
    }
    const Reading<int> minuteOfDay = ReadTimeOfDay(time);
    if (!minuteOfDay) continue;
    const long long minute = static_cast<long long>(day) * 1440 + *minuteOfDay;
    if (minute > after && minute < before) found.emplace_back(minute, line);
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& f : found) missed.push_back(std::move(f.second));
  return missed;
}

DateTime LoadLastPoll(const std::string& root) {
  std::string text;
  if (!LoadBytes(PollFile(root), text)) return 0;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.size() != 16) return 0;
  const Reading<DayNumber> day = ReadDay(text.substr(0, 10));
  const Reading<int> minute = ReadTimeOfDay(text.substr(11));
  if (!day || !minute) return 0;
  return static_cast<double>(*day) + *minute / 1440.0;
}

bool SaveLastPoll(const std::string& root, DateTime minute) {
  ForceDir(shell::TempDir(root));
  return SaveBytes(PollFile(root), DateToText(minute) + " " + TimeToText(minute) + "\n");
}

std::string MissedLabel(const std::string& occurrence) {
  const std::string when = GetField(GetField(occurrence, kSep4, 1), kSep3, 2);
  std::string shown = when;
  while (!shown.empty() && shown.back() == ' ') shown.pop_back();
  return "Пропущено: " + Cp1251ToUtf8(shown);
}

}  // namespace krav::host
