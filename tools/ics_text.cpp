#include "tools/ics_text.h"

#include <libical/ical.h>

#include <set>
#include <string_view>
#include <vector>

namespace krav::ics {
namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool Digits(std::string_view s, std::size_t most) {
  if (s.empty() || s.size() > most) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// A number of a BY list, with an optional sign where the list allows one.
bool InRange(std::string_view s, bool signedValue, int low, int high) {
  bool negative = false;
  if (signedValue && !s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (!Digits(s, 3)) return false;
  const int v = std::stoi(std::string(s));
  if (negative && v == 0) return false;
  return v >= low && v <= high;
}

bool IsWeekday(std::string_view s) {
  static const std::set<std::string_view> days{"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
  return days.count(s) > 0;
}

// "[+|-][1-53]XX".
bool IsByDay(std::string_view s) {
  if (s.size() < 2 || !IsWeekday(s.substr(s.size() - 2))) return false;
  const std::string_view ord = s.substr(0, s.size() - 2);
  return ord.empty() || InRange(ord, true, 1, 53);
}

bool IsUntil(std::string_view s) {
  if (s.size() != 8 && s.size() != 15 && s.size() != 16) return false;
  if (!Digits(s.substr(0, 8), 8)) return false;
  if (s.size() > 8) {
    if (s[8] != 'T' || !Digits(s.substr(9, 6), 6)) return false;
    if (s.size() == 16 && s[15] != 'Z') return false;
  }
  const int y = std::stoi(std::string(s.substr(0, 4))), m = std::stoi(std::string(s.substr(4, 2))),
            d = std::stoi(std::string(s.substr(6, 2)));
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  if (s.size() > 8) {
    const int h = std::stoi(std::string(s.substr(9, 2))), mi = std::stoi(std::string(s.substr(11, 2))),
              se = std::stoi(std::string(s.substr(13, 2)));
    if (h > 23 || mi > 59 || se > 60) return false;
  }
  return true;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t p = s.find(sep, start);
    out.push_back(s.substr(start, p == s.npos ? s.npos : p - start));
    if (p == s.npos) break;
    start = p + 1;
  }
  return out;
}

struct ByList {
  const char* name;
  std::size_t most;  // libical's room for the list
  bool signedValue;
  int low, high;
};
constexpr ByList kByLists[] = {
    {"BYSECOND", ICAL_BY_SECOND_SIZE - 1, false, 0, 60},   {"BYMINUTE", ICAL_BY_MINUTE_SIZE - 1, false, 0, 59},
    {"BYHOUR", ICAL_BY_HOUR_SIZE - 1, false, 0, 23},       {"BYMONTHDAY", ICAL_BY_MONTHDAY_SIZE - 1, true, 1, 31},
    {"BYYEARDAY", ICAL_BY_YEARDAY_SIZE - 1, true, 1, 366}, {"BYWEEKNO", ICAL_BY_WEEKNO_SIZE - 1, true, 1, 53},
    {"BYMONTH", ICAL_BY_MONTH_SIZE - 2, false, 1, 12},     {"BYSETPOS", ICAL_BY_SETPOS_SIZE - 1, true, 1, 366},
};

// The value of a content line: after the first ':' outside a quoted
// parameter value; npos when there is none. Counts the parameters.
std::size_t ValueStart(std::string_view line, std::size_t& parameters) {
  bool quoted = false;
  parameters = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') quoted = !quoted;
    else if (!quoted && c == ';') ++parameters;
    else if (!quoted && c == ':') return i + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::string RuleProblem(const std::string& value) {
  std::set<std::string> seen;
  std::string freq;
  bool count = false, until = false;
  for (std::string_view part : Split(value, ';')) {
    const std::size_t eq = part.find('=');
    if (eq == part.npos || eq == 0) return "часть правила без значения";
    const std::string name = Upper(part.substr(0, eq));
    const std::string v = Upper(part.substr(eq + 1));
    if (!seen.insert(name).second) return name + " дважды";
    if (v.empty()) return name + " без значения";
    if (name == "FREQ") {
      static const std::set<std::string> kinds{"SECONDLY", "MINUTELY", "HOURLY", "DAILY",
                                               "WEEKLY",   "MONTHLY",  "YEARLY"};
      if (!kinds.count(v)) return "неизвестная FREQ";
      freq = v;
    } else if (name == "INTERVAL") {
      if (!Digits(v, 5) || std::stoi(v) < 1 || std::stoi(v) > 32767) return "INTERVAL вне пределов 1–32767";
    } else if (name == "COUNT") {
      if (!Digits(v, 9) || std::stoi(v) < 1) return "COUNT — не число от 1 до 999999999";
      count = true;
    } else if (name == "UNTIL") {
      if (!IsUntil(v)) return "UNTIL — не дата и не дата со временем";
      until = true;
    } else if (name == "WKST") {
      if (!IsWeekday(v)) return "WKST — не день недели";
    } else if (name == "BYDAY") {
      const auto items = Split(v, ',');
      if (items.size() > ICAL_BY_DAY_SIZE - 1) return "слишком много значений BYDAY";
      for (auto item : items)
        if (!IsByDay(item)) return "значение BYDAY — не день недели";
    } else {
      const ByList* list = nullptr;
      for (const auto& l : kByLists)
        if (name == l.name) list = &l;
      if (!list) return "неизвестная часть правила " + name;
      const auto items = Split(v, ',');
      if (items.size() > list->most) return "слишком много значений " + name;
      for (auto item : items)
        if (!InRange(item, list->signedValue, list->low, list->high)) return name + " вне допустимых значений";
    }
  }
  if (freq.empty()) return "нет FREQ";
  if (count && until) return "COUNT и UNTIL вместе";
  return {};
}

bool PrepareCalendarText(const std::string& text, std::string& prepared, std::string& error) {
  if (text.size() > kMaxCalendarBytes) {
    error = "файл больше " + std::to_string(kMaxCalendarBytes >> 20) + " МиБ";
    return false;
  }
  prepared.clear();
  prepared.reserve(text.size());
  std::string line;
  std::size_t number = 0;
  auto finish = [&]() {
    if (line.empty()) return true;
    ++number;
    if (line.size() > kMaxContentLineBytes) {
      error = "строка содержимого " + std::to_string(number) + " длиннее " +
              std::to_string(kMaxContentLineBytes >> 10) + " КиБ";
      return false;
    }
    std::size_t parameters = 0;
    const std::size_t value = ValueStart(line, parameters);
    if (parameters > kMaxParameters) {
      error = "в строке содержимого " + std::to_string(number) + " больше " + std::to_string(kMaxParameters) +
              " параметров";
      return false;
    }
    const std::size_t nameEnd = line.find_first_of(";:");
    if (value != std::string::npos && Upper(std::string_view(line).substr(0, nameEnd)) == "RRULE") {
      if (const std::string why = RuleProblem(line.substr(value)); !why.empty()) {
        line = std::string(kRefusedRuleProperty) + ":";
        for (char c : why) line += c == ',' || c == ';' || c == '\\' ? ' ' : c;
      }
    }
    prepared += line;
    prepared += "\r\n";
    line.clear();
    return true;
  };
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view physical(text.data() + pos, end - pos);
    if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
    pos = end + 1;
    if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
      line.append(physical.substr(1));  // a folded line goes on
      if (line.size() > kMaxContentLineBytes) return finish();
      continue;
    }
    if (!finish()) return false;
    line.assign(physical);
  }
  return finish();
}

}  // namespace krav::ics
