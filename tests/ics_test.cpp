// The planner's records in and out of iCalendar: libical's own recurrence
// iterator gives the dates of the engine for every rule exported, our own
// export comes back as the same records, and calendars in the styles of
// other programs import as far as a record can hold them.
#include <gtest/gtest.h>

#include <libical/ical.h>

#include <set>

#include "engine/collect.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "support.h"
#include "tools/ics.h"

namespace krav::ics {
namespace {

using test::Record;

// The records of every repetition and range kind, as the editor writes them.
Lines EveryKind() {
  const std::string w = Ru("средам");
  return {
      Record("3", "1|05.03.2027", "", "22|14:35", "once"),
      Record("3", "1|06.03.2027", "", "21", "once all day"),
      Record("3", "2|", "11|01.03.2027|00:00", "22|08:30", "daily"),
      Record("3", "2|", "12|01.03.2027|00:00|10", "21", "daily ten times"),
      Record("3", "3|" + w, "11|01.03.2027|00:00", "22|09:00", "weekly"),
      Record("3", "3|" + w, "13|01.03.2027|00:00|30.06.2027", "22|09:00", "weekly until"),
      Record("3", "4|31", "11|01.01.2027|00:00", "21", "monthly 31"),
      Record("3", "4|15", "12|01.03.2027|00:00|5", "22|12:00", "monthly five times"),
      Record("3", "5|29.02", "11|01.01.2027|00:00", "22|10:00", "yearly 29.02"),
      Record("3", "5|14.05", "13|01.01.2027|00:00|14.05.2028", "21", "yearly until"),
      Record("3", "6|0|0|5", "12|02.03.2027|09:15|40", "", "every 5 minutes"),
      Record("3", "6|1|2|0", "13|01.03.2027|07:00|20.03.2027", "", "every 26 hours"),
      Record("4", "2|", "11|01.03.2027|00:00", "22|06:00", "backup") + kSep3 + "P" + kSep2 + "/usr/bin/true|x"};
}

// "dd.mm.yyyy hh:mm" (or the date) of every occurrence of one record in 2027 and 2028, by the engine.
std::set<std::string> EngineDates(const std::string& record) {
  test::TempRoot t;
  t.write(t.data("mess.dat"), {record});
  Lines out;
  EXPECT_TRUE(
      CollectRange(out, MakeDateTime(2027, 1, 1), MakeDateTime(2028, 12, 31), t.root(), t.user(), {false, false}));
  std::set<std::string> dates;
  for (const auto& l : out) {
    std::string when = GetField(GetField(l, kSep4, 1), kSep3, 2);
    while (!when.empty() && when.back() == ' ') when.pop_back();
    dates.insert(when);
  }
  return dates;
}

// The same by libical's iterator over the exported VEVENT (2027 and the leap 2028).
std::set<std::string> LibicalDates(const std::string& calendarText) {
  std::set<std::string> dates;
  icalcomponent* cal = icalparser_parse_string(calendarText.c_str());
  EXPECT_TRUE(cal);
  if (!cal) return dates;
  icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
  const icaltimetype start = icalcomponent_get_dtstart(ev);
  auto text = [](icaltimetype t) {
    std::string d = PadLeft(std::to_string(t.day), "00") + "." + PadLeft(std::to_string(t.month), "00") + "." +
                    std::to_string(t.year);
    if (!t.is_date)
      d += " " + PadLeft(std::to_string(t.hour), "00") + ":" + PadLeft(std::to_string(t.minute), "00");
    return d;
  };
  icalproperty* rrule = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
  if (!rrule) {
    if (start.year >= 2027 && start.year < 2029) dates.insert(text(start));
  } else {
    icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(rrule), start);
    for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && t.year < 2029;
         t = icalrecur_iterator_next(it))
      if (t.year >= 2027) dates.insert(text(t));
    icalrecur_iterator_free(it);
  }
  icalcomponent_free(cal);
  return dates;
}

TEST(IcsExport, LibicalExpandsEveryRuleToTheEnginesDates) {
  for (const std::string& record : EveryKind()) {
    std::vector<std::string> notes;
    const std::string calendar = ExportCalendar({record}, notes);
    EXPECT_TRUE(notes.empty());
    const auto engine = EngineDates(record), library = LibicalDates(calendar);
    EXPECT_FALSE(engine.empty()) << GetField(record, kSep3, 3);
    EXPECT_EQ(library, engine) << GetField(record, kSep3, 3) << "\n" << calendar;
  }
}

// A record whose range ends before its first occurrence never fires; every
// other calendar would show its DTSTART, so it is left out with its reason.
TEST(IcsExport, ARecordWithNoOccurrenceIsLeftOutWithItsReason) {
  for (const std::string& record :
       {Record("3", "5|08.03", "13|13.01.2027|00:00|18.02.2027", "21", "yearly after its range"),
        Record("3", "3|" + Ru("средам"), "13|04.03.2027|00:00|09.03.2027", "21", "weekly after its range"),
        Record("3", "6|0|1|0", "13|05.03.2027|09:00|04.03.2027", "", "interval after its range")}) {
    ASSERT_TRUE(EngineDates(record).empty()) << record;
    std::vector<std::string> notes;
    const std::string calendar = ExportCalendar({record}, notes);
    EXPECT_EQ(calendar.find("BEGIN:VEVENT"), std::string::npos) << calendar;
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("кончается раньше первого повторения"), std::string::npos) << notes[0];
  }
  // Its last day an occurrence: still written.
  std::vector<std::string> notes;
  const std::string lastDay = Record("3", "5|08.03", "13|13.01.2027|00:00|08.03.2027", "21", "on its last day");
  EXPECT_EQ(LibicalDates(ExportCalendar({lastDay}, notes)), EngineDates(lastDay));
  EXPECT_TRUE(notes.empty());
}

TEST(IcsExport, TheFileIsWhatTheRfcAsks) {
  std::vector<std::string> notes;
  const std::string calendar = ExportCalendar(
      {Record("3", "1|05.03.2026", "", "22|14:35",
              Ru("Очень длинное напоминание, в котором есть ; , и \\ знаки") + std::string(60, 'x'))},
      notes);
  EXPECT_EQ(calendar.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
  for (std::size_t at = 0, next; (next = calendar.find("\r\n", at)) != std::string::npos; at = next + 2)
    EXPECT_LE(next - at, 75u) << calendar.substr(at, next - at);  // folded lines
  EXPECT_NE(calendar.find("\\;"), std::string::npos);
  EXPECT_NE(calendar.find("\\,"), std::string::npos);
  EXPECT_NE(calendar.find("BEGIN:VALARM"), std::string::npos);
  EXPECT_NE(calendar.find("ACTION:DISPLAY"), std::string::npos);
  EXPECT_EQ(calendar.find("/usr/bin"), std::string::npos);
}

TEST(IcsImport, OurOwnExportComesBackAsTheSameRecords) {
  const Lines records = EveryKind();
  std::vector<std::string> notes;
  const std::string calendar = ExportCalendar(records, notes);
  Imported with, without;
  std::string error;
  ASSERT_TRUE(ImportCalendar(calendar, true, with, error)) << error;
  EXPECT_EQ(with.records, records);
  EXPECT_TRUE(with.skipped.empty());
  // Without --with-actions the action comes back as a reminder of its caption.
  ASSERT_TRUE(ImportCalendar(calendar, false, without, error));
  EXPECT_EQ(GetField(without.records.back(), kSep3, 1), "3");
  EXPECT_EQ(GetField(without.records.back(), kSep3, 3), "backup");
  EXPECT_EQ(GetField(without.records.back(), kSep3, 4), "");
}

TEST(IcsImport, CalendarsOfOtherProgramsImportAsFarAsARecordHoldsThem) {
  const std::string text =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
      "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
      "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
      "BEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
      "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n"
      // A UTC time: 09:30 UTC is 12:30 in Moscow.
      "BEGIN:VEVENT\r\nUID:a@x\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260305T093000Z\r\nSUMMARY:Созвон\r\nEND:"
      "VEVENT\r\n"
      // A zone of its own: 10:00 in Berlin in winter is 12:00 in Moscow; a folded summary.
      "BEGIN:VEVENT\r\nUID:b@x\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;TZID=Europe/Berlin:20260210T100000\r\n"
      "RRULE:FREQ=WEEKLY;BYDAY=TU,TH\r\nSUMMARY:Очень длинное назв\r\n ание встречи\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:c@x\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20260101\r\n"
      "RRULE:FREQ=MONTHLY;BYMONTHDAY=-1\r\nSUMMARY:Последний день\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:d@x\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260101T090000\r\n"
      "RRULE:FREQ=DAILY\r\nEXDATE:20260102T090000\r\nSUMMARY:С исключением\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:e@x\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260101T090000\r\n"
      "RRULE:FREQ=MONTHLY;BYDAY=MO;BYSETPOS=1\r\nSUMMARY:Первый понедельник\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:f@x\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260101T090000\r\n"
      "RRULE:FREQ=HOURLY;BYHOUR=9,17\r\nSUMMARY:Дважды\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:g@x\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20260514\r\n"
      "RRULE:FREQ=YEARLY;COUNT=3\r\nSUMMARY:День рождения\r\nEND:VEVENT\r\n"
      "END:VCALENDAR\r\n";
  Imported in;
  std::string error;
  ASSERT_TRUE(ImportCalendar(text, false, in, error)) << error;
  ASSERT_EQ(in.records.size(), 4u);
  EXPECT_EQ(in.records[0], Record("3", "1|05.03.2026", "", "22|12:30", Ru("Созвон")));
  EXPECT_EQ(in.records[1], Record("3", "3|" + Ru("вторникам"), "11|10.02.2026|00:00", "22|12:00",
                                  Ru("Очень длинное название встречи")));
  EXPECT_EQ(in.records[2], Record("3", "3|" + Ru("четвергам"), "11|10.02.2026|00:00", "22|12:00",
                                  Ru("Очень длинное название встречи")));
  EXPECT_EQ(in.records[3], Record("3", "5|14.05", "12|14.05.2026|00:00|3", "21", Ru("День рождения")));
  ASSERT_EQ(in.skipped.size(), 4u);
  EXPECT_NE(in.skipped[0].find("c@x"), std::string::npos);
  EXPECT_NE(in.skipped[0].find("отрицательный BYMONTHDAY"), std::string::npos);
  EXPECT_NE(in.skipped[1].find("EXDATE"), std::string::npos);
  EXPECT_NE(in.skipped[2].find("BYSETPOS"), std::string::npos);
  EXPECT_NE(in.skipped[3].find("Дважды"), std::string::npos);
}

// Every rule that imports gives, through the engine, the dates libical gives
// for the event itself.
TEST(IcsImport, WhatImportsExpandsToTheSameDates) {
  const std::vector<std::pair<std::string, std::string>> events{
      {"DTSTART:20270301T090000", "FREQ=DAILY;UNTIL=20270320T080000"},
      {"DTSTART:20270301T090000", "FREQ=DAILY;UNTIL=20270320T090000"},
      {"DTSTART;VALUE=DATE:20270301", "FREQ=DAILY;UNTIL=20270320"},
      {"DTSTART:20270301T090000", "FREQ=MINUTELY;INTERVAL=90;UNTIL=20270303T190000"},
      {"DTSTART:20270301T070000", "FREQ=HOURLY;INTERVAL=26;UNTIL=20270320T190000"},
      {"DTSTART:20270301T070000", "FREQ=DAILY;INTERVAL=3;COUNT=9"},
      {"DTSTART:20270302T100000", "FREQ=WEEKLY;UNTIL=20270601T100000"},
      {"DTSTART:20270131T100000", "FREQ=MONTHLY;COUNT=7"},
      {"DTSTART;VALUE=DATE:20270514", "FREQ=YEARLY"}};
  for (const auto& [start, rule] : events) {
    const std::string calendar =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//EN\r\nBEGIN:VEVENT\r\nUID:u@t\r\n"
        "DTSTAMP:20260101T000000Z\r\n" +
        start + "\r\nRRULE:" + rule + "\r\nSUMMARY:e\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    Imported in;
    std::string error;
    ASSERT_TRUE(ImportCalendar(calendar, false, in, error)) << error;
    ASSERT_EQ(in.records.size(), 1u) << rule << (in.skipped.empty() ? "" : in.skipped[0]);
    EXPECT_EQ(EngineDates(in.records[0]), LibicalDates(calendar)) << rule;
  }
}

TEST(IcsImport, BadInputIsRefused) {
  Imported in;
  std::string error;
  EXPECT_FALSE(ImportCalendar("", false, in, error));
  EXPECT_FALSE(ImportCalendar("hello world", false, in, error));
  EXPECT_FALSE(ImportCalendar("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:x", false, in, error));  // truncated
  EXPECT_FALSE(ImportCalendar("BEGIN:VCALENDAR\r\nSUMMARY:\xe7\xe0\r\nEND:VCALENDAR\r\n", false, in, error));
  EXPECT_NE(error.find("UTF-8"), std::string::npos);
  EXPECT_TRUE(in.records.empty());
  EXPECT_EQ(DecodeAction(EncodeAction(std::string("a#1") + kSep2 + "#")), std::string("a#1") + kSep2 + "#");
}

}  // namespace
}  // namespace krav::ics
