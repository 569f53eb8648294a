#include <libical/ical.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "engine/dates.h"
#include "engine/schedule.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "tools/ics.h"

namespace krav::ics {
namespace {

icaltimetype DateOf(DayNumber day) {
  const Ymd d = DayToYmd(day);
  icaltimetype t = icaltime_null_date();
  t.year = d.year;
  t.month = d.month;
  t.day = d.day;
  return t;
}

icaltimetype DateTimeOf(DayNumber day, int minuteOfDay) {
  icaltimetype t = icaltime_null_time();
  const Ymd d = DayToYmd(day);
  t.year = d.year;
  t.month = d.month;
  t.day = d.day;
  t.hour = minuteOfDay / 60;
  t.minute = minuteOfDay % 60;
  t.is_date = 0;
  return t;
}

// The weekday of iCalendar (1 Sunday .. 7 Saturday) of the engine's (1 Monday .. 7 Sunday).
short IcalWeekday(int isoWeekday) { return static_cast<short>(isoWeekday % 7 + 1); }

// The first day on or after `from` that a day rule expands to.
DayNumber FirstDay(const Schedule& s, DayNumber from) {
  switch (s.repetition) {
    case Repetition::Weekly: return from + ((s.weekday - IsoWeekday(static_cast<double>(from))) % 7 + 7) % 7;
    case Repetition::Monthly: {
      Ymd m = DayToYmd(from);
      for (int k = 0; k < 14; ++k) {
        if (s.monthDay <= DaysInMonth(m.year, m.month) && YmdToDay(m.year, m.month, s.monthDay) >= from)
          return YmdToDay(m.year, m.month, s.monthDay);
        if (++m.month > 12) m.month = 1, ++m.year;
      }
      return from;
    }
    case Repetition::Yearly:
      for (int y = DayToYmd(from).year; y < DayToYmd(from).year + 8; ++y)
        if (s.yearDay <= DaysInMonth(y, s.yearMonth) && YmdToDay(y, s.yearMonth, s.yearDay) >= from)
          return YmdToDay(y, s.yearMonth, s.yearDay);
      return from;
    default: return from;
  }
}

std::uint64_t Fnv1a(const std::string& text) {
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ULL;
  return h;
}

void AddText(icalcomponent* c, icalproperty* p) { icalcomponent_add_property(c, p); }

}  // namespace

std::string RecordUid(const std::string& recordLine) {
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(Fnv1a(recordLine)));
  return std::string("krav-") + hex + "@kravitor";
}

std::string EncodeAction(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '#') out += "##";
    else if (c >= kSep1 && c <= kSep4) out += "#" + std::to_string(static_cast<int>(c));
    else out += c;
  }
  return out;
}

std::string DecodeAction(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '#' && i + 1 < text.size()) {
      const char n = text[i + 1];
      if (n == '#') out += '#';
      else if (n >= '1' && n <= '4') out += static_cast<char>(n - '0');
      else out += std::string("#") + n;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ExportCalendar(const Lines& storeLines, std::vector<std::string>& notes) {
  // Each event is written and freed at once: a store of 100,000 records never
  // stands as one tree of components.
  std::string out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Kravitor//Planner//RU\r\n";
  const icaltimetype stamp = icaltime_from_timet_with_zone(std::time(nullptr), 0, icaltimezone_get_utc_timezone());
  for (const auto& line : storeLines) {
    const std::string kind = GetField(line, kSep3, 1);
    if (kind != "3" && kind != "4") continue;
    const std::string field = GetField(line, kSep3, 2);
    const std::optional<Schedule> s = ParseSchedule(field);
    const std::string text = Cp1251ToUtf8(GetField(line, kSep3, 3));
    if (!s) {
      notes.push_back(RecordUid(line) + " \"" + text + "\": расписание не разворачивается в даты; не выгружено");
      continue;
    }
    // An empty SUMMARY is a property calendars (libical among them) refuse.
    if (text.empty()) {
      notes.push_back(RecordUid(line) + ": нет текста; не выгружено");
      continue;
    }
    icalcomponent* ev = icalcomponent_new_vevent();
    AddText(ev, icalproperty_new_uid(RecordUid(line).c_str()));
    AddText(ev, icalproperty_new_dtstamp(stamp));
    AddText(ev, icalproperty_new_summary(text.c_str()));
    const bool interval = s->repetition == Repetition::Interval;
    const bool timed = interval || !s->timeText.empty();
    const int minuteOfDay = interval ? static_cast<int>(s->startMinute % 1440) : (timed ? s->timeMinute : 0);
    DayNumber first = s->start;
    if (s->repetition == Repetition::Once) first = s->onceDay;
    else if (interval) first = static_cast<DayNumber>(s->startMinute / 1440);
    else first = FirstDay(*s, s->start);
    // DTSTART is an occurrence in every other calendar: a record whose range
    // ends before its first occurrence has none to write.
    const bool noOccurrence =
        s->limit == Limit::EndDate && (interval ? s->startMinute > s->endDay * 1440 : first > s->endDay);
    if (noOccurrence) {
      icalcomponent_free(ev);
      notes.push_back(RecordUid(line) + " \"" + text +
                      "\": период кончается раньше первого повторения; не выгружено");
      continue;
    }
    AddText(ev, icalproperty_new_dtstart(timed ? DateTimeOf(first, minuteOfDay) : DateOf(first)));
    if (s->repetition != Repetition::Once) {
      icalrecurrencetype r;
      icalrecurrencetype_clear(&r);
      r.interval = 1;
      switch (s->repetition) {
        case Repetition::Daily: r.freq = ICAL_DAILY_RECURRENCE; break;
        case Repetition::Weekly:
          r.freq = ICAL_WEEKLY_RECURRENCE;
          r.by_day[0] = IcalWeekday(s->weekday);
          break;
        case Repetition::Monthly:
          r.freq = ICAL_MONTHLY_RECURRENCE;
          r.by_month_day[0] = static_cast<short>(s->monthDay);
          break;
        case Repetition::Yearly:
          r.freq = ICAL_YEARLY_RECURRENCE;
          r.by_month[0] = static_cast<short>(s->yearMonth);
          r.by_month_day[0] = static_cast<short>(s->yearDay);
          break;
        default:
          r.freq = ICAL_MINUTELY_RECURRENCE;
          if (s->step > 32767) {
            notes.push_back(RecordUid(line) + " \"" + text +
                            "\": интервал больше 32767 минут записан как 32767 минут");
          }
          r.interval = static_cast<short>(std::min<MinuteNumber>(s->step, 32767));
          break;
      }
      if (s->limit == Limit::Count) r.count = static_cast<int>(std::min<std::int64_t>(s->count, 1 << 30));
      // The engine ends an interval at the first minute of its end date, and a
      // day rule with the end date's whole day.
      if (s->limit == Limit::EndDate) {
        r.until = interval ? DateTimeOf(s->endDay, 0)
                  : timed  ? DateTimeOf(s->endDay, 23 * 60 + 59)
                           : DateOf(s->endDay);
        if (timed && !interval) r.until.second = 59;
      }
      AddText(ev, icalproperty_new_rrule(r));
    }
    // The record itself, for our own import: an action's program or command
    // travels only here, never in a property another calendar would run.
    icalproperty* x = icalproperty_new_x(Cp1251ToUtf8(EncodeAction(line)).c_str());
    icalproperty_set_x_name(x, "X-KRAV-RECORD");
    AddText(ev, x);
    icalcomponent* alarm = icalcomponent_new_valarm();
    AddText(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_null_duration();
    AddText(alarm, icalproperty_new_trigger(trigger));
    AddText(alarm, icalproperty_new_description(text.c_str()));
    icalcomponent_add_component(ev, alarm);
    char* str = icalcomponent_as_ical_string_r(ev);
    if (str) out += str;
    std::free(str);
    icalcomponent_free(ev);
  }
  return out + "END:VCALENDAR\r\n";
}

}  // namespace krav::ics
