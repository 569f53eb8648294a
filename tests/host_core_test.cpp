// What the stand-in shell makes of each window message.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QStringList>

#include "engine/text.h"
#include "host/shell_host.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

namespace krav::host {
namespace {

class HostMessages : public ::testing::Test {
 protected:
  test::TempRoot t;
  ShellHost host{t.root()};
  QStringList events;
  void SetUp() override {
    WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user());
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
  SaveBytes(t.root() + "Snd/a.wav", "RIFF");
  WriteIniString(t.root() + "krav2000.ini", "Media", "Subfile", "Snd\\a.wav");
  host.handleMessage(8125, 0, 0);
  EXPECT_EQ(events.last(), "play " + QString::fromStdString(t.root()) + "Snd/a.wav");
  WriteIniString(t.root() + "krav2000.ini", "Media", "Subfile", "Snd\\missing.wav");
  host.handleMessage(8125, 0, 0);
  EXPECT_TRUE(events.last().startsWith("log no sound file"));
}

TEST_F(HostMessages, SpeaksTheDescriptionOfAnOccurrenceTail) {
  const std::string tail = std::string("08.12.2026 14:35") + kSep4 + Ru("Позвонить маме") + kSep4 + "0" + kSep4 + "/x";
  WriteIniString(t.root() + "krav2000.ini", "Speak", "Text", tail);
  host.handleMessage(12086, 0, 0);
  EXPECT_EQ(events.last(), "speak Позвонить маме");
  EXPECT_EQ(SpokenText(Ru("Просто текст")), "Просто текст");
  WriteIniString(t.root() + "krav2000.ini", "Speak", "Text", "");
  events.clear();
  host.handleMessage(12086, 0, 0);
  EXPECT_FALSE(events.filter("speak").size());
}

TEST_F(HostMessages, PresentsAcknowledgesAndPostpones) {
  const std::string a = test::Join({test::Join({"3", "08.12.2026 14:35"}, kSep3), "one", "0", "/p"}, kSep4);
  const std::string b = test::Join({test::Join({"2", "08.12.2026 "}, kSep3), std::string("two") + kSep1 + "1 000.00", "1", "/p"}, kSep4);
  t.write(t.data("mess-now.dat"), {a, b});
  host.handleMessage(1034, 0, 513);
  EXPECT_EQ(events.last(), "present 2");
  const auto list = host.reminders();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].when, "08.12.2026 14:35");
  EXPECT_EQ(list[1].when, "08.12.2026");
  EXPECT_EQ(list[1].description, "two\t1 000.00");

  host.postpone(1, 2, 15);
  EXPECT_EQ(t.read(t.data("mess-now.dat")), Lines{a});
  EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Text", ""), "two");
  EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Hour", ""), "2");
  EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Min", ""), "15");
  host.postpone(5, 0, 5);  // no such reminder: nothing
  EXPECT_EQ(t.read(t.data("mess-now.dat")).size(), 1u);
  host.acknowledge();
  EXPECT_FALSE(FileExists(t.data("mess-now.dat")));
}

TEST_F(HostMessages, ShellCommandsComeFromHotKeys) {
  const std::string out = t.root() + "ran.txt";
  SaveBytes(t.root() + "programs.ini",
            "[HotKeys]\nA=Calc,calc,1,no-such-program;Dump,x,12," + std::string(KRAV_TEST_BIN_DIR) +
                "/test_argdump " + out + " ok\n");
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
