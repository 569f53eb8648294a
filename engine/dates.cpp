#include "engine/dates.h"

#include <cmath>
#include <ctime>
#include <mutex>

#include "engine/text.h"
#include "platform/encoding.h"

namespace krav {
namespace {

// Days from 1970-01-01 of a civil date (valid for any year).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Constant-initialised, so that dates made by other static objects are right.
constexpr std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

std::mutex& ClockMutex() {
  static std::mutex m;
  return m;
}
std::function<DateTime()>& TestClock() {
  static std::function<DateTime()> c;
  return c;
}

std::string Two(int v) { return PadLeft(std::to_string(v), "00"); }

}  // namespace

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

bool IsValidYmd(int y, int m, int d) {
  return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

DayNumber YmdToDay(int y, int m, int d) {
  return DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kEpochOffset;
}

Ymd DayToYmd(DayNumber day) {
  std::int64_t z = day + kEpochOffset + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

DayNumber DayOf(DateTime d) { return static_cast<DayNumber>(std::floor(d)); }

DateTime MakeDateTime(int y, int mo, int d, int h, int mi) {
  return static_cast<double>(YmdToDay(y, mo, d)) + (h * 60 + mi) / 1440.0;
}

DateTime Now() {
  {
    std::lock_guard lock(ClockMutex());
    if (TestClock()) return TestClock()();
  }
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return static_cast<double>(YmdToDay(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday)) +
         (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) / 86400.0;
}

DayNumber Today() { return DayOf(Now()); }

void SetClockForTesting(std::function<DateTime()> clock) {
  std::lock_guard lock(ClockMutex());
  TestClock() = std::move(clock);
}

std::string DateToText(DateTime d) {
  const Ymd v = DayToYmd(DayOf(d));
  if (v.year < 1000 || v.year > 9999) return Two(v.day) + "." + Two(v.month) + "." + std::to_string(v.year);
  char buf[10] = {static_cast<char>('0' + v.day / 10),
                  static_cast<char>('0' + v.day % 10),
                  '.',
                  static_cast<char>('0' + v.month / 10),
                  static_cast<char>('0' + v.month % 10),
                  '.',
                  static_cast<char>('0' + v.year / 1000),
                  static_cast<char>('0' + v.year / 100 % 10),
                  static_cast<char>('0' + v.year / 10 % 10),
                  static_cast<char>('0' + v.year % 10)};
  return std::string(buf, 10);
}

std::string DateToShortText(DateTime d) {
  const Ymd v = DayToYmd(DayOf(d));
  return Two(v.day) + "." + Two(v.month) + "." + Two(v.year % 100);
}

std::string TimeToText(DateTime t) {
  // Rounded to the nearest second first, so 14:34:59.9999 reads as 14:35.
  double frac = t - std::floor(t);
  long seconds = std::lround(frac * 86400.0);
  if (seconds >= 86400) seconds = 86399;
  return Two(static_cast<int>(seconds / 3600)) + ":" + Two(static_cast<int>(seconds / 60 % 60));
}

namespace {

// Digits with blanks before them, at least one digit; -1 otherwise.
int PartNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return -1;
  int n = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    n = n * 10 + (s[i] - '0');
  }
  return n;
}

}  // namespace

Reading<DayNumber> ReadDay(std::string_view s) {
  if ((s.size() != 8 && s.size() != 10) || s[2] != '.' || s[5] != '.')
    return Reading<DayNumber>::Not("not a date of the form dd.mm.yyyy");
  const int day = PartNumber(s.substr(0, 2)), month = PartNumber(s.substr(3, 2));
  int year = PartNumber(s.substr(6));
  if (day < 0 || month < 0 || year < 0) return Reading<DayNumber>::Not("not a date of the form dd.mm.yyyy");
  if (s.size() == 8) year += year < 80 ? 2000 : 1900;
  else if (year < 1753) return Reading<DayNumber>::Not("a year before 1753");
  if (!IsValidYmd(year, month, day)) return Reading<DayNumber>::Not("no such day");
  return Reading<DayNumber>::Of(YmdToDay(year, month, day));
}

bool IsValidDateText(std::string_view s) { return ReadDay(s).value.has_value(); }

Reading<int> ReadTimeOfDay(std::string_view s) {
  int parts[2] = {0, 0};
  int part = 0, digits = 0;
  for (char c : s) {
    if (c == ' ') continue;
    if (c == ':' && part == 0) {
      part = 1;
      digits = 0;
    } else if (c >= '0' && c <= '9' && digits < 2) {
      parts[part] = parts[part] * 10 + (c - '0');
      ++digits;
    } else {
      return Reading<int>::Not("not a time of the form hh:mm");
    }
  }
  if (parts[0] > 23 || parts[1] > 59) return Reading<int>::Not("no such time of day");
  return Reading<int>::Of(parts[0] * 60 + parts[1]);
}

bool IsValidTimeText(std::string_view s) { return ReadTimeOfDay(s).value.has_value(); }

std::string MinuteText(int minuteOfDay) { return Two(minuteOfDay / 60) + ":" + Two(minuteOfDay % 60); }

std::string StoredDate(std::string_view typed) {
  const Reading<DayNumber> day = ReadDay(typed);
  return day ? DateToText(static_cast<double>(*day)) : std::string(typed);
}

std::string StoredTime(std::string_view typed) {
  const Reading<int> minute = ReadTimeOfDay(typed);
  return minute ? MinuteText(*minute) : std::string(typed);
}

std::string DateToLongText(std::string_view dateText) {
  const Reading<DayNumber> day = ReadDay(dateText);
  if (!day) return std::string(dateText);
  const Ymd v = DayToYmd(*day);
  return std::to_string(v.day) + " " + MonthName(v.month, false) + " " + std::to_string(v.year) + Ru(" г.");
}

std::string MonthName(int month, bool nominative) {
  static const char* kNom[] = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                               "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
  static const char* kGen[] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                               "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
  if (month < 1 || month > 12) return {};
  return Ru(nominative ? kNom[month - 1] : kGen[month - 1]);
}

int WeekdayFromName(std::string_view name) {
  static const std::string kNames[7][2] = {
      {Ru("понедельник"), Ru("понедельникам")}, {Ru("вторник"), Ru("вторникам")}, {Ru("среда"), Ru("средам")},
      {Ru("четверг"), Ru("четвергам")},         {Ru("пятница"), Ru("пятницам")},  {Ru("суббота"), Ru("субботам")},
      {Ru("воскресенье"), Ru("воскресеньям")}};
  const std::string lower = LowerText(name);
  for (int i = 0; i < 7; ++i)
    if (lower == kNames[i][0] || lower == kNames[i][1]) return i + 1;
  return 0;
}

int IsoWeekday(DateTime d) {
  // Day 0 (30.12.1899) was a Saturday.
  const DayNumber day = DayOf(d);
  const int r = static_cast<int>(((day + 5) % 7 + 7) % 7);  // 0 Monday
  return r + 1;
}

int MonthOf(DateTime d) { return DayToYmd(DayOf(d)).month; }
int YearOf(DateTime d) { return DayToYmd(DayOf(d)).year; }

DateTime LastDayOfMonth(DateTime d) {
  const Ymd v = DayToYmd(DayOf(d));
  return static_cast<double>(YmdToDay(v.year, v.month, DaysInMonth(v.year, v.month)));
}

DateTime NextDay(DateTime d) { return d + 1; }

int CompareDays(DateTime a, DateTime b) {
  const DayNumber x = DayOf(a), y = DayOf(b);
  return x == y ? 0 : (x > y ? 1 : -1);
}

}  // namespace krav
