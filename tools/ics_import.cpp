#include <libical/ical.h>

#include <ctime>

#include "engine/dates.h"
#include "engine/record.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/process.h"
#include "tools/ics.h"
#include "tools/ics_text.h"

namespace krav::ics {
namespace {

std::string Two(int n) { return PadLeft(std::to_string(n), "00"); }
std::string DateText(int y, int m, int d) {
  return Two(d) + "." + Two(m) + "." + PadLeft(std::to_string(y), "0000");
}

// A DTSTART or UNTIL as local date and time: a UTC time or one with a time
// zone is converted; a floating time or a date is taken as it stands.
struct Local {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  bool isDate = false;
};
Local ToLocal(icaltimetype t) {
  Local l;
  l.isDate = t.is_date;
  if (!t.is_date && (icaltime_is_utc(t) || t.zone)) {
    const std::time_t when = icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
    std::tm tm{};
    localtime_r(&when, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, false};
  }
  l.year = t.year;
  l.month = t.month;
  l.day = t.day;
  l.hour = t.hour;
  l.minute = t.minute;
  return l;
}

int Count(const short* values, int size) {
  int n = 0;
  while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX) ++n;
  return n;
}

// The engine's weekday (1 Monday .. 7 Sunday) of an iCalendar one.
int IsoOf(icalrecurrencetype_weekday w) { return w == ICAL_SUNDAY_WEEKDAY ? 7 : static_cast<int>(w) - 1; }

std::string Join(std::initializer_list<std::string_view> parts, char sep) { return JoinFields(parts, sep); }

std::string Sub(std::initializer_list<std::string_view> parts) { return JoinFields(parts, kSep2); }

const char* const kWeekdayNamesUtf8[] = {"понедельникам", "вторникам", "средам",      "четвергам",
                                         "пятницам",      "субботам",  "воскресеньям"};

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) return false;
    for (int k = 1; k <= extra; ++k)
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

// The record our own export carried, when the event still is that record;
// empty when there is none. A carried record that does not read as a record
// is a reason to skip the event (`why`).
std::string OwnRecord(icalcomponent* ev, const std::string& uid, Carried carried, std::string& why) {
  if (carried == Carried::Never) return {};
  for (icalproperty* x = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY); x;
       x = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY)) {
    const char* name = icalproperty_get_x_name(x);
    if (!name || std::string(name) != "X-KRAV-RECORD" || !icalproperty_get_x(x)) continue;
    const std::string record = DecodeAction(Utf8ToCp1251(icalproperty_get_x(x)));
    if (carried == Carried::IfUidMatches && RecordUid(record) != uid) continue;
    const RecordReading reading = ReadRecord(record);
    if (!reading.record) {
      why = "его X-KRAV-RECORD — не правильная запись: " + Cp1251ToUtf8(reading.why);
      return {};
    }
    return WriteRecord(*reading.record);
  }
  return {};
}

// An X property of the event by name, or null.
icalproperty* XProperty(icalcomponent* ev, const char* wanted) {
  for (icalproperty* x = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY); x;
       x = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY)) {
    const char* name = icalproperty_get_x_name(x);
    if (name && std::string(name) == wanted) return x;
  }
  return nullptr;
}

// Why libical or the strict reading refused a part of the event; empty when neither did.
std::string RefusedPart(icalcomponent* ev) {
  if (icalproperty* x = XProperty(ev, kRefusedRuleProperty))
    return std::string("RRULE неверен: ") + (icalproperty_get_x(x) ? icalproperty_get_x(x) : "");
  if (icalproperty* e = icalcomponent_get_first_property(ev, ICAL_XLICERROR_PROPERTY)) {
    const char* text = icalproperty_get_xlicerror(e);
    return std::string("свойство, которое libical не прочла") + (text ? std::string(": ") + text : "");
  }
  return {};
}

// The interval steps the record editor accepts, by frequency: 5 minutes to
// 99 days 23:59 in all (libical holds an INTERVAL up to 32767).
bool IntervalAccepted(icalrecurrencetype_frequency freq, int interval) {
  switch (freq) {
    case ICAL_MINUTELY_RECURRENCE: return interval >= 5;
    case ICAL_HOURLY_RECURRENCE: return interval >= 1 && interval <= 99 * 24 + 23;
    case ICAL_DAILY_RECURRENCE: return interval >= 1 && interval <= 99;
    default: return interval >= 1;
  }
}

// A record's text as a calendar can carry it: the separators and line
// breaks dropped, every other control character a blank, no blanks at the
// ends (libical drops control characters when it writes a file and the end
// blanks when it reads one, so they would not come back).
std::string CalendarText(const std::string& text) {
  std::string out = RecordSafeText(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

constexpr const char* kNoText = "нет текста, а у записи планировщика он должен быть";

// What the summary says of an action that will run: its program and each
// argument, or the shell command's number.
std::string ActionSummary(const PlannerRecord& r) {
  if (r.actionType == PlannerRecord::ActionType::Command)
    return "команду оболочки из пункта \"" + Cp1251ToUtf8(r.action) + "\"";
  std::string out = "программу \"" + Cp1251ToUtf8(ActionProgram(r)) + "\"";
  const std::vector<std::string> args = SplitArguments(ActionParameters(r));
  if (args.empty()) return out + " без аргументов";
  out += " с аргументами";
  for (const auto& a : args) out += " \"" + Cp1251ToUtf8(a) + "\"";
  return out;
}

}  // namespace

bool ImportCalendar(const std::string& text, bool withActions, Imported& out, std::string& error,
                    Carried carried) {
  if (text.empty() || !IsUtf8(text)) {
    error = text.empty() ? "файл пуст" : "файл не в UTF-8, как положено iCalendar";
    return false;
  }
  if (text.find("BEGIN:VCALENDAR") == std::string::npos || text.find("END:VCALENDAR") == std::string::npos) {
    error = "это не файл iCalendar (нет полного VCALENDAR)";
    return false;
  }
  std::string prepared;
  if (!PrepareCalendarText(text, prepared, error)) return false;
  icalcomponent* root = icalparser_parse_string(prepared.c_str());
  if (!root) {
    error = "это не файл iCalendar";
    return false;
  }
  icalcomponent* cal = icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT
                           ? root
                           : icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
  if (!cal) {
    icalcomponent_free(root);
    error = "в файле нет VCALENDAR";
    return false;
  }
  for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
       ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
    const char* uidText = icalcomponent_get_uid(ev);
    const char* summaryText = icalcomponent_get_summary(ev);
    const std::string uid = uidText ? uidText : "", summary = summaryText ? summaryText : "";
    auto skip = [&](const std::string& why) { out.skipped.push_back(uid + " \"" + summary + "\": " + why); };
    if (const std::string why = RefusedPart(ev); !why.empty()) {
      skip(why);
      continue;
    }
    const icaltimetype start = icalcomponent_get_dtstart(ev);
    if (icaltime_is_null_time(start)) {
      skip("нет DTSTART");
      continue;
    }
    if (icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY) ||
        icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY)) {
      skip("EXDATE или RDATE: у планировщика нет исключений и добавочных дат");
      continue;
    }
    if (icalcomponent_count_properties(ev, ICAL_RRULE_PROPERTY) > 1) {
      skip("больше одного RRULE");
      continue;
    }
    // Our own export: the record itself, unchanged since, read as a record.
    std::string ownProblem;
    if (const std::string own = OwnRecord(ev, uid, carried, ownProblem); !own.empty()) {
      PlannerRecord r = *ReadRecord(own).record;
      r.text = CalendarText(r.text);
      if (r.text.empty()) {
        skip(kNoText);
        continue;
      }
      if (r.kind == PlannerRecord::Kind::Action && !withActions) {
        r = PlannerRecord{PlannerRecord::Kind::Reminder, r.schedule, r.text, PlannerRecord::ActionType::None, {}};
      } else if (r.kind == PlannerRecord::Kind::Action) {
        out.actions.push_back({WriteRecord(r), uid + " \"" + Cp1251ToUtf8(r.text) + "\": " + ActionSummary(r)});
      }
      out.records.push_back(WriteRecord(r));
      continue;
    }
    if (!ownProblem.empty()) {
      skip(ownProblem);
      continue;
    }
    const Local at = ToLocal(start);
    if (at.year < 1 || at.year > 9999 || !IsValidYmd(at.year, at.month, at.day)) {
      skip("DTSTART — не дата 1–9999 годов");
      continue;
    }
    const std::string date = DateText(at.year, at.month, at.day);
    const std::string time = Two(at.hour) + ":" + Two(at.minute);
    const std::string timeGroup = at.isDate ? std::string("21") : Sub({"22", time});
    // Letters code page 1251 lacks become "?".
    const std::string message = CalendarText(Utf8ToCp1251(summary));
    if (message.empty()) {
      skip(kNoText);
      continue;
    }

    std::vector<std::string> schedules;
    icalproperty* rrule = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    if (!rrule) {
      schedules.push_back(Sub({"1", date}) + kSep1 + kSep1 + timeGroup);
    } else {
      const icalrecurrencetype r = icalproperty_get_rrule(rrule);
      const int days = Count(r.by_day, ICAL_BY_DAY_SIZE), monthDays = Count(r.by_month_day, ICAL_BY_MONTHDAY_SIZE),
                months = Count(r.by_month, ICAL_BY_MONTH_SIZE);
      const bool others = Count(r.by_second, ICAL_BY_SECOND_SIZE) || Count(r.by_minute, ICAL_BY_MINUTE_SIZE) ||
                          Count(r.by_hour, ICAL_BY_HOUR_SIZE) || Count(r.by_year_day, ICAL_BY_YEARDAY_SIZE) ||
                          Count(r.by_week_no, ICAL_BY_WEEKNO_SIZE) || Count(r.by_set_pos, ICAL_BY_SETPOS_SIZE);
      // The start time counts only for an interval; day rules keep "00:00".
      const bool intervalRule = r.freq == ICAL_MINUTELY_RECURRENCE || r.freq == ICAL_HOURLY_RECURRENCE ||
                                (r.freq == ICAL_DAILY_RECURRENCE && r.interval > 1);
      const std::string startTime = intervalRule ? time : std::string("00:00");
      std::string range;
      if (r.count > 0) {
        range = Sub({"12", date, startTime, std::to_string(r.count)});
      } else if (!icaltime_is_null_time(r.until)) {
        const Local until = ToLocal(r.until);
        if (until.year < 1 || until.year > 9999 || !IsValidYmd(until.year, until.month, until.day)) {
          skip("UNTIL — не дата 1–9999 годов");
          continue;
        }
        const DayNumber untilDay = YmdToDay(until.year, until.month, until.day);
        const int untilMinute = until.isDate ? 24 * 60 : until.hour * 60 + until.minute;
        if (intervalRule) {
          // The engine ends an interval at the first minute of its end date:
          // the exact form of any UNTIL is the number of occurrences up to it.
          const long long step = static_cast<long long>(r.interval < 1 ? 1 : r.interval) *
                                 (r.freq == ICAL_MINUTELY_RECURRENCE ? 1
                                  : r.freq == ICAL_HOURLY_RECURRENCE ? 60
                                                                     : 1440);
          const long long from =
              static_cast<long long>(YmdToDay(at.year, at.month, at.day)) * 1440 + at.hour * 60 + at.minute;
          const long long to = static_cast<long long>(untilDay) * 1440 + untilMinute;
          range = to < from ? std::string() : Sub({"12", date, startTime, std::to_string((to - from) / step + 1)});
        } else {
          // A day rule's end date holds its whole day: an UNTIL before the
          // event's time of day ends the day before.
          const bool dayCounts = at.isDate || untilMinute >= at.hour * 60 + at.minute;
          const DayNumber end = dayCounts ? untilDay : untilDay - 1;
          range = Sub({"13", date, startTime, DateToText(static_cast<double>(end))});
        }
      } else {
        range = Sub({"11", date, startTime});
      }
      const int interval = r.interval < 1 ? 1 : r.interval;
      std::string why;
      if (range.empty()) why = "UNTIL раньше DTSTART";
      if (!IntervalAccepted(r.freq, r.interval < 1 ? 1 : r.interval))
        why = "интервал вне того, что принимает планировщик (от 5 минут до 99 дней 23:59)";
      if (others) why = "у BYSETPOS, BYHOUR, BYMINUTE и подобных нет формы записи";
      for (int i = 0; why.empty() && i < days; ++i)
        if (icalrecurrencetype_day_position(r.by_day[i]) != 0) why = "день недели с номером (вроде 2MO)";
      for (int i = 0; why.empty() && i < monthDays; ++i)
        if (r.by_month_day[i] < 1) why = "отрицательный BYMONTHDAY";
      if (why.empty()) {
        switch (r.freq) {
          case ICAL_DAILY_RECURRENCE:
            if (days || monthDays || months) why = "ежедневное правило с частями BY";
            else if (interval == 1) schedules.push_back(Sub({"2", ""}) + kSep1 + range + kSep1 + timeGroup);
            else if (at.isDate) why = "интервал в днях у события на весь день";
            else schedules.push_back(Sub({"6", std::to_string(interval), "0", "0"}) + kSep1 + range + kSep1);
            break;
          case ICAL_WEEKLY_RECURRENCE:
            if (interval != 1 || monthDays || months) why = "еженедельное правило не на каждую неделю";
            else if (days > 1 && r.count > 0) why = "COUNT на несколько дней недели";
            else if (days == 0) {
              const int wd = IsoWeekday(static_cast<double>(YmdToDay(at.year, at.month, at.day)));
              schedules.push_back(Sub({"3", Ru(kWeekdayNamesUtf8[wd - 1])}) + kSep1 + range + kSep1 + timeGroup);
            } else {
              for (int i = 0; i < days; ++i) {
                const int wd = IsoOf(icalrecurrencetype_day_day_of_week(r.by_day[i]));
                schedules.push_back(Sub({"3", Ru(kWeekdayNamesUtf8[wd - 1])}) + kSep1 + range + kSep1 + timeGroup);
              }
            }
            break;
          case ICAL_MONTHLY_RECURRENCE:
            if (interval != 1 || days || months || monthDays > 1)
              why = "ежемесячное правило не на один день каждого месяца";
            else
              schedules.push_back(Sub({"4", std::to_string(monthDays ? r.by_month_day[0] : at.day)}) + kSep1 +
                                  range + kSep1 + timeGroup);
            break;
          case ICAL_YEARLY_RECURRENCE:
            if (interval != 1 || days || months > 1 || monthDays > 1)
              why = "ежегодное правило не на один день каждого года";
            else
              schedules.push_back(Sub({"5", Two(monthDays ? r.by_month_day[0] : at.day) + "." +
                                                Two(months ? r.by_month[0] : at.month)}) +
                                  kSep1 + range + kSep1 + timeGroup);
            break;
          case ICAL_HOURLY_RECURRENCE:
          case ICAL_MINUTELY_RECURRENCE: {
            if (days || monthDays || months) why = "интервальное правило с частями BY";
            else if (at.isDate) why = "интервал у события на весь день";
            else {
              const long long step =
                  static_cast<long long>(interval) * (r.freq == ICAL_HOURLY_RECURRENCE ? 60 : 1);
              schedules.push_back(Sub({"6", std::to_string(step / 1440), std::to_string(step / 60 % 24),
                                       std::to_string(step % 60)}) +
                                  kSep1 + range + kSep1);
            }
            break;
          }
          default: why = "правило в секундах или неизвестной частоты";
        }
      }
      if (!why.empty()) {
        skip(why);
        continue;
      }
    }
    // Every record is read back as a record: a date or a count the planner
    // cannot hold skips the event.
    std::vector<std::string> lines;
    for (const auto& schedule : schedules) {
      const RecordReading reading = ReadRecord(Join({"3", schedule, message}, kSep3));
      if (!reading.record) {
        lines.clear();
        skip("нет правильной записи: " + Cp1251ToUtf8(reading.why));
        break;
      }
      lines.push_back(WriteRecord(*reading.record));
    }
    for (auto& l : lines) out.records.push_back(std::move(l));
  }
  icalcomponent_free(root);
  return true;
}

}  // namespace krav::ics
