// The host on its own thread: the windows' thread goes on while the
// plug-in pauses in its due check, and while the plug-in's snooze waits for
// the planner, the planner's settings page sends to the host.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include "app/main_window/settings_page.h"
#include "host/host_thread.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "platform/messages.h"
#include "qt_support.h"
#include "shell/messages.h"
#include "shell/settings_keys.h"
#include "support.h"

namespace krav::host {
namespace {

class HostOnItsThread : public ::testing::Test {
 protected:
  QApplication& app = test::TestApp();
  test::TempRoot t;
  void SetUp() override {
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    ASSERT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so", t.root() + "libdorvik.so");
  }
  void TearDown() override { ::unsetenv("KRAV_RUNTIME_DIR"); }

  // Runs the window thread's events until `done` or 20 s; counts the turns
  // of a 20 ms timer meanwhile.
  int runUntil(const std::function<bool()>& done) {
    int turns = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++turns; });
    beat.start(20);
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 10);
    return turns;
  }
};

TEST_F(HostOnItsThread, TheWindowThreadGoesOnWhileThePlugInPausesInItsDueCheck) {
  // The plug-in's clock is the real one: a reminder due in this very minute.
  while (std::fmod(Now() * 86400.0, 60.0) > 40.0) QApplication::processEvents(QEventLoop::AllEvents, 200);
  const DateTime now = Now();
  t.write(t.data("mess.dat"), {test::Record("3", "1|" + DateToText(now), "", "22|" + TimeToText(now), "tea")});

  ShellHost host(t.root());
  QObject here;  // the receiver on the window thread
  bool presented = false;
  QObject::connect(&host, &ShellHost::present, &here, [&](const std::vector<Reminder>& list) {
    EXPECT_EQ(QThread::currentThread(), app.thread());
    presented = !list.empty();
  });
  HostThread thread(host);
  bool started = false;
  QElapsedTimer clock;
  clock.start();
  // The start runs InitIf, whose due check pauses 1.2 s before asking to present.
  OnHostThread(host, [&] { started = host.start(); });
  const int turns = runUntil([&] { return presented; });
  ASSERT_TRUE(presented);
  EXPECT_TRUE(started);
  EXPECT_GE(clock.elapsed(), 1000);
  // A window thread held by the pause would have turned a few times at most.
  EXPECT_GE(turns, 10) << "in " << clock.elapsed() << " ms";
}

TEST_F(HostOnItsThread, ThePlannerAnswersTheSnoozeWhileItsSettingsPageSendsToTheHost) {
  // The planner's window on this thread, named where the plug-in looks for it.
  int reloads = 0;
  MessageWindow planner([&](int msg, std::int64_t, std::int64_t) { reloads += msg == shell::kMsgReloadList; });
  ASSERT_TRUE(planner.valid());
  QSocketNotifier plannerReads(planner.fd(), QSocketNotifier::Read);
  QObject::connect(&plannerReads, &QSocketNotifier::activated, [&] { planner.dispatch(); });
  ASSERT_TRUE(WriteIniString(t.root() + "krav2000.ini", shell::kProgramWindow.section, shell::kProgramWindow.key,
                             std::to_string(planner.handle())));
  t.write(t.data("mess.dat"), {"keep"});
  t.write(t.data("mess-now.dat"),
          {test::Join({test::Join({"3", "08.12.2026 14:35"}, kSep3), "tea", "0", "/p"}, kSep4)});
  t.write(t.root() + "bell.wav", {"RIFF"});
  ForceDir(t.dataDir());
  ASSERT_TRUE(WriteIniString(t.data("krav2000.ini"), shell::kSoundFile.section, shell::kSoundFile.key, "bell.wav"));

  ShellHost host(t.root());
  QObject here;
  int played = 0;
  QObject::connect(&host, &ShellHost::playSound, &here, [&](const QString&) { ++played; });
  HostThread thread(host);
  bool started = false;
  thread.call([&] { started = host.start(); });
  ASSERT_TRUE(started);

  // The host snoozes (the plug-in sends to the planner and waits for its
  // answer) while the planner's settings page plays a sound through the host.
  std::optional<bool> postponed;
  OnHostThread(host, [&] {
    const bool ok = host.postpone(0, 0, 5);
    QMetaObject::invokeMethod(&here, [&, ok] { postponed = ok; });
  });
  const app::ProgramContext context = app::ProgramContext::ForRoot(t.root());
  app::SettingsPage page(context);
  page.load();
  QElapsedTimer clock;
  clock.start();
  page.play();
  page.stop();
  EXPECT_LT(clock.elapsed(), 1000) << "the settings page waited for the host";
  runUntil([&] { return postponed.has_value() && played > 0; });
  ASSERT_TRUE(postponed.has_value());
  EXPECT_TRUE(*postponed);
  EXPECT_EQ(reloads, 1);  // the plug-in's message was answered, not timed out
  EXPECT_EQ(played, 1);
  EXPECT_FALSE(FileExists(t.data("mess-now.dat")));
}

}  // namespace
}  // namespace krav::host
