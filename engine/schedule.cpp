#include "engine/schedule.h"

#include "engine/text.h"

namespace krav {
namespace {

constexpr std::int64_t kCycleMonths = 4800;  // the Gregorian calendar repeats every 400 years
constexpr std::int64_t kCycleYears = 400;

std::int64_t MonthIndex(const Ymd& v) { return static_cast<std::int64_t>(v.year) * 12 + v.month - 1; }
int YearOfIndex(std::int64_t mi) { return static_cast<int>(mi / 12); }
int MonthOfIndex(std::int64_t mi) { return static_cast<int>(mi % 12) + 1; }

bool MonthHasDay(std::int64_t mi, int n) {
  return n <= DaysInMonth(YearOfIndex(mi) % 400 + 400, MonthOfIndex(mi));
}

// Months of a 400-year cycle that have day n.
std::int64_t MonthsWithDayPerCycle(int n) {
  if (n <= 28) return kCycleMonths;
  if (n == 29) return kCycleMonths - 303;
  if (n == 30) return kCycleMonths - 400;
  return 2800;
}

bool YearHasDate(std::int64_t y, int day, int month) {
  return day <= DaysInMonth(static_cast<int>(y % 400) + 400, month);
}

std::int64_t MonthlyLast(const Schedule& s, DayNumber horizon) {
  const int n = s.monthDay;
  const Ymd st = DayToYmd(s.start);
  std::int64_t m = MonthIndex(st);
  if (n < st.day) ++m;
  if (!MonthHasDay(m, n)) ++m;  // one step always reaches a month that has day n
  std::int64_t left = s.count - 1;
  // Every further occurrence lies at least a month later.
  if (left > MonthIndex(DayToYmd(horizon)) - m) return kUnbounded;
  const std::int64_t perCycle = MonthsWithDayPerCycle(n);
  m += (left / perCycle) * kCycleMonths;
  left %= perCycle;
  while (left-- > 0) {
    ++m;
    if (!MonthHasDay(m, n)) ++m;
  }
  return YmdToDay(YearOfIndex(m), MonthOfIndex(m), n);
}

std::int64_t YearlyLast(const Schedule& s, DayNumber horizon) {
  const int d = s.yearDay, mo = s.yearMonth;
  const Ymd st = DayToYmd(s.start);
  std::int64_t y = st.year;
  auto nextValid = [&](std::int64_t from) {
    while (!YearHasDate(from, d, mo)) ++from;
    return from;
  };
  y = nextValid(y);
  if (YmdToDay(static_cast<int>(y), mo, d) < s.start) y = nextValid(y + 1);
  std::int64_t left = s.count - 1;
  if (left > DayToYmd(horizon).year - y) return kUnbounded;
  const std::int64_t perCycle = (d == 29 && mo == 2) ? 97 : kCycleYears;
  y += (left / perCycle) * kCycleYears;
  left %= perCycle;
  while (left-- > 0) y = nextValid(y + 1);
  return YmdToDay(static_cast<int>(y), mo, d);
}

// "hh:mm" as the editor writes it, with a valid time of day; gives the minutes.
bool ParseTime(std::string_view t, int& minutes) {
  if (t.size() != 5 || t[2] != ':' || !IsDigitText(t.substr(0, 2)) || !IsDigitText(t.substr(3, 2))) return false;
  const Reading<int> m = ReadTimeOfDay(t);
  if (!m) return false;
  minutes = *m;
  return true;
}

}  // namespace

// The first N fields of a text, split once; missing ones are empty.
template <std::size_t N>
struct Fields {
  std::string_view f[N];
  Fields(std::string_view text, char sep) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < N && start <= text.size(); ++i) {
      const std::size_t p = text.find(sep, start);
      f[i] = text.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start);
      if (p == std::string_view::npos) break;
      start = p + 1;
    }
  }
  std::string_view operator[](int n) const { return f[n - 1]; }  // from 1, like FieldView
};

std::optional<Schedule> ParseSchedule(std::string_view field) {
  const Fields<3> groups(field, kSep1);
  const Fields<4> a(groups[1], kSep2);
  const Fields<4> b(groups[2], kSep2);
  const Fields<2> c(groups[3], kSep2);
  Schedule s;
  const int code = TextToInt(a[1]);
  if (code < 1 || code > 6) return std::nullopt;
  s.repetition = static_cast<Repetition>(code);

  if (s.repetition != Repetition::Interval) {
    const std::string_view timeCode = c[1];
    int minutes = 0;
    if (timeCode == "21") s.timeText = {};
    else if (timeCode == "22" && ParseTime(c[2], minutes)) s.timeText = c[2], s.timeMinute = minutes;
    else return std::nullopt;
  }
  if (s.repetition == Repetition::Once) {
    s.onceDate = a[2];
    const Reading<DayNumber> day = ReadDay(s.onceDate);
    if (!day) return std::nullopt;
    s.onceDay = *day;
    return s;
  }

  if (groups[2].empty()) return std::nullopt;
  const Reading<DayNumber> start = ReadDay(b[2]);
  if (!start) return std::nullopt;
  s.start = *start;
  switch (TextToInt(b[1])) {
    case 12:
      s.limit = Limit::Count;
      s.count = TextToInt(b[4]);
      if (s.count < 1) return std::nullopt;
      break;
    case 13:
      s.limit = Limit::EndDate;
      if (const Reading<DayNumber> end = ReadDay(b[4]); end) s.endDay = *end;
      else return std::nullopt;
      break;
    default: break;
  }

  const std::string_view value = a[2];
  switch (s.repetition) {
    case Repetition::Weekly:
      s.weekday = WeekdayFromName(value);
      if (s.weekday == 0) return std::nullopt;
      break;
    case Repetition::Monthly:
      s.monthDay = TextToInt(value);
      if (s.monthDay < 1 || s.monthDay > 31) return std::nullopt;
      break;
    case Repetition::Yearly:
      s.yearDay = TextToInt(value.substr(0, std::min<std::size_t>(2, value.size())));
      s.yearMonth = value.size() > 3 ? TextToInt(value.substr(3, 2)) : 0;
      // Valid in a leap year: 31.02 matches no day of any year.
      if (s.yearMonth < 1 || s.yearMonth > 12 || s.yearDay < 1 || s.yearDay > DaysInMonth(2000, s.yearMonth))
        return std::nullopt;
      break;
    case Repetition::Interval: {
      const std::int64_t days = TextToInt(a[2]);
      const std::int64_t hours = TextToInt(a[3]);
      const std::int64_t mins = TextToInt(a[4]);
      s.step = days * 1440 + hours * 60 + mins;
      int startTime = 0;
      if (s.step < 1 || !ParseTime(b[3], startTime)) return std::nullopt;
      s.startMinute = s.start * 1440 + startTime;
      break;
    }
    default: break;
  }
  return s;
}

std::int64_t LastOccurrence(const Schedule& s, std::int64_t horizon) {
  const std::int64_t c = s.count;
  switch (s.repetition) {
    case Repetition::Daily: return s.start + c - 1;
    case Repetition::Weekly: {
      const DayNumber firstMatch = s.start + ((s.weekday - IsoWeekday(static_cast<double>(s.start))) % 7 + 7) % 7;
      return firstMatch + 7 * (c - 1);
    }
    case Repetition::Monthly: return MonthlyLast(s, horizon);
    case Repetition::Yearly: return YearlyLast(s, horizon);
    case Repetition::Interval: {
      const __int128 last = static_cast<__int128>(s.startMinute) + static_cast<__int128>(s.step) * (c - 1);
      return last > horizon ? kUnbounded : static_cast<std::int64_t>(last);
    }
    default: return kUnbounded;
  }
}

}  // namespace krav
