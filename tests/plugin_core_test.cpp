#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/text.h"
#include "platform/encoding.h"
#include "plugin/dorvik.h"
#include "plugin_support.h"

namespace krav::dorvik {
namespace {

using test::D;
using test::Join;
using test::Record;
using Msgs = std::vector<std::string>;

class Plugin : public ::testing::Test {
 protected:
  test::ShellStandIn shell;
  test::TempRoot& t = shell.t;
  test::FixedClock clock{MakeDateTime(2026, 12, 8, 9, 0)};
  DorvikState s;

  void store(const Lines& lines) { t.write(t.data("mess.dat"), lines); }
  Lines due() { return t.read(t.data("mess-now.dat")); }
  Lines log() { return t.read(t.root() + "dump.tmp"); }
  void at(int h, int m) { clock.set(MakeDateTime(2026, 12, 8, h, m)); }
  void init() {
    Init(s, t.root());
    s.showDelayMs = 0;  // the 1200 ms wait has its own test
  }
};

TEST_F(Plugin, InitFiresTodaysUntimedRemindersAndBirthdaysOnce) {
  store({Record("3", "1|08.12.2026", "", "21", "all day"), Record("3", "1|08.12.2026", "", "22|14:35", "later")});
  t.write(t.data("adrs.str"), {"/cards/ivanov.adr" + std::string(1, kSep1) + "Ivan,08.12.1970,5"});
  init();
  const Lines d = due();
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(GetField(d[0], kSep4, 2), "all day");
  EXPECT_EQ(GetField(GetField(d[1], kSep4, 1), kSep3, 1), "5");
  EXPECT_EQ(t.read(t.root() + "Temp/today.dat").size(), 3u);
  EXPECT_EQ(ReadIniString(shell.userIni(), "Indicators", "Isnewmess", ""), "1");
  // Later checks, even in other minutes, do not fire them again.
  at(9, 1);
  Check(s, 5);
  at(9, 2);
  Command(s, 2010, 0);
  Check(s, 10);
  EXPECT_EQ(due().size(), 2u);
  // Command 2010 with parameter 1 does.
  at(9, 3);
  Command(s, 2010, 1);
  EXPECT_EQ(due().size(), 4u);
}

TEST_F(Plugin, ChecksActOnEveryFifthCallOncePerMinute) {
  store({Record("3", "1|08.12.2026", "", "22|14:35", "tea")});
  init();
  EXPECT_TRUE(due().empty());
  at(14, 35);
  for (int c = 1; c <= 4; ++c) Check(s, c);
  EXPECT_TRUE(due().empty());
  Check(s, 5);
  ASSERT_EQ(due().size(), 1u);
  Check(s, 10);  // the same minute again
  Check(s, 0);
  EXPECT_EQ(due().size(), 1u);
  EXPECT_EQ(log().size(), 1u);
  EXPECT_EQ(log()[0], "08.12.26 14:35>" + Ru(" Событие ") + s.today[0]);
}

TEST_F(Plugin, AMinuteWithoutAnActingCheckIsNotCaughtUp) {
  store({Record("3", "1|08.12.2026", "", "22|14:35", "tea")});
  init();
  at(14, 35);
  Check(s, 3);
  at(14, 36);
  Check(s, 5);
  EXPECT_TRUE(due().empty());
}

TEST_F(Plugin, MessagesAndSettingsWhenSomethingFallsDue) {
  store({Record("3", "1|08.12.2026", "", "22|14:35", "first"),
         Record("3", "1|08.12.2026", "", "22|14:35", "second")});
  ForceDir(t.root() + "Sound");
  EXPECT_TRUE(SaveBytes(t.root() + "Sound/ding.wav", "RIFF"));
  EXPECT_TRUE(WriteIniString(shell.userIni(), "Messages", "Mus", "Sound\\ding.wav"));
  init();
  shell.received();
  at(14, 35);
  Check(s, 5);
  EXPECT_EQ(shell.received(), (Msgs{"8125 0 0", "12086 0 0", "1034 0 513"}));
  EXPECT_EQ(ReadIniString(shell.shellIni(), "Media", "Subfile", ""), "Sound\\ding.wav");
  // The text to speak is that of the last due line: everything after its first #3.
  EXPECT_EQ(ReadIniString(shell.shellIni(), "Speak", "Text", ""), GetField(s.today.back(), kSep3, 2));
  EXPECT_EQ(GetField(ReadIniString(shell.shellIni(), "Speak", "Text", ""), kSep4, 2), "first");
}

TEST_F(Plugin, SpeakOffAndNoSoundFile) {
  store({Record("3", "1|08.12.2026", "", "22|14:35", "x")});
  EXPECT_TRUE(WriteIniBool(shell.userIni(), "Messages", "Speak", false));
  EXPECT_TRUE(WriteIniBool(shell.userIni(), "Messages", "ShowDialog", false));
  init();
  at(14, 35);
  Check(s, 5);
  EXPECT_EQ(ReadIniString(shell.shellIni(), "Speak", "Text", "unset"), "");
  EXPECT_TRUE(shell.received().empty());  // no sound file, no speech, no dialog
  EXPECT_EQ(due().size(), 1u);
}

TEST_F(Plugin, TheDialogIsAskedForNoEarlierThan1200ms) {
  store({Record("3", "1|08.12.2026", "", "22|14:35", "x")});
  init();
  s.showDelayMs = 1200;
  shell.received();
  at(14, 35);
  const std::int64_t start = TickCount();
  Check(s, 5);
  EXPECT_GE(TickCount() - start, 1200);
  EXPECT_EQ(shell.received(), (Msgs{"12086 0 0", "1034 0 513"}));
}

TEST_F(Plugin, DueActionsLogAndRunButAreNotListed) {
  const std::string out = t.root() + "ran.txt";
  const std::string prog = std::string(KRAV_TEST_BIN_DIR) + "/test_argdump";
  store({Join({"4", Join({test::Sub("1|08.12.2026"), "", test::Sub("22|14:35")}, kSep1), "run",
               "P" + std::string(1, kSep2) + prog + "|" + out + " hello"},
              kSep3),
         Join({"4", Join({test::Sub("1|08.12.2026"), "", test::Sub("22|14:35")}, kSep1), "cmd",
               "C" + std::string(1, kSep2) + "3" + kSep1 + "Notes,x,17" + kSep1 + "more"},
              kSep3)});
  init();
  shell.received();
  at(14, 35);
  Check(s, 5);
  EXPECT_TRUE(due().empty());
  EXPECT_FALSE(FileExists(t.data("mess-now.dat")));
  EXPECT_EQ(log().size(), 2u);
  EXPECT_EQ(ReadIniString(shell.shellIni(), "Speak", "Text", "unset"), "");
  // Store order is walked backwards: the command first.
  EXPECT_EQ(shell.received(), (Msgs{"1041 0 0", "1034 0 513"}));
  std::string args;
  for (int i = 0; i < 500 && !LoadBytes(out, args); ++i) ::usleep(10000);
  EXPECT_EQ(args, "hello\n");
}

TEST_F(Plugin, ActionFollowsItsRecordWhenTheStoreChanged) {
  const std::string cmd = Join({"4", Join({test::Sub("1|08.12.2026"), "", test::Sub("22|14:35")}, kSep1), "cmd",
                                "C" + std::string(1, kSep2) + "3" + kSep1 + "a,b,5"},
                               kSep3);
  store({Record("3", "2", "11|01.12.2026|00:00", "21", "other"), cmd});
  init();
  shell.received();
  // The line before it went: the stored index now points past the end.
  store({cmd});
  at(14, 35);
  Check(s, 5);
  EXPECT_EQ(shell.received(), (Msgs{"1029 0 0", "1034 0 513"}));
  // Another record at its index: nothing runs.
  at(14, 36);
  s.today = {s.today.back()};
  s.today[0] = SetField(SetField(s.today[0], kSep4, 1, Join({"4", "08.12.2026 14:36"}, kSep3)), kSep4, 3, "0");
  store({Join({"4", "x", "different", "C" + std::string(1, kSep2) + "3" + kSep1 + "a,b,6"}, kSep3)});
  Check(s, 5);
  EXPECT_EQ(shell.received(), (Msgs{"1034 0 513"}));
}

TEST_F(Plugin, JournalEntriesAreListedButNeverFallDue) {
  ForceDir(t.data("Plan"));
  t.write(t.data("Plan/nb202612.dat"), {Join({"1", "08.12.2026", "14:35", "diary"}, kSep3),
                                        Join({"2", "08.12.2026", "", "untimed op", "o", "", "5"}, kSep3)});
  init();
  EXPECT_EQ(t.read(t.root() + "Temp/today.dat").size(), 2u);
  at(14, 35);
  Check(s, 5);
  EXPECT_TRUE(due().empty());
  EXPECT_TRUE(log().empty());
}

TEST_F(Plugin, RecordsAddedLaterFireAfterAReload) {
  init();
  store({Record("3", "1|08.12.2026", "", "22|14:35", "new")});
  at(14, 34);
  Check(s, 5);
  Command(s, 2010, 0);
  at(14, 35);
  Check(s, 5);
  EXPECT_EQ(due().size(), 1u);
}

// A store that cannot be read is no empty day: the reminders already
// collected still fire, the reload stays pending and the log says why.
TEST_F(Plugin, AStoreThatCannotBeReadKeepsTodaysListAndTriesAgain) {
  store({Record("3", "1|08.12.2026", "", "22|09:30", "tea")});
  init();
  RemoveFile(t.data("mess.dat"));
  ForceDir(t.data("mess.dat"));  // a folder in the store's place: never readable
  at(9, 5);
  Command(s, 2010, 0);
  Check(s, 5);
  EXPECT_TRUE(s.reload);
  ASSERT_FALSE(log().empty());
  EXPECT_NE(log().back().find(Ru("Не прочитан файл записей")), std::string::npos) << log().back();
  at(9, 30);
  Check(s, 10);
  ASSERT_EQ(due().size(), 1u);
  EXPECT_EQ(GetField(due()[0], kSep4, 2), "tea");
  // Readable again: the next check reloads.
  std::filesystem::remove(FsPath(t.data("mess.dat")));
  store({Record("3", "1|08.12.2026", "", "22|09:40", "later")});
  at(9, 40);
  Check(s, 15);
  EXPECT_FALSE(s.reload);
  EXPECT_EQ(due().size(), 2u);
}

TEST_F(Plugin, AutomaticRemovalStartsWithTheSecondReload) {
  store({Record("3", "1|01.12.2026", "", "21", "old")});
  init();
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 1u);
  Command(s, 2010, 0);
  Check(s, 5);
  EXPECT_TRUE(t.read(t.data("mess.dat")).empty());
  EXPECT_EQ(t.read(t.data("mess-del.dat")).size(), 1u);
}

TEST_F(Plugin, IndicatorFollowsTheDueFile) {
  init();
  EXPECT_EQ(ReadIniString(shell.userIni(), "Indicators", "Isnewmess", "unset"), "unset");  // unchanged
  EXPECT_TRUE(SaveBytes(t.data("mess-now.dat"), "x\r\n"));
  Command(s, 2005, 0);
  EXPECT_EQ(ReadIniString(shell.userIni(), "Indicators", "Isnewmess", ""), "1");
  RemoveFile(t.data("mess-now.dat"));
  Check(s, 5);
  EXPECT_EQ(ReadIniString(shell.userIni(), "Indicators", "Isnewmess", ""), "0");
}

TEST_F(Plugin, MissingFoldersCostOnlyTheirPieceOfWork) {
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Users", "Active", "nobody"));
  std::filesystem::remove_all(FsPath(t.root() + "Temp"));
  init();
  Check(s, 5);
  Command(s, 2015, 0);
  EXPECT_FALSE(FileExists(t.root() + "Temp/today.dat"));
}

struct SnoozeCase {
  int h, m, hours, minutes;
  const char* date;
  const char* time;
};

TEST(SnoozeMoment, CarriesMinutesHoursAndDays) {
  const SnoozeCase cases[] = {{23, 50, 0, 15, "09.12.2026", "00:05"},
                              {10, 58, 0, 5, "08.12.2026", "11:03"},
                              {22, 30, 50, 0, "11.12.2026", "00:30"},
                              {12, 0, 0, 0, "08.12.2026", "12:00"},
                              {12, 0, 0, 1500, "09.12.2026", "13:00"},
                              {12, 0, -5, -5, "08.12.2026", "12:00"},
                              {12, 0, 2000000000, 2000000000, "31.12.9999", "23:59"}};
  for (const auto& c : cases) {
    test::FixedClock clock(MakeDateTime(2026, 12, 8, c.h, c.m));
    const SnoozeTime at = SnoozeMoment(c.hours, c.minutes);
    EXPECT_EQ(at.date, c.date) << c.h << ":" << c.m << " +" << c.hours << "h" << c.minutes;
    EXPECT_EQ(at.time, c.time) << c.h << ":" << c.m << " +" << c.hours << "h" << c.minutes;
  }
}

TEST_F(Plugin, SnoozeAppendsAOneTimeReminderAndTellsTheProgram) {
  init();
  std::vector<std::string> programGot;
  MessageWindow program([&](int m, std::int64_t, std::int64_t) { programGot.push_back(std::to_string(m)); });
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Appl", "Voza", std::to_string(program.handle())));
  const std::string header = Ru("Повтор сообщения от 08.12.2026 14:35 ");  // 37 characters
  ASSERT_EQ(header.size(), 37u);
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Voza", "Text", header + "abc"));
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Voza", "Hour", "0"));
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Voza", "Min", "15"));
  at(23, 50);
  Command(s, 2015, 0);
  EXPECT_EQ(programGot, std::vector<std::string>{"3044"});  // sent, handled before the return
  EXPECT_TRUE(s.reload);
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(store[0], Record("3", "1|09.12.2026", "", "22|00:05", "abc"));
}

TEST_F(Plugin, SnoozeTextCannotSplitTheRecordOrTheFile) {
  init();
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Voza", "Text",
                             std::string("a") + kSep3 + "b" + kSep4 + "c" + kSep1 + kSep2 + "d"));
  Command(s, 2015, 0);  // Min defaults to 5
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(GetField(store[0], kSep3, 3), "abcd");
  EXPECT_EQ(GetField(GetField(store[0], kSep3, 2), kSep1, 3), "22" + std::string(1, kSep2) + "09:05");
}

}  // namespace
}  // namespace krav::dorvik
