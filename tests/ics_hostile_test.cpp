// Calendars written to harm: a record smuggled through our own property, rules
// libical drops or wraps, dates the planner cannot hold, files too large to
// read in reasonable time. Each imports nothing it should not.
#include <gtest/gtest.h>

#include "engine/record.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "support.h"
#include "tools/ics.h"
#include "tools/ics_text.h"

namespace krav::ics {
namespace {

using test::Record;

std::string Calendar(const std::string& events) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//EN\r\n" + events + "END:VCALENDAR\r\n";
}

std::string Event(const std::string& uid, const std::string& body) {
  return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + body + "END:VEVENT\r\n";
}

// An event that claims to be our own export of `record`: its UID is the
// record's, and the property carries it escaped as iCalendar text.
std::string Forged(const std::string& record) {
  std::string value;
  for (char c : Cp1251ToUtf8(EncodeAction(record))) {
    if (c == '\n') value += "\\n";
    else if (c == ',' || c == ';' || c == '\\') value += std::string("\\") + c;
    else value += c;
  }
  return Event(RecordUid(record),
               "DTSTART:20270301T090000\r\nSUMMARY:harmless\r\nX-KRAV-RECORD:" + value + "\r\n");
}

const std::string kDaily = Record("3", "2|", "11|01.03.2027|00:00", "22|09:00", "tea");
std::string Action(const std::string& program) {
  return Record("4", "2|", "11|01.03.2027|00:00", "22|06:00", "run") + kSep3 + "P" + kSep2 + program;
}

bool AnyAction(const Lines& records) {
  for (const auto& r : records)
    if (FieldView(r, kSep3, 1) == "4" || r.find("/bin/sh") != std::string::npos) return true;
  return false;
}

TEST(IcsHostile, NoRecordSmuggledThroughOurOwnPropertyStartsAProgram) {
  // A reminder, a line break and an action, with the UID of the whole text.
  const std::string smuggled = kDaily + "\n" + Action("/bin/sh|-c 'touch /tmp/owned'");
  // A reminder with a fourth field that is an action's.
  const std::string fourth = kDaily + kSep3 + "P" + kSep2 + "/bin/sh";
  // A separator inside the text, a carriage return, a part separator.
  const std::string splitText = Record("3", "2|", "11|01.03.2027|00:00", "22|09:00", "a") + "\r" + "b";
  const std::string partSep = kDaily + kSep4 + "x";
  for (const std::string& record : {smuggled, fourth, splitText, partSep}) {
    for (bool withActions : {false, true}) {
      Imported in;
      std::string error;
      ASSERT_TRUE(ImportCalendar(Calendar(Forged(record)), withActions, in, error)) << error;
      EXPECT_TRUE(in.records.empty()) << in.records[0];
      ASSERT_EQ(in.skipped.size(), 1u);
      EXPECT_NE(in.skipped[0].find("не правильная запись"), std::string::npos) << in.skipped[0];
      EXPECT_FALSE(AnyAction(in.records));
    }
  }
}

TEST(IcsHostile, AnActionComesOnlyWhenAskedForAndIsNamed) {
  const std::string action = Action("/usr/bin/backup|--all \"my files\"");
  Imported without, with;
  std::string error;
  ASSERT_TRUE(ImportCalendar(Calendar(Forged(action)), false, without, error));
  ASSERT_EQ(without.records.size(), 1u);
  EXPECT_EQ(without.records[0], Record("3", "2|", "11|01.03.2027|00:00", "22|06:00", "run"));
  EXPECT_TRUE(without.actions.empty());
  ASSERT_TRUE(ImportCalendar(Calendar(Forged(action)), true, with, error));
  ASSERT_EQ(with.records, Lines{action});
  ASSERT_EQ(with.actions.size(), 1u);
  EXPECT_EQ(with.actions[0].record, action);
  EXPECT_NE(with.actions[0].description.find("программу \"/usr/bin/backup\" с аргументами \"--all\" \"my files\""),
            std::string::npos)
      << with.actions[0].description;
  // An action without a program, or neither a program nor a command, is no record.
  for (const std::string& bad : {Action(""), Action("|x"), kDaily + kSep3 + "X" + kSep2 + "/bin/sh"}) {
    Imported in;
    ASSERT_TRUE(ImportCalendar(Calendar(Forged(bad)), true, in, error));
    EXPECT_TRUE(in.records.empty());
  }
}

// A text a calendar cannot carry back (control characters, blanks at the
// ends) is stored as it would come back; an event with no text is skipped;
// what is stored exports and imports again unchanged.
TEST(IcsHostile, TextsAreStoredAsACalendarCarriesThemBack) {
  const std::string once = "DTSTART:20270301T090000\r\n";
  std::string error;
  Imported in;
  ASSERT_TRUE(
      ImportCalendar(Calendar(Event("a@t", once + "SUMMARY:x\by\tz\x7f\r\n") +
                              Event("b@t", once + "SUMMARY:\r\n") + Event("c@t", once + "SUMMARY:\x01\x02\r\n") +
                              Event("d@t", once) + Forged(Record("3", "1|01.03.2027", "", "22|09:00", "tea\b")) +
                              Forged(Record("3", "1|01.03.2027", "", "22|09:00", "\b"))),
                     false, in, error));
  EXPECT_EQ(in.records, (Lines{Record("3", "1|01.03.2027", "", "22|09:00", "x y z"),
                               Record("3", "1|01.03.2027", "", "22|09:00", "tea")}));
  ASSERT_EQ(in.skipped.size(), 4u);
  for (const auto& why : in.skipped)
    EXPECT_TRUE(why.find("нет текста") != std::string::npos ||
                why.find("No value for SUMMARY") != std::string::npos)
        << why;

  std::vector<std::string> notes;
  Imported back;
  ASSERT_TRUE(ImportCalendar(ExportCalendar(in.records, notes), false, back, error));
  EXPECT_TRUE(back.skipped.empty());
  EXPECT_EQ(back.records, in.records);
  // A stored record with no text is not written as an event no calendar reads.
  const std::string empty = Record("3", "1|01.03.2027", "", "22|09:00", "");
  EXPECT_EQ(ExportCalendar({empty}, notes).find("BEGIN:VEVENT"), std::string::npos);
  ASSERT_FALSE(notes.empty());
  EXPECT_NE(notes.back().find("нет текста"), std::string::npos);
}

TEST(IcsHostile, RulesAndDatesThePlannerCannotHoldAreSkippedNotStoredAsOneTime) {
  const std::string timed = "DTSTART:20270301T090000\r\n";
  const std::vector<std::pair<std::string, std::string>> cases{
      {timed, "RRULE:FREQ=DAILY;COUNT=-5\r\n"},
      {timed, "RRULE:FREQ=DAILY;COUNT=2147483648\r\n"},
      {timed, "RRULE:FREQ=DAILY;COUNT=3;UNTIL=20270310T090000\r\n"},
      {timed, "RRULE:FREQ=DAILY;INTERVAL=0\r\n"},
      {timed, "RRULE:FREQ=DAILY;FOO=1\r\n"},
      {timed, "RRULE:FREQ=WEEKLY;WKST=XX\r\n"},
      {timed, "RRULE:FREQ=MONTHLY;BYMONTHDAY=99\r\n"},
      {timed, "RRULE:FREQ=MONTHLY;BYDAY=MO;BYSETPOS=999999\r\n"},
      {timed, "RRULE:FREQ=MINUTELY;INTERVAL=65537\r\n"},
      {timed, "RRULE:FREQ=MINUTELY;INTERVAL=4\r\n"},
      {timed, "RRULE:FREQ=DAILY;INTERVAL=100\r\n"},
      {timed, "RRULE:FREQ=FORTNIGHTLY\r\n"},
      {timed, "RRULE:INTERVAL=2\r\n"},
      {timed, "RRULE:FREQ=DAILY;UNTIL=20271399\r\n"},
      {"DTSTART;VALUE=DATE:00000101\r\n", ""},
      {"DTSTART:20271301T090000\r\n", ""},
      {"DTSTART:20270230T090000\r\n", ""},
  };
  for (const auto& [start, rule] : cases) {
    Imported in;
    std::string error;
    ASSERT_TRUE(ImportCalendar(Calendar(Event("u@t", start + rule + "SUMMARY:x\r\n")), false, in, error)) << error;
    EXPECT_TRUE(in.records.empty()) << start << rule << " gave " << (in.records.empty() ? "" : in.records[0]);
    EXPECT_EQ(in.skipped.size(), 1u) << start << rule;
  }
  // The same rules in their valid forms still import.
  for (const char* rule : {"FREQ=DAILY;COUNT=5", "FREQ=MINUTELY;INTERVAL=5;COUNT=3",
                           "freq=weekly;wkst=MO;byday=WE", "FREQ=HOURLY;INTERVAL=2399"}) {
    Imported in;
    std::string error;
    ASSERT_TRUE(
        ImportCalendar(Calendar(Event("u@t", timed + "RRULE:" + rule + "\r\nSUMMARY:x\r\n")), false, in, error));
    EXPECT_EQ(in.records.size(), 1u) << rule << (in.skipped.empty() ? "" : in.skipped[0]);
  }
}

TEST(IcsHostile, RuleReading) {
  EXPECT_EQ(RuleProblem("FREQ=DAILY"), "");
  EXPECT_EQ(RuleProblem("FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU"), "");
  EXPECT_EQ(RuleProblem("FREQ=DAILY;UNTIL=20270101T000000Z"), "");
  EXPECT_EQ(RuleProblem("FREQ=DAILY;FREQ=DAILY"), "FREQ дважды");
  EXPECT_EQ(RuleProblem("FREQ=DAILY;BYDAY=6XX"), "значение BYDAY — не день недели");
  EXPECT_EQ(RuleProblem("FREQ=DAILY;BYMONTHDAY=-0"), "BYMONTHDAY вне допустимых значений");
  EXPECT_EQ(RuleProblem("FREQ=DAILY;BYHOUR="), "BYHOUR без значения");
  EXPECT_EQ(RuleProblem("FREQ=DAILY;"), "часть правила без значения");
}

TEST(IcsHostile, FilesAndLinesBeyondTheLimitsAreRefusedBeforeParsing) {
  Imported in;
  std::string error;
  const std::string longLine = "SUMMARY:" + std::string(kMaxContentLineBytes, 'a') + "\r\n";
  EXPECT_FALSE(ImportCalendar(Calendar(Event("u@t", "DTSTART:20270301T090000\r\n" + longLine)), false, in, error));
  EXPECT_NE(error.find("длиннее 64 КиБ"), std::string::npos) << error;
  // The same length folded over many physical lines is one content line.
  std::string folded = "SUMMARY:";
  for (std::size_t i = 0; i < kMaxContentLineBytes / 70 + 1; ++i) folded += std::string(70, 'b') + "\r\n ";
  EXPECT_FALSE(
      ImportCalendar(Calendar(Event("u@t", "DTSTART:20270301T090000\r\n" + folded + "x\r\n")), false, in, error));
  std::string parameters = "SUMMARY";
  for (std::size_t i = 0; i <= kMaxParameters; ++i) parameters += ";X-P" + std::to_string(i) + "=v";
  EXPECT_FALSE(ImportCalendar(Calendar(Event("u@t", "DTSTART:20270301T090000\r\n" + parameters + ":x\r\n")), false,
                              in, error));
  EXPECT_NE(error.find("параметров"), std::string::npos) << error;
  std::string huge = Calendar(std::string(kMaxCalendarBytes, '\n'));
  EXPECT_FALSE(ImportCalendar(huge, false, in, error));
  EXPECT_NE(error.find("больше 32 МиБ"), std::string::npos) << error;
  EXPECT_TRUE(in.records.empty());
  // Within the limits a long summary still imports, unfolded.
  ASSERT_TRUE(ImportCalendar(Calendar(Event("u@t", "DTSTART:20270301T090000\r\nSUMMARY:" + std::string(60, 'c') +
                                                       "\r\n " + std::string(60, 'd') + "\r\n")),
                             false, in, error));
  ASSERT_EQ(in.records.size(), 1u);
  EXPECT_EQ(GetField(in.records[0], kSep3, 3), std::string(60, 'c') + std::string(60, 'd'));
}

}  // namespace
}  // namespace krav::ics
