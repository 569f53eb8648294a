// The record editor's logic without a screen: schedules in and out, the
// engine reading what the editor writes, the checks, the steps between
// pages and the saves.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "accounting/ledger_files.h"
#include "app/logic/record_editor.h"
#include "engine/collect.h"
#include "engine/schedule.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

namespace krav::app {
namespace {

using test::Join;
using test::Sub;

// A schedule with its separators written "#1".."#4", for messages.
std::string ToFixtureLike(const std::string& text) {
  std::string out;
  for (char c : text) out += c >= 1 && c <= 4 ? "#" + std::to_string(static_cast<int>(c)) : std::string(1, c);
  return out;
}

RecurrenceState Daily0830From(const std::string& start) {
  RecurrenceState s;
  s.repetition = kDaily;
  s.startDate = start;
  s.startTime = "00:00";
  s.time = "08:30";
  return s;
}

// Every kind of schedule the editor writes, with each range kind.
std::vector<RecurrenceState> EditorSchedules() {
  std::vector<RecurrenceState> all;
  RecurrenceState once;
  once.onceDate = "05.12.2026";
  once.time = "14:35";
  all.push_back(once);
  once.timeKind = kAtStart;
  all.push_back(once);
  for (int range : {kEndless, kCount, kUntil}) {
    RecurrenceState daily = Daily0830From("01.12.2026");
    RecurrenceState weekly = daily, monthly = daily, yearly = daily, interval = daily;
    weekly.repetition = kWeekly;
    weekly.weekday = 4;
    monthly.repetition = kMonthly;
    monthly.monthDay = 31;
    yearly.repetition = kYearly;
    yearly.yearDay = "29.02";
    yearly.timeKind = kAtStart;
    interval.repetition = kInterval;
    interval.minutes = 5;
    interval.startTime = "09:15";
    for (RecurrenceState* s : {&daily, &weekly, &monthly, &yearly, &interval}) {
      s->range = range;
      s->count = 12;
      s->endDate = "31.12.2027";
      all.push_back(*s);
    }
  }
  return all;
}

TEST(Schedules, WhatTheEditorWritesItReadsBackUnchanged) {
  for (const RecurrenceState& written : EditorSchedules()) {
    const std::string text = BuildSchedule(written);
    RecurrenceState loaded;
    LoadSchedule(loaded, text);
    EXPECT_EQ(BuildSchedule(loaded), text);
    EXPECT_EQ(CheckRecurrence(loaded), "") << ToFixtureLike(text);
  }
}

TEST(Schedules, TheEngineReadsWhatTheUserChose) {
  for (const RecurrenceState& s : EditorSchedules()) {
    const std::string text = BuildSchedule(s);
    const std::optional<Schedule> parsed = ParseSchedule(text);
    ASSERT_TRUE(parsed) << ToFixtureLike(text);
    EXPECT_EQ(static_cast<int>(parsed->repetition), s.repetition);
    switch (s.repetition) {
      case kOnce: EXPECT_EQ(parsed->onceDate, s.onceDate); break;
      case kWeekly: EXPECT_EQ(parsed->weekday, s.weekday + 1); break;
      case kMonthly: EXPECT_EQ(parsed->monthDay, 31); break;
      case kYearly:
        EXPECT_EQ(parsed->yearDay, 29);
        EXPECT_EQ(parsed->yearMonth, 2);
        break;
      case kInterval:
        EXPECT_EQ(parsed->step, 5);
        EXPECT_EQ(parsed->startMinute, static_cast<MinuteNumber>(test::D(2026, 12, 1)) * 1440 + 9 * 60 + 15);
        break;
      default: break;
    }
    if (s.repetition == kOnce) continue;
    EXPECT_EQ(parsed->start, test::D(2026, 12, 1));
    EXPECT_EQ(parsed->limit, s.range == kCount ? Limit::Count : s.range == kUntil ? Limit::EndDate : Limit::None);
    if (s.range == kCount) {
      EXPECT_EQ(parsed->count, 12);
    }
    if (s.range == kUntil) {
      EXPECT_EQ(parsed->endDay, test::D(2027, 12, 31));
    }
    if (s.repetition != kInterval) {
      EXPECT_EQ(parsed->timeText, s.timeKind == kAtTime ? "08:30" : "");
    }
  }
}

TEST(Schedules, TheExamplesOfTheFormat) {
  RecurrenceState once;
  once.onceDate = "08.12.2026";
  once.timeKind = kAtStart;
  EXPECT_EQ(BuildSchedule(once), Sub("1|08.12.2026") + kSep1 + kSep1 + "21");
  EXPECT_EQ(BuildSchedule(Daily0830From("01.12.2026")),
            Sub("2|") + kSep1 + Sub("11|01.12.2026|00:00") + kSep1 + Sub("22|08:30"));
  RecurrenceState interval = Daily0830From("01.12.2026");
  interval.repetition = kInterval;
  interval.minutes = 5;
  EXPECT_EQ(BuildSchedule(interval).back(), kSep1);  // an empty group C
}

TEST(Schedules, ChecksAndTheirOrder) {
  RecurrenceState s;
  s.repetition = kInterval;
  s.minutes = 4;
  s.startDate = "01.12.2026";
  s.startTime = "10:00";
  EXPECT_EQ(CheckRecurrence(s), Ru("События не могут повторяться чаще, чем 1 раз в 5 минут !"));
  s.minutes = 5;
  EXPECT_EQ(CheckRecurrence(s), "");
  s.minutes = 0;
  s.days = 1;
  EXPECT_EQ(CheckRecurrence(s), "");
  s.days = 0;
  s.minutes = 4;
  s.startDate = "31.02.2026";  // the last failing check wins
  EXPECT_EQ(CheckRecurrence(s), Ru("Вы неправильно указали дату начала повторяющихся сообщений"));
  s.startDate = "01.12.2026";
  s.minutes = 5;
  s.startTime = "25:00";
  EXPECT_EQ(CheckRecurrence(s), Ru("Вы неправильно указали время начала повторяющихся сообщений"));

  RecurrenceState yearly = Daily0830From("01.12.2026");
  yearly.repetition = kYearly;
  for (const char* ok : {"29.02", "31.12"}) {
    yearly.yearDay = ok;
    EXPECT_EQ(CheckRecurrence(yearly), "") << ok;
  }
  for (const char* bad : {"30.02", "31.04", ""}) {
    yearly.yearDay = bad;
    EXPECT_EQ(CheckRecurrence(yearly), Ru("Вы не указали дату и месяц для ежегодного события  !")) << bad;
  }
  RecurrenceState until = Daily0830From("01.12.2026");
  until.range = kUntil;
  EXPECT_EQ(CheckRecurrence(until),
            Ru("Вы неправильно указали период действия событий в разделе \"количество повторений события\"!"));

  // One-time: the hidden range panel is neither checked nor written.
  RecurrenceState once;
  once.onceDate = "01.12.2026";
  once.startDate = "nonsense";
  EXPECT_EQ(CheckRecurrence(once), "");
  EXPECT_EQ(GetField(BuildSchedule(once), kSep1, 2), "");
  once.onceDate = "";
  EXPECT_EQ(CheckRecurrence(once), Ru("Вы не указали дату для одноразового события !"));
}

TEST(Schedules, LoadingKeepsTextsAndIgnoresUnknownCodes) {
  RecurrenceState s;
  LoadSchedule(s, Sub("1|5.1.26") + kSep1 + kSep1 + "21");
  EXPECT_EQ(s.onceDate, "5.1.26");  // exactly as stored
  RecurrenceState weekly;
  LoadSchedule(weekly, Sub("3|средам") + kSep1 + Sub("11|01.12.2026|") + kSep1 + Sub("22|09:00"));
  EXPECT_EQ(weekly.repetition, kWeekly);
  EXPECT_EQ(weekly.weekday, -1);  // a UTF-8 name is no entry of the list
  LoadSchedule(weekly, Sub("3|" + Ru("средам")) + kSep1 + Sub("11|01.12.2026|") + kSep1 + Sub("22|09:00"));
  EXPECT_EQ(weekly.weekday, 2);
  RecurrenceState untouched;
  untouched.time = "07:00";
  RecurrenceState before = untouched;
  LoadSchedule(untouched, Sub("9|x") + kSep1 + kSep1);
  EXPECT_EQ(untouched, before);
  EXPECT_EQ(DaysWord(1), Ru("день"));
  EXPECT_EQ(HoursWord(3), Ru("часа"));
  EXPECT_EQ(MinutesWord(11), Ru("минут"));
  EXPECT_EQ(TimesWord(22), Ru("раза"));
  EXPECT_EQ(RangeLabel(kUntil, true), Ru("По  . . . . . . . . . ."));
}

class Editor : public ::testing::Test {
 protected:
  test::TempRoot t;
  test::FixedClock clock{MakeDateTime(2026, 12, 9, 10, 0)};
  const Lines operations{Join({Ru("Зарплата"), Sub(Ru("Наличные") + "|" + Ru("Рубли") + "|" + Ru("Сбережения")),
                               Sub(Ru("[Нет]") + "||" + Ru("Нет"))},
                              kSep1)};
  std::vector<CommandItem> commands{{-1, "Calc,calc,1,xcalc", ""},
                                    {0, Ru("Блокнот") + ",note,2,mousepad", "/i.ico"}};

  SaveResult save(const EditorState& s) { return SaveRecord(s, operations, commands, t.root(), t.user()); }
};

// The next occurrences the recurrence page shows are the engine's, from now on.
TEST(NextOccurrences, TheEnginesDatesFromNowOn) {
  const DateTime now = MakeDateTime(2026, 12, 9, 10, 0);  // a Wednesday
  RecurrenceState weekly = Daily0830From("01.12.2026");
  weekly.repetition = kWeekly;
  weekly.weekday = 2;  // средам
  // Today's 08:30 has passed.
  EXPECT_EQ(NextOccurrences(weekly, now, 3),
            (std::vector<std::string>{"16.12.2026 08:30", "23.12.2026 08:30", "30.12.2026 08:30"}));
  weekly.time = "11:00";
  EXPECT_EQ(NextOccurrences(weekly, now, 2), (std::vector<std::string>{"09.12.2026 11:00", "16.12.2026 11:00"}));
  RecurrenceState leap = Daily0830From("01.01.2027");
  leap.repetition = kYearly;
  leap.yearDay = "29.02";
  leap.timeKind = kAtStart;
  EXPECT_EQ(NextOccurrences(leap, now, 2),
            (std::vector<std::string>{"29.02.2028 " + Ru("весь день"), "29.02.2032 " + Ru("весь день")}));
  RecurrenceState every5 = Daily0830From("09.12.2026");
  every5.repetition = kInterval;
  every5.minutes = 5;
  every5.startTime = "09:58";
  EXPECT_EQ(NextOccurrences(every5, now, 2), (std::vector<std::string>{"09.12.2026 10:03", "09.12.2026 10:08"}));
  RecurrenceState ended = Daily0830From("01.01.2026");
  ended.range = kUntil;
  ended.endDate = "01.12.2026";
  EXPECT_TRUE(NextOccurrences(ended, now, 5).empty());
  EXPECT_EQ(NextOccurrencesText(ended, now), Ru("Нет ни одного повторения"));
  EXPECT_EQ(NextOccurrencesText(weekly, now),
            Ru("Ближайшие, в 11:00: 09.12.2026, 16.12, 23.12, 30.12, 06.01.2027"));
  EXPECT_EQ(NextOccurrencesText(every5, now), Ru("Ближайшие: 09.12.2026 10:03, 10:08, 10:13, 10:18, 10:23"));
  EXPECT_EQ(NextOccurrencesText(leap, now),
            Ru("Ближайшие, весь день: 29.02.2028, 29.02.2032, 29.02.2036, 29.02.2040, 29.02.2044"));
  RecurrenceState bad = weekly;
  bad.startDate = "32.12.2026";
  EXPECT_EQ(NextOccurrencesText(bad, now), CheckRecurrence(bad));
}

TEST_F(Editor, StepsBetweenPagesAsTheWizardDoes) {
  EditorState s;
  s.kind = 3;
  EXPECT_EQ(StepForward(s), "");
  EXPECT_EQ(s.page, kRecurrencePage);
  EXPECT_TRUE(s.backEnabled);
  EXPECT_FALSE(s.doneEnabled);
  EXPECT_EQ(s.recurrence.weekday, 0);  // the weekday default of the first step
  EXPECT_EQ(StepForward(s), Ru("Вы не указали дату для одноразового события !"));
  EXPECT_EQ(s.page, kRecurrencePage);
  s.recurrence.onceDate = "10.12.2026";
  EXPECT_EQ(StepForward(s), "");
  EXPECT_EQ(s.page, kReminderPage);
  EXPECT_TRUE(s.doneEnabled);
  EXPECT_FALSE(s.nextEnabled);
  StepBack(s);
  EXPECT_EQ(s.page, kRecurrencePage);
  EXPECT_FALSE(s.doneEnabled);
  s.recurrence.onceDate = "";  // going forward again checks again
  EXPECT_NE(StepForward(s), "");
  StepBack(s);
  EXPECT_EQ(s.page, kKindPage);
  EXPECT_FALSE(s.backEnabled);
  s.kind = 2;
  StepForward(s);
  EXPECT_EQ(s.page, kOperationPage);
}

TEST_F(Editor, SavesEachKindToItsFile) {
  EditorState simple;
  simple.kind = 1;
  StepForward(simple);
  simple.date = "9.12.2026";  // lenient form, stored normalised
  simple.time = "7:05";
  simple.text = Ru("Купить") + "\r\n" + kSep3 + Ru("хлеб");
  EXPECT_EQ(save(simple).message, Ru("Вы неправильно указали дату записи !"));
  simple.date = "09.12.2026";
  ASSERT_TRUE(save(simple).saved) << save(simple).message;
  EXPECT_EQ(t.read(t.data("Plan/nb202612.dat")).back(),
            Join({"1", "09.12.2026", "07:05", Ru("Купитьхлеб")}, kSep3));

  EditorState money;
  money.kind = 2;
  StepForward(money);
  money.operationDate = "01.11.2026";
  money.operationTime = "12:00";
  money.amount = "0";
  EXPECT_EQ(save(money).message, Ru("Сумма операции должна быть больше нуля !"));
  money.amount = "1 000.50";
  EXPECT_EQ(save(money).message,
            Ru("Операция не указана, если список операций пуст, то воспользуйтесь настройкой !"));
  money.operation = 0;
  ASSERT_TRUE(save(money).saved);
  const std::string line = t.read(t.data("Plan/nb202611.dat")).back();
  EXPECT_EQ(GetField(line, kSep3, 4), Ru("Зарплата "));  // an empty comment: the name and a blank
  EXPECT_EQ(GetField(line, kSep3, 5), operations[0]);
  EXPECT_EQ(GetField(line, kSep3, 7), "1 000.50");
  EXPECT_EQ(ReadIniString(t.data("krav2000.ini"), "Buh", "LastChanges", ""), "01.11.2026");
  money.comment = Ru("аванс");
  ASSERT_TRUE(save(money).saved);
  EXPECT_EQ(GetField(t.read(t.data("Plan/nb202611.dat")).back(), kSep3, 4), Ru("Зарплата (аванс)"));

  EditorState action;
  action.kind = 4;
  StepForward(action);
  action.recurrence.onceDate = "10.12.2026";
  StepForward(action);
  action.recurrence.time = "09:00";
  action.programPath = "/opt/tools/calc.sh";
  ASSERT_TRUE(save(action).saved);
  EXPECT_EQ(t.read(t.data("mess.dat")).back(),
            Join({"4", BuildSchedule(action.recurrence), Ru("Запуск программы ") + "calc.sh",
                  "P" + std::string(1, kSep2) + "/opt/tools/calc.sh"},
                 kSep3));
  action.runProgram = false;
  EXPECT_EQ(save(action).message, Ru("Вы не выбрали команду из списка !"));
  action.command = 1;
  ASSERT_TRUE(save(action).saved);
  EXPECT_EQ(GetField(t.read(t.data("mess.dat")).back(), kSep3, 3), Ru("Блокнот"));
  EXPECT_EQ(GetField(t.read(t.data("mess.dat")).back(), kSep3, 4),
            "C" + std::string(1, kSep2) + "0" + kSep1 + Ru("Блокнот") + ",note,2,mousepad");
}

// What a person types is stored in one form that every reader reads alike:
// a decimal comma, a two-digit year and a short time are not lost.
TEST_F(Editor, TypedAmountsDatesAndTimesAreStoredInTheirOneForm) {
  EditorState money;
  money.kind = 2;
  StepForward(money);
  money.operation = 0;
  money.operationDate = "01.03.26";
  money.operationTime = "9:5";
  for (const char* bad : {"12abc", "abc", "-5", "0,00", "1.2.3"}) {
    money.amount = bad;
    EXPECT_EQ(save(money).message, Ru("Сумма операции должна быть больше нуля !")) << bad;
  }
  const struct {
    const char* typed;
    const char* stored;
  } amounts[] = {{"650,50", "650.50"}, {"0.125", "0.13"}, {"1 000,5", "1 000.50"}, {"12", "12.00"}};
  for (const auto& a : amounts) {
    money.amount = a.typed;
    ASSERT_TRUE(save(money).saved) << a.typed;
    // The year 26 is 2026: the journal of March 2026, not of the year 26.
    const std::string line = t.read(t.data("Plan/nb202603.dat")).back();
    EXPECT_EQ(GetField(line, kSep3, 7), a.stored) << a.typed;
    EXPECT_EQ(GetField(line, kSep3, 2), "01.03.2026");
    EXPECT_EQ(GetField(line, kSep3, 3), "09:05");
  }
  EXPECT_FALSE(FileExists(t.data("Plan/nb002603.dat")));
  EXPECT_EQ(ReadIniString(t.data("krav2000.ini"), "Buh", "FirstDate", ""), "01.03.2026");
  EXPECT_EQ(ReadIniString(t.data("krav2000.ini"), "Buh", "LastChanges", ""), "01.03.2026");

  // A one-time reminder typed with a two-digit year is stored with four and
  // fires on its day instead of being outdated at once.
  EditorState once;
  once.kind = 3;
  StepForward(once);
  once.recurrence.onceDate = "10.12.26";
  StepForward(once);
  once.recurrence.time = "";  // the check takes an empty time for 00:00
  once.reminderText = Ru("Позвонить");
  ASSERT_TRUE(save(once).saved);
  const std::string record = t.read(t.data("mess.dat")).back();
  EXPECT_EQ(record, Join({"3", Sub("1|10.12.2026") + kSep1 + kSep1 + Sub("22|00:00"), Ru("Позвонить")}, kSep3));
  Lines out;
  ASSERT_TRUE(CollectRange(out, MakeDateTime(2026, 12, 10), MakeDateTime(2026, 12, 10), t.root(), t.user(),
                           {false, true}));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(t.read(t.data("mess.dat")).back(), record);  // not moved to the trash
}

TEST_F(Editor, AnEditedEntrySavedUnchangedGivesTheSameLine) {
  const std::vector<std::string> lines{
      Join({"1", "09.12.2026", "07:05", Ru("Запись")}, kSep3),
      Join({"2", "01.11.2026", "12:00", Ru("Зарплата (аванс)"), operations[0], Ru("аванс"), "1 000.50"}, kSep3),
      Join({"3", BuildSchedule(Daily0830From("01.12.2026")), Ru("Зарядка")}, kSep3),
      Join({"4", BuildSchedule(Daily0830From("01.12.2026")), Ru("Блокнот"),
            "C" + std::string(1, kSep2) + commands[1].text()},
           kSep3)};
  for (const std::string& line : lines) {
    EditorState s = OpenRecord(line, true, commands);
    EXPECT_EQ(s.mode, EditorMode::Edit);
    EXPECT_TRUE(s.nextEnabled);
    if (s.kind == 2) s.operation = ReselectOperation(operations, s.openedOperation);
    if (s.page == kRecurrencePage) {
      ASSERT_EQ(StepForward(s), "");
    }
    EXPECT_EQ(BuildRecordLine(s, operations, commands), line);
    ASSERT_TRUE(save(s).saved) << save(s).message;
  }
  // An operation that is no longer in the list: none selected, saving refused.
  EditorState gone = OpenRecord(lines[1], true, commands);
  gone.operation = ReselectOperation({}, gone.openedOperation);
  EXPECT_EQ(save(gone).message,
            Ru("Операция не указана, если список операций пуст, то воспользуйтесь настройкой !"));
  // A command item that matches none of the list opens with no command.
  EditorState unknown = OpenRecord(Join({"4", BuildSchedule(Daily0830From("01.12.2026")), "x",
                                         "C" + std::string(1, kSep2) + "5" + kSep1 + "Other,o,9,x"},
                                        kSep3),
                                   true, commands);
  EXPECT_FALSE(unknown.runProgram);
  EXPECT_EQ(unknown.command, -1);
}

TEST_F(Editor, ViewModeSavesNothing) {
  EditorState s = OpenRecord(Join({"1", "09.12.2026", "07:05", Ru("Запись")}, kSep3), false, commands);
  EXPECT_EQ(s.mode, EditorMode::View);
  EXPECT_EQ(s.page, kSimplePage);
  EXPECT_FALSE(s.doneEnabled);
  EXPECT_TRUE(s.backEnabled);
  EXPECT_FALSE(save(s).saved);
  EXPECT_FALSE(FileExists(t.data("Plan/nb202612.dat")));
}

TEST_F(Editor, AFailedSaveSaysSoAndWritesNothing) {
  t.write(t.data("mess.dat"), {"keep"});
  EditorState s;
  s.kind = 3;
  StepForward(s);
  s.recurrence.onceDate = "10.12.2026";
  StepForward(s);
  s.recurrence.time = "09:00";
  s.reminderText = Ru("Чай");
  // A full disk: the store may not grow.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto* previous = ::signal(SIGXFSZ, SIG_IGN);
  rlimit full = old;
  full.rlim_cur = 6;
  ::setrlimit(RLIMIT_FSIZE, &full);
  const SaveResult r = save(s);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, previous);
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(r.title, Ru("Добавление записи"));
  EXPECT_NE(r.message.find(t.data("mess.dat")), std::string::npos);
  EXPECT_EQ(t.read(t.data("mess.dat")), Lines{"keep"});
  EXPECT_TRUE(save(s).saved);  // with room again, the same entry saves
}

TEST_F(Editor, TheCommandListFollowsProgramsIniAndTheUsersFilter) {
  ForceDir(t.root() + "Icons");
  EXPECT_TRUE(SaveBytes(t.root() + "Icons/note.ico", "icon"));
  EXPECT_TRUE(
      SaveLines(t.root() + "programs.ini",
                {"[Tree]", Ru("Планировщик") + "=mess;" + Ru("Основная") + ",main", "[Comps]", "Tools=tools",
                 "[HotKeys]", "mess=" + Ru("Блокнот") + ",note,2,mousepad;Calc,calc,1,xcalc", "main=Main,,3,x",
                 "tools=Term,term,4,xterm"}));
  std::vector<CommandItem> all = BuildCommandList(t.root(), t.data("krav2000.ini"));
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].iconIndex, 0);
  EXPECT_EQ(all[0].iconFile, t.root() + "Icons/note.ico");
  EXPECT_EQ(all[1].iconIndex, -1);  // no such icon file
  EXPECT_EQ(all[2].title(), "Main");
  EXPECT_EQ(all[3].title(), "Term");
  EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Tree", "x", "tools"));
  all = BuildCommandList(t.root(), t.data("krav2000.ini"));
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].title(), "Term");
}

}  // namespace
}  // namespace krav::app
