#include "app/logic/recurrence.h"

#include <algorithm>

#include "engine/collect.h"
#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

std::string Sub(std::initializer_list<std::string_view> parts) { return JoinFields(parts, kSep2); }

}  // namespace

const std::vector<std::string>& Weekdays() {
  static const std::vector<std::string> days{Ru("понедельникам"), Ru("вторникам"), Ru("средам"),
                                             Ru("четвергам"),     Ru("пятницам"),  Ru("субботам"),
                                             Ru("воскресеньям")};
  return days;
}

void LoadSchedule(RecurrenceState& s, std::string_view schedule) {
  const std::string a = GetField(schedule, kSep1, 1), b = GetField(schedule, kSep1, 2),
                    c = GetField(schedule, kSep1, 3);
  const int code = TextToInt(GetField(a, kSep2, 1));
  switch (code) {
    case kOnce: s.onceDate = GetField(a, kSep2, 2); break;
    case kDaily: break;
    case kWeekly: {
      const auto& days = Weekdays();
      const auto it = std::find(days.begin(), days.end(), GetField(a, kSep2, 2));
      s.weekday = it == days.end() ? -1 : static_cast<int>(it - days.begin());
      break;
    }
    case kMonthly: s.monthDay = std::clamp(TextToInt(GetField(a, kSep2, 2)), 1, 31); break;
    case kYearly: s.yearDay = GetField(a, kSep2, 2); break;
    case kInterval:
      s.days = std::clamp(TextToInt(GetField(a, kSep2, 2)), 0, 99);
      s.hours = std::clamp(TextToInt(GetField(a, kSep2, 3)), 0, 23);
      s.minutes = std::clamp(TextToInt(GetField(a, kSep2, 4)), 0, 59);
      break;
    default: return;  // nothing selected: the controls keep their values
  }
  s.repetition = code;
  if (code != kOnce) {
    s.startDate = GetField(b, kSep2, 2);
    s.startTime = GetField(b, kSep2, 3);
  }
  const std::string range = GetField(b, kSep2, 1);
  if (range == "12") {
    s.count = std::clamp(TextToInt(GetField(b, kSep2, 4)), 1, 370);
    s.range = kCount;
  } else if (range == "13") {
    s.endDate = GetField(b, kSep2, 4);
    s.range = kUntil;
  }
  const std::string time = GetField(c, kSep2, 1);
  if (time == "21") {
    s.timeKind = kAtStart;
  } else if (time == "22") {
    s.timeKind = kAtTime;
    s.time = GetField(c, kSep2, 2);
  }
}

std::string CheckRecurrence(const RecurrenceState& s) {
  std::string message;
  if (s.repetition == kOnce && !IsValidDateText(s.onceDate))
    message = Ru("Вы не указали дату для одноразового события !");
  if (s.repetition == kYearly && !IsValidDateText(s.yearDay + ".2000"))
    message = Ru("Вы не указали дату и месяц для ежегодного события  !");
  if (s.repetition == kInterval && s.days * 1440 + s.hours * 60 + s.minutes < 5)
    message = Ru("События не могут повторяться чаще, чем 1 раз в 5 минут !");
  if (RangeShown(s)) {
    if (!IsValidDateText(s.startDate)) message = Ru("Вы неправильно указали дату начала повторяющихся сообщений");
    if (s.repetition == kInterval && !IsValidTimeText(s.startTime))
      message = Ru("Вы неправильно указали время начала повторяющихся сообщений");
    if (s.range == kUntil && !IsValidDateText(s.endDate))
      message = Ru("Вы неправильно указали период действия событий в разделе \"количество повторений события\"!");
  }
  return message;
}

std::string BuildSchedule(const RecurrenceState& s) {
  std::string a;
  switch (s.repetition) {
    case kOnce: a = Sub({"1", StoredDate(s.onceDate)}); break;
    case kDaily: a = Sub({"2", ""}); break;
    case kWeekly:
      a = Sub({"3", s.weekday >= 0 ? Weekdays()[static_cast<std::size_t>(s.weekday)] : std::string()});
      break;
    case kMonthly: a = Sub({"4", std::to_string(s.monthDay)}); break;
    case kYearly: a = Sub({"5", s.yearDay}); break;
    default: a = Sub({"6", std::to_string(s.days), std::to_string(s.hours), std::to_string(s.minutes)}); break;
  }
  // Dates and times go in their stored forms (a four-digit year, "hh:mm":
  // an empty time, which the check takes for 00:00, is written so); the
  // start time of a day repetition is not read and stays as it is.
  std::string b;
  if (RangeShown(s)) {
    const std::string start = StoredDate(s.startDate);
    const std::string startTime = s.repetition == kInterval ? StoredTime(s.startTime) : s.startTime;
    if (s.range == kCount) b = Sub({"12", start, startTime, std::to_string(s.count)});
    else if (s.range == kUntil) b = Sub({"13", start, startTime, StoredDate(s.endDate)});
    else b = Sub({"11", start, startTime});
  }
  std::string c;
  if (TimePanelShown(s)) c = s.timeKind == kAtStart ? std::string("21") : Sub({"22", StoredTime(s.time)});
  return a + kSep1 + b + kSep1 + c;
}

std::vector<std::string> NextOccurrences(const RecurrenceState& s, DateTime now, std::size_t count) {
  std::vector<std::string> next;
  const std::string record = JoinFields({"3", BuildSchedule(s), "x"}, kSep3);
  const DayNumber today = DayOf(now);
  const std::string nowTime = TimeToText(now);
  // Windows of growing length, so that a five-minute interval costs a day
  // and a leap-day yearly one a few years.
  Lines out;
  for (DayNumber from = today, length = 1; next.size() < count && from - today < 36600;
       from += length, length *= 2) {
    Collection c;
    c.first = from;
    c.last = from + length - 1;
    c.out = &out;
    for (DayNumber d = c.first; d <= c.last && d - c.first < 32; ++d)
      c.dayTexts.push_back(DateToText(static_cast<double>(d)));
    ExpandRecord(c, record, "0", "3", "");
    out.resize(c.used);
    for (const auto& line : out) {
      const std::string when = GetField(GetField(line, kSep4, 1), kSep3, 2);
      const std::string_view date = WhenDate(when), time = WhenTime(when);
      if (DayOf(static_cast<double>(*ReadDay(date))) == today && !time.empty() && std::string(time) < nowTime)
        continue;
      next.push_back(std::string(date) + " " + (time.empty() ? Ru("весь день") : std::string(time)));
      if (next.size() == count) break;
    }
  }
  return next;
}

std::string NextOccurrencesText(const RecurrenceState& s, DateTime now) {
  if (std::string check = CheckRecurrence(s); !check.empty()) return check;
  const std::vector<std::string> next = NextOccurrences(s, now, 5);
  if (next.empty()) return Ru("Нет ни одного повторения");
  // One line under the page: a shared time is said once, a date only when
  // it changes, its year only when that changes.
  auto date = [](const std::string& o) { return o.substr(0, 10); };
  auto time = [](const std::string& o) { return o.substr(11); };
  bool sameTime = true;
  for (const auto& o : next) sameTime = sameTime && time(o) == time(next[0]);
  std::string text = Ru("Ближайшие");
  if (sameTime) text += ", " + (time(next[0]) == Ru("весь день") ? time(next[0]) : Ru("в ") + time(next[0]));
  text += ": ";
  for (std::size_t i = 0; i < next.size(); ++i) {
    std::string part;
    if (i == 0 || date(next[i]).substr(6) != date(next[i - 1]).substr(6)) part = date(next[i]);
    else if (date(next[i]) != date(next[i - 1])) part = date(next[i]).substr(0, 5);
    if (!sameTime) part += (part.empty() ? "" : " ") + time(next[i]);
    text += (i ? ", " : "") + part;
  }
  return text;
}

void DefaultWeekday(RecurrenceState& s) {
  if (s.weekday < 0) s.weekday = 0;
}

std::string RepetitionLabel(int repetition, bool selected) {
  switch (repetition) {
    case kOnce: return Ru(selected ? "Одноразовое . . . . . . . . . . . . . ." : "Одноразовое");
    case kDaily: return Ru("Ежедневные");
    case kWeekly: return Ru(selected ? "Еженедельные, по . . . . . . . . . . ." : "Еженедельные");
    case kMonthly: return Ru(selected ? "Ежемесячные . . . . . . . . . . . . . . . ." : "Ежемесячные");
    case kYearly: return Ru(selected ? "Ежегодные . . . . . . . . . . . . . . . . . . ." : "Ежегодные");
    default: return Ru(selected ? "Через . . . . . . ." : "Через определенный временной интервал");
  }
}

std::string RangeLabel(int range, bool selected) {
  switch (range) {
    case kCount: return Ru(selected ? "Только . . . . . . . . ." : "Определенное количество раз");
    case kUntil: return Ru(selected ? "По  . . . . . . . . . ." : "До определенной даты");
    default: return Ru("Бесконечное количество раз");
  }
}

std::string DaysWord(int n) { return PluralForm(n, Ru("день"), Ru("дня"), Ru("дней"), false); }
std::string HoursWord(int n) { return PluralForm(n, Ru("час"), Ru("часа"), Ru("часов"), false); }
std::string MinutesWord(int n) { return PluralForm(n, Ru("минуту"), Ru("минуты"), Ru("минут"), false); }
std::string TimesWord(int n) { return PluralForm(n, Ru("раз"), Ru("раза"), Ru("раз"), false); }

}  // namespace krav::app
