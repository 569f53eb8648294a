#include "app/logic/quick_entry.h"

#include <cmath>
#include <vector>

#include "app/logic/recurrence.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

std::vector<std::string> Words(std::string_view phrase) {
  std::vector<std::string> words;
  std::string word;
  for (char c : phrase) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// 0 Monday .. 6 Sunday of a weekday as it follows "в", "каждый",
// "каждую" or "каждое"; -1 for any other word.
int WeekdayIndex(const std::string& word) {
  static const char* const kForms[7][2] = {{"понедельник", ""}, {"вторник", ""},        {"среду", "среда"},
                                           {"четверг", ""},     {"пятницу", "пятница"}, {"субботу", "суббота"},
                                           {"воскресенье", ""}};
  const std::string w = LowerText(word);
  for (int i = 0; i < 7; ++i)
    for (const char* form : kForms[i])
      if (*form && w == Ru(form)) return i;
  return -1;
}

// "ЧЧ:ММ" (one or two digits of hours, two of minutes) as a minute of the day;
// -1 for a word of another form, -2 for that form with no such time.
int TimeWord(const std::string& w) {
  const std::size_t colon = w.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 2 || w.size() != colon + 3 ||
      !IsDigitText(w.substr(0, colon)) || !IsDigitText(w.substr(colon + 1)))
    return -1;
  const Reading<int> m = ReadTimeOfDay(w);
  return m ? *m : -2;
}

std::string DayText(DayNumber d) { return DateToText(static_cast<double>(d)); }

}  // namespace

QuickEntry ReadQuickEntry(std::string_view phrase, DateTime now) {
  QuickEntry q;
  const std::vector<std::string> words = Words(phrase);
  const DayNumber today = DayOf(now);
  auto is = [&](std::size_t i, const char* utf8) { return i < words.size() && LowerText(words[i]) == Ru(utf8); };
  auto fail = [&](const char* utf8) {
    q.why = Ru(utf8);
    return q;
  };
  if (words.empty()) return fail("Напишите, о чём напомнить: например, «завтра 9:00 позвонить маме».");

  RecurrenceState r;
  r.startDate = DayText(today);
  r.startTime = "00:00";
  std::size_t at = 0;
  std::string when;      // what the when part reads as, for `understood`
  int fixedMinute = -1;  // "через": the moment's time, no time part then
  DayNumber onceDay = today;
  if (is(0, "сегодня")) {
    at = 1;
  } else if (is(0, "завтра")) {
    onceDay = today + 1, at = 1;
  } else if (is(0, "послезавтра")) {
    onceDay = today + 2, at = 1;
  } else if (is(0, "в") && words.size() > 1 && WeekdayIndex(words[1]) >= 0) {
    const int wd = WeekdayIndex(words[1]) + 1;  // 1 Monday
    int ahead = (wd - IsoWeekday(static_cast<double>(today)) + 7) % 7;
    onceDay = today + (ahead == 0 ? 7 : ahead), at = 2;
  } else if (is(0, "через")) {
    if (words.size() < 3 || !IsDigitText(words[1]) || words[1].size() > 4)
      return fail("После «через» нужно число и «минут» или «часов»: «через 20 минут».");
    const int n = TextToInt(words[1]);
    const std::string unit = LowerText(words[2]);
    int minutes = -1;
    for (const char* u : {"минуту", "минуты", "минут"})
      if (unit == Ru(u)) minutes = n;
    for (const char* u : {"час", "часа", "часов"})
      if (unit == Ru(u)) minutes = n * 60;
    if (minutes < 0) return fail("После «через» нужно число и «минут» или «часов»: «через 20 минут».");
    if (minutes < 1) return fail("Через 0 минут — это уже сейчас.");
    const MinuteNumber moment = static_cast<MinuteNumber>(std::llround(now * 1440.0)) + minutes;
    onceDay = moment / 1440;
    fixedMinute = static_cast<int>(moment % 1440);
    at = 3;
  } else if (is(0, "каждый") && is(1, "день")) {
    r.repetition = kDaily, at = 2;
    when = Ru("каждый день");
  } else if (is(0, "каждый") && is(1, "год")) {
    if (words.size() < 3) return fail("После «каждый год» нужна дата ДД.ММ.");
    const std::string& d = words[2];
    if (d.size() != 5 || d[2] != '.' || !IsValidDateText(d + ".2000"))
      return fail("После «каждый год» нужна дата ДД.ММ, например «каждый год 08.03».");
    r.repetition = kYearly, r.yearDay = d, at = 3;
    when = Ru("каждый год ") + d;
  } else if ((is(0, "каждое") || is(0, "каждый") || is(0, "каждую")) && words.size() > 1 &&
             WeekdayIndex(words[1]) >= 0) {
    r.repetition = kWeekly, r.weekday = WeekdayIndex(words[1]), at = 2;
    when = Ru("по ") + Weekdays()[static_cast<std::size_t>(r.weekday)];
  } else if (is(0, "каждое") && words.size() > 2 && IsDigitText(words[1]) && is(2, "число")) {
    const int n = words[1].size() <= 2 ? TextToInt(words[1]) : 0;
    if (n < 1 || n > 31) return fail("Число месяца — от 1 до 31.");
    r.repetition = kMonthly, r.monthDay = n, at = 3;
    when = Ru("каждое ") + std::to_string(n) + Ru(" число");
  } else if (words[0].size() == 5 && words[0][2] == '.' && IsDigitText(words[0].substr(0, 2)) &&
             IsDigitText(words[0].substr(3))) {
    // ДД.ММ: this year, or the next when that day has passed.
    const Ymd y = DayToYmd(today);
    Reading<DayNumber> d = ReadDay(words[0] + "." + std::to_string(y.year));
    if (d && *d < today) d = ReadDay(words[0] + "." + std::to_string(y.year + 1));
    if (!d) return fail("Такой даты нет.");
    onceDay = *d, at = 1;
  } else if (words[0].size() == 10 && words[0][2] == '.' && words[0][5] == '.') {
    const Reading<DayNumber> d = ReadDay(words[0]);
    if (!d) return fail("Такой даты нет.");
    onceDay = *d, at = 1;
  }
  if (r.repetition != kOnce && onceDay != today) onceDay = today;

  // The time: "ЧЧ:ММ", perhaps after "в".
  int minute = fixedMinute;
  if (fixedMinute < 0) {
    std::size_t t = at;
    if (is(t, "в") && t + 1 < words.size() && TimeWord(words[t + 1]) != -1) ++t;
    if (t < words.size() && TimeWord(words[t]) != -1) {
      minute = TimeWord(words[t]);
      if (minute == -2) return fail("Такого времени нет: часы от 0 до 23, минуты от 00 до 59.");
      at = t + 1;
    }
  }
  std::string text;
  for (std::size_t i = at; i < words.size(); ++i) text += (text.empty() ? "" : " ") + words[i];
  if (text.empty()) return fail("Не написано, о чём напомнить.");

  if (r.repetition == kOnce) {
    const int minuteNow = static_cast<int>(std::llround((now - static_cast<double>(today)) * 1440.0));
    if (onceDay < today || (onceDay == today && minute >= 0 && minute < minuteNow))
      return fail("Это время уже прошло.");
    r.onceDate = DayText(onceDay);
    when = (onceDay == today       ? Ru("сегодня, ")
            : onceDay == today + 1 ? Ru("завтра, ")
                                   : std::string()) +
           r.onceDate;
  }
  r.timeKind = minute >= 0 ? kAtTime : kAtStart;
  if (minute >= 0) r.time = MinuteText(minute);

  EditorState s;
  s.kind = 3;
  s.page = kReminderPage;
  s.doneEnabled = true;
  s.recurrence = r;
  s.reminderText = text;
  if (std::string check = CheckRecurrence(r); !check.empty()) {
    q.why = std::move(check);
    return q;
  }
  if (std::string check = CheckForSave(s, {}); !check.empty()) {
    q.why = std::move(check);
    return q;
  }
  q.understood = when + ", " + (minute >= 0 ? r.time : Ru("весь день")) +
                 (r.repetition == kOnce ? "" : Ru(", с сегодняшнего дня")) + ": " + text;
  q.state = std::move(s);
  return q;
}

}  // namespace krav::app
