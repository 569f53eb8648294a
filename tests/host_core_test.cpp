// What the stand-in shell makes of each window message.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>

#include <QCoreApplication>
#include <QStringList>

#include "engine/text.h"
#include "host/shell_host.h"
#include "host/speech.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "platform/process.h"
#include "support.h"

namespace krav::host {
namespace {

class HostMessages : public ::testing::Test {
 protected:
  test::TempRoot t;
  QStringList events;
  ShellHost host{t.root()};
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    QObject::connect(&host, &ShellHost::logLine, [this](const QString& l) { events << "log " + l; });
    QObject::connect(&host, &ShellHost::playSound, [this](const QString& p) { events << "play " + p; });
    QObject::connect(&host, &ShellHost::speak, [this](const QString& s) { events << "speak " + s; });
    QObject::connect(&host, &ShellHost::present, [this](const std::vector<Reminder>& r) {
      events << QStringLiteral("present %1").arg(r.size());
    });
  }
};

TEST_F(HostMessages, SoundIsResolvedFromTheRoot) {
  ForceDir(t.root() + "Snd");
  EXPECT_TRUE(SaveBytes(t.root() + "Snd/a.wav", "RIFF"));
  EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Media", "Subfile", "Snd\\a.wav"));
  host.handleMessage(8125, 0, 0);
  EXPECT_EQ(events.last(), "play " + QString::fromStdString(t.root()) + "Snd/a.wav");
  EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Media", "Subfile", "Snd\\missing.wav"));
  host.handleMessage(8125, 0, 0);
  EXPECT_TRUE(events.last().startsWith("log no sound file"));
}

TEST_F(HostMessages, SpeaksTheDescriptionOfAnOccurrenceTail) {
  const std::string tail =
      std::string("08.12.2026 14:35") + kSep4 + Ru("Позвонить маме") + kSep4 + "0" + kSep4 + "/x";
  EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Speak", "Text", tail));
  host.handleMessage(12086, 0, 0);
  EXPECT_EQ(events.last(), "speak Позвонить маме");
  EXPECT_EQ(SpokenText(Ru("Просто текст")), "Просто текст");
  EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Speak", "Text", ""));
  events.clear();
  host.handleMessage(12086, 0, 0);
  EXPECT_FALSE(events.filter("speak").size());
}

TEST_F(HostMessages, PresentsAcknowledgesAndPostpones) {
  const std::string a = test::Join({test::Join({"3", "08.12.2026 14:35"}, kSep3), "one", "0", "/p"}, kSep4);
  const std::string b = test::Join(
      {test::Join({"2", "08.12.2026 "}, kSep3), std::string("two") + kSep1 + "1 000.00", "1", "/p"}, kSep4);
  t.write(t.data("mess-now.dat"), {a, b});
  host.handleMessage(1034, 0, 513);
  EXPECT_EQ(events.last(), "present 2");
  const auto list = host.reminders();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].when, "08.12.2026 14:35");
  EXPECT_EQ(list[1].when, "08.12.2026");
  EXPECT_EQ(list[1].description, "two\t1 000.00");

  // Without the plug-in nothing writes the new record: the reminder stays due.
  EXPECT_FALSE(host.postpone(1, 2, 15));
  EXPECT_EQ(t.read(t.data("mess-now.dat")), (Lines{a, b}));
  EXPECT_TRUE(events.filter("postpone failed").size());
  EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Text", ""), "two");
  EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Hour", ""), "2");
  EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Min", ""), "15");
  EXPECT_FALSE(host.postpone(5, 0, 5));  // no such reminder: nothing
  EXPECT_EQ(t.read(t.data("mess-now.dat")).size(), 2u);
  host.acknowledge();
  EXPECT_FALSE(FileExists(t.data("mess-now.dat")));
}

// The host with the built plug-in in its root.
class HostWithPlugIn : public HostMessages {
 protected:
  QStringList failures;
  void SetUp() override {
    HostMessages::SetUp();
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so", t.root() + "libdorvik.so");
    QObject::connect(&host, &ShellHost::failure, [this](const QString& m) { failures << m; });
    ASSERT_TRUE(host.start());
  }
  void TearDown() override {
    host.stop();
    ::unsetenv("KRAV_RUNTIME_DIR");
  }
};

const std::string kDue = test::Join({test::Join({"3", "08.12.2026 14:35"}, kSep3), "tea", "0", "/p"}, kSep4);

TEST_F(HostWithPlugIn, PostponingMovesTheReminderIntoTheStore) {
  t.write(t.data("mess.dat"), {"keep"});
  t.write(t.data("mess-now.dat"), {kDue});
  ASSERT_TRUE(host.postpone(0, 1, 0));
  EXPECT_TRUE(failures.isEmpty());
  EXPECT_FALSE(FileExists(t.data("mess-now.dat")));
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(GetField(store[1], kSep3, 3), "tea");
}

TEST_F(HostWithPlugIn, ATextWithBlanksAtItsEndsIsPostponedOnceAndExactly) {
  const std::string text = "  tea\t";
  const std::string due = test::Join({test::Join({"3", "08.12.2026 14:35"}, kSep3), text, "0", "/p"}, kSep4);
  t.write(t.data("mess.dat"), {"keep"});
  t.write(t.data("mess-now.dat"), {due});
  ASSERT_TRUE(host.postpone(0, 0, 30));
  EXPECT_TRUE(failures.isEmpty()) << failures.join("; ").toStdString();
  EXPECT_FALSE(FileExists(t.data("mess-now.dat")));
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(GetField(store[1], kSep3, 3), text);
}

// The plug-in has its own clock (the real one): the test runs in one real minute.
TEST_F(HostWithPlugIn, ARestartInTheSameMinuteDoesNotFireItAgain) {
  host.stop();
  while (std::fmod(Now() * 86400.0, 60.0) > 45.0) QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
  const DateTime now = Now();
  t.write(t.data("mess.dat"), {test::Record("3", "1|" + DateToText(now), "", "22|" + TimeToText(now), "now")});
  RemoveFile(t.root() + "Temp/shellhost.poll");  // the fixture's host polled in this minute too
  {
    ShellHost first(t.root());
    ASSERT_TRUE(first.start());  // InitIf acts at once: the reminder is due
    first.stop();
  }
  ASSERT_EQ(t.read(t.data("mess-now.dat")).size(), 1u);
  ShellHost second(t.root());
  QStringList log;
  QObject::connect(&second, &ShellHost::logLine, [&](const QString& l) { log << l; });
  ASSERT_TRUE(second.start());
  for (int i = 0; i < 10; ++i) second.poll();
  EXPECT_EQ(t.read(t.data("mess-now.dat")).size(), 1u);
  EXPECT_TRUE(log.contains("this minute was handled before the restart: the plug-in starts in the next one"));
  EXPECT_TRUE(log.filter("plugin InitIf").isEmpty());
  EXPECT_FALSE(second.postpone(0, 0, 5));  // told, not tried: the plug-in is not started yet
  EXPECT_EQ(t.read(t.data("mess-now.dat")).size(), 1u);
  second.stop();
}

TEST_F(HostWithPlugIn, APostponementThatCannotBeStoredLeavesTheReminderDue) {
  // A full disk: no file may grow past the store's present size.
  const Lines big(200, std::string(100, 'x'));
  t.write(t.data("mess.dat"), big);
  t.write(t.data("mess-now.dat"), {kDue});
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto* previous = ::signal(SIGXFSZ, SIG_IGN);
  rlimit full = old;
  full.rlim_cur = 200 * 102;
  ::setrlimit(RLIMIT_FSIZE, &full);
  const bool ok = host.postpone(0, 1, 0);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, previous);

  EXPECT_FALSE(ok);
  EXPECT_EQ(t.read(t.data("mess-now.dat")), Lines{kDue});
  EXPECT_EQ(t.read(t.data("mess.dat")), big);
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures[0].startsWith("Напоминание не отложено")) << failures[0].toStdString();
}

TEST(HostStart, ADamagedSettingsFileIsLeftAsItIsAndTheHostDoesNotStart) {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  test::TempRoot t;
  ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
  const std::string ini = t.root() + "krav2000.ini";
  const std::string damaged = std::string("[Users]\r\nActive=\x01\x02\0garbage\r\n[Main]\r\nHandle=5\r\n", 36);
  EXPECT_TRUE(SaveBytes(ini, damaged));
  {
    ShellHost host(t.root());
    QStringList log;
    QObject::connect(&host, &ShellHost::logLine, [&](const QString& l) { log << l; });
    EXPECT_FALSE(host.start());
    EXPECT_TRUE(log.join('\n').contains("damaged")) << log.join('\n').toStdString();
  }
  std::string bytes;
  EXPECT_TRUE(LoadBytes(ini, bytes));
  EXPECT_EQ(bytes, damaged);
  ::unsetenv("KRAV_RUNTIME_DIR");
}

TEST(Speech, AReminderTextNeverBecomesAnOptionOfEspeak) {
  test::TempRoot t;
  // A stand-in espeak-ng that writes its arguments down.
  const std::string bin = t.root() + "bin", out = t.root() + "args.txt";
  ForceDir(bin);
  EXPECT_TRUE(SaveBytes(bin + "/espeak-ng", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > " + out +
                                                ".part && mv " + out + ".part " + out + "\n"));
  ::chmod((bin + "/espeak-ng").c_str(), 0755);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", (bin + ":" + path).c_str(), 1);
  const std::string victim = t.root() + "victim";
  EXPECT_TRUE(SaveBytes(victim, "precious"));
  const bool started = Spawn(EspeakCommand("--phonout=" + victim));
  ::setenv("PATH", path.c_str(), 1);
  ASSERT_TRUE(started);
  std::string args;
  for (int i = 0; i < 500 && !LoadBytes(out, args); ++i) ::usleep(10000);
  EXPECT_EQ(args, "-v\nru\n--\n--phonout=" + victim + "\n");
  std::string bytes;
  EXPECT_TRUE(LoadBytes(victim, bytes));
  EXPECT_EQ(bytes, "precious");
}

TEST_F(HostMessages, ShellCommandsComeFromHotKeys) {
  const std::string out = t.root() + "ran.txt";
  EXPECT_TRUE(SaveBytes(t.root() + "programs.ini", "[HotKeys]\nA=Calc,calc,1,no-such-program;Dump,x,12," +
                                                       std::string(KRAV_TEST_BIN_DIR) + "/test_argdump " + out +
                                                       " ok\n"));
  host.handleMessage(1024 + 12, 0, 0);
  EXPECT_TRUE(events.last().startsWith("log shell command 12: "));
  std::string bytes;
  for (int i = 0; i < 500 && !LoadBytes(out, bytes); ++i) ::usleep(10000);
  EXPECT_EQ(bytes, "ok\n");
  host.handleMessage(1024 + 1, 0, 0);
  EXPECT_EQ(events.last(), "log shell command 1 could not be started");
  host.handleMessage(1024 + 7, 0, 0);
  EXPECT_EQ(events.last(), "log shell command 7 names nothing to run");
}

}  // namespace
}  // namespace krav::host
