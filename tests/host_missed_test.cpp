// Reminders across gaps: what fell while nothing polled, the date change,
// clock jumps forward and back, and the watch on the record files.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

#include "engine/store.h"
#include "engine/text.h"
#include "host/missed.h"
#include "host/shell_host.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

namespace krav::host {
namespace {

using test::Record;

void App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

class Gaps : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    t.write(
        t.data("mess.dat"),
        {Record("3", "1|08.12.2026", "", "22|09:00", "before"), Record("3", "1|08.12.2026", "", "22|10:00", "tea"),
         Record("4", "1|08.12.2026", "", "22|11:00", "backup") + kSep3 + "P" + kSep2 + "/bin/false",
         Record("3", "1|08.12.2026", "", "22|11:30", "call"), Record("3", "1|08.12.2026", "", "22|13:30", "later"),
         Record("3", "1|07.12.2026", "", "21", "whole day before"),
         Record("3", "1|05.12.2026", "", "21", "whole day in the gap")});
  }
  void TearDown() override { ::unsetenv("KRAV_RUNTIME_DIR"); }
  std::vector<std::string> texts(const Lines& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(GetField(l, kSep4, 2));
    return out;
  }
  test::TempRoot t;
  test::FixedClock clock{MakeDateTime(2026, 12, 8, 12, 30)};
};

TEST_F(Gaps, WhatFellBetweenTwoPollsAndNothingElse) {
  EXPECT_EQ(texts(MissedOccurrences(t.root(), t.user(), MakeDateTime(2026, 12, 8, 9, 30),
                                    MakeDateTime(2026, 12, 8, 12, 30))),
            (std::vector<std::string>{"tea", "backup", "call"}));
  // The minute of the last poll was handled; so is the present one.
  EXPECT_EQ(texts(MissedOccurrences(t.root(), t.user(), MakeDateTime(2026, 12, 8, 10, 0),
                                    MakeDateTime(2026, 12, 8, 11, 30))),
            (std::vector<std::string>{"backup"}));
  // Whole days strictly between the two days; no more than a week back.
  EXPECT_EQ(texts(MissedOccurrences(t.root(), t.user(), MakeDateTime(2026, 12, 4, 23, 0),
                                    MakeDateTime(2026, 12, 8, 9, 30))),
            (std::vector<std::string>{"whole day in the gap", "whole day before", "before"}));
  // A month away: only the last week is looked into.
  t.write(t.data("mess.dat"),
          {Record("3", "1|20.11.2026", "", "21", "too old"), Record("3", "1|05.12.2026", "", "21", "kept")});
  EXPECT_EQ(texts(MissedOccurrences(t.root(), t.user(), MakeDateTime(2026, 11, 1, 0, 0),
                                    MakeDateTime(2026, 12, 8, 9, 30))),
            (std::vector<std::string>{"kept"}));
  EXPECT_TRUE(MissedOccurrences(t.root(), t.user(), 0, MakeDateTime(2026, 12, 8, 12, 30)).empty());
  // A one-time date with a two-digit year is its day; a text that is no date
  // is no day at all (it once read as today, and fired every day).
  t.write(t.data("mess.dat"), {Record("3", "1|08.12.26", "", "22|10:15", "two-digit year"),
                               Record("3", "1|2026", "", "22|10:15", "typed short")});
  EXPECT_EQ(texts(MissedOccurrences(t.root(), t.user(), MakeDateTime(2026, 12, 8, 9, 30),
                                    MakeDateTime(2026, 12, 8, 12, 30))),
            (std::vector<std::string>{"two-digit year"}));
  EXPECT_EQ(MissedLabel(std::string("3") + kSep3 + "08.12.2026 14:35" + kSep4 + "x"),
            "Пропущено: 08.12.2026 14:35");
}

TEST_F(Gaps, AStartAfterAGapPresentsTheMissedOnceAndNeverRunsAnAction) {
  ASSERT_TRUE(SaveLastPoll(t.root(), MakeDateTime(2026, 12, 8, 9, 30)));
  QStringList missed;
  {
    ShellHost host(t.root());
    QObject::connect(&host, &ShellHost::missed, [&](const std::vector<Reminder>& list) {
      for (const auto& r : list) missed << r.when + " | " + r.description;
    });
    ASSERT_TRUE(host.start());
    for (int i = 0; i < 5; ++i) host.poll();  // the fifth poll is an acting one: its minute is recorded
    host.stop();
  }
  EXPECT_EQ(missed, (QStringList{"Пропущено: 08.12.2026 10:00 | tea", "Пропущено: 08.12.2026 11:00 | backup",
                                 "Пропущено: 08.12.2026 11:30 | call"}));
  EXPECT_EQ(DateToText(LoadLastPoll(t.root())) + " " + TimeToText(LoadLastPoll(t.root())), "08.12.2026 12:30");
  // A second start right after: no gap, nothing again.
  missed.clear();
  ShellHost again(t.root());
  QObject::connect(&again, &ShellHost::missed,
                   [&](const std::vector<Reminder>& list) { missed << QString::number(list.size()); });
  ASSERT_TRUE(again.start());
  EXPECT_TRUE(missed.isEmpty());
}

TEST_F(Gaps, ClockJumpsForwardAndBackAndANewDay) {
  ShellHost host(t.root());
  QStringList log, missed;
  QObject::connect(&host, &ShellHost::logLine, [&](const QString& l) { log << l; });
  QObject::connect(&host, &ShellHost::missed, [&](const std::vector<Reminder>& list) {
    for (const auto& r : list) missed << r.description;
  });
  clock.set(MakeDateTime(2026, 12, 8, 9, 30));
  ASSERT_TRUE(host.start());
  for (int i = 0; i < 5; ++i) host.poll();
  // A suspend of three hours: the gap is told once, and today's list is collected anew.
  clock.set(MakeDateTime(2026, 12, 8, 12, 30));
  host.poll();
  EXPECT_EQ(missed, (QStringList{"tea", "backup", "call"}));
  EXPECT_TRUE(log.contains("the clock jumped forward"));
  for (int i = 0; i < 5; ++i) host.poll();
  // Back by an hour: the plug-in is not asked about the repeated minutes.
  clock.set(MakeDateTime(2026, 12, 8, 11, 30));
  log.clear();
  for (int i = 0; i < 7; ++i) host.poll();
  EXPECT_TRUE(log.contains("the clock went back: the repeated minutes are not checked again"));
  EXPECT_TRUE(log.filter("plugin CheckIf").isEmpty());
  clock.set(MakeDateTime(2026, 12, 8, 12, 31));
  host.poll();
  EXPECT_EQ(log.filter("plugin CheckIf").size(), 1);
  EXPECT_EQ(missed.size(), 3);  // nothing told twice
  // Midnight: the new day's list.
  clock.set(MakeDateTime(2026, 12, 8, 23, 59) + 30.0 / 86400);
  host.poll();
  log.clear();
  clock.set(MakeDateTime(2026, 12, 9, 0, 0) + 20.0 / 86400);
  host.poll();
  EXPECT_TRUE(log.contains("a new day: plugin CommandIf 2010 0"));
  host.stop();
}

TEST_F(Gaps, ARecordWrittenByAnotherProgramReloadsTheList) {
  ShellHost host(t.root());
  QStringList log;
  QObject::connect(&host, &ShellHost::logLine, [&](const QString& l) { log << l; });
  ASSERT_TRUE(host.start());
  ASSERT_TRUE(AppendLines(t.dataDir(), t.data("mess.dat"), {Record("3", "1|08.12.2026", "", "22|12:31", "new")}));
  QElapsedTimer wait;
  wait.start();
  while (!log.contains("records changed on disk: plugin CommandIf 2010 0") && wait.elapsed() < 10000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_TRUE(log.contains("records changed on disk: plugin CommandIf 2010 0"));
  host.stop();
}

TEST_F(Gaps, EqualDueLinesArePresentedOnce) {
  const std::string due = test::Join({test::Join({"3", "08.12.2026 "}, kSep3), "all day", "5", "/p"}, kSep4);
  t.write(t.data("mess-now.dat"), {due, due, due});
  ShellHost host(t.root());
  EXPECT_EQ(host.reminders().size(), 1u);
}

// Waits, handling events, until the log has the line or ten seconds passed.
bool WaitForLog(const QStringList& log, const QString& line, int ms = 10000) {
  QElapsedTimer wait;
  wait.start();
  while (!log.contains(line) && wait.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return log.contains(line);
}

void AppendInPlace(const std::string& path, const std::string& line) {
  std::FILE* f = std::fopen(FsPath(path).c_str(), "ab");
  ASSERT_NE(f, nullptr);
  std::fputs((line + "\r\n").c_str(), f);
  std::fclose(f);
}

const QString kReloaded = QStringLiteral("records changed on disk: plugin CommandIf 2010 0");

TEST_F(Gaps, AUserFolderReplacedWhileRunningIsWatchedAgainAndFilesWrittenInPlaceAreSeen) {
  ShellHost host(t.root());
  QStringList log;
  QObject::connect(&host, &ShellHost::logLine, [&](const QString& l) { log << l; });
  ASSERT_TRUE(host.start());
  // In place, as a text editor or ">>" writes: no file is renamed into the folder.
  AppendInPlace(t.data("mess.dat"), Record("3", "1|08.12.2026", "", "22|12:40", "in place"));
  EXPECT_TRUE(WaitForLog(log, kReloaded));
  // The folder moved away and another put in its place: the watch follows the old one.
  const std::string moved = t.root() + "Users/moved";
  ASSERT_EQ(std::rename(FsPath(t.dataDir()).c_str(), FsPath(moved).c_str()), 0);
  ForceDir(t.dataDir());
  t.write(t.data("mess.dat"), {Record("3", "1|08.12.2026", "", "22|12:45", "new folder")});
  log.clear();
  host.poll();
  EXPECT_TRUE(log.contains("the record files changed"));
  EXPECT_TRUE(WaitForLog(log, kReloaded));
  // And the new folder's store is watched itself.
  log.clear();
  AppendInPlace(t.data("mess.dat"), Record("3", "1|08.12.2026", "", "22|12:50", "again"));
  EXPECT_TRUE(WaitForLog(log, kReloaded));
  host.stop();
}

TEST_F(Gaps, AWriterThatNeverStopsDoesNotHoldTheReloadOff) {
  ShellHost host(t.root());
  QStringList log;
  QObject::connect(&host, &ShellHost::logLine, [&](const QString& l) { log << l; });
  ASSERT_TRUE(host.start());
  QElapsedTimer writing;
  writing.start();
  bool reloadedWhileWriting = false;
  for (int i = 0; writing.elapsed() < 8000 && !reloadedWhileWriting; ++i) {
    AppendInPlace(t.data("mess.dat"), Record("3", "1|08.12.2026", "", "22|13:00", "write " + std::to_string(i)));
    QElapsedTimer pause;
    pause.start();
    while (pause.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    reloadedWhileWriting = log.contains(kReloaded);
  }
  EXPECT_TRUE(reloadedWhileWriting);
  host.stop();
}

TEST_F(Gaps, AStepOfTheClockPastOneMinuteTellsThatMinute) {
  t.write(t.data("mess.dat"), {Record("3", "1|08.12.2026", "", "22|12:31", "in the step"),
                               Record("3", "1|08.12.2026", "", "22|12:32", "after the step")});
  QStringList missed;
  {
    ShellHost host(t.root());
    QObject::connect(&host, &ShellHost::missed, [&](const std::vector<Reminder>& list) {
      for (const auto& r : list) missed << r.description;
    });
    clock.set(MakeDateTime(2026, 12, 8, 12, 30) + 30.0 / 86400);
    ASSERT_TRUE(host.start());
    for (int i = 0; i < 5; ++i) host.poll();
    // Ninety seconds forward: 12:31 never had a poll.
    clock.set(MakeDateTime(2026, 12, 8, 12, 32));
    for (int i = 0; i < 10; ++i) host.poll();
    EXPECT_EQ(missed, QStringList{"in the step"});
  }
  // Stopped in 12:32 and started again at 12:34:10, less than two minutes on: 12:33 is told.
  t.write(t.data("mess.dat"), {Record("3", "1|08.12.2026", "", "22|12:33", "while stopped")});
  missed.clear();
  clock.set(MakeDateTime(2026, 12, 8, 12, 34) + 10.0 / 86400);
  ShellHost again(t.root());
  QObject::connect(&again, &ShellHost::missed, [&](const std::vector<Reminder>& list) {
    for (const auto& r : list) missed << r.description;
  });
  ASSERT_TRUE(again.start());
  EXPECT_EQ(missed, QStringList{"while stopped"});
}

}  // namespace
}  // namespace krav::host
