// The whole road of a reminder: the built host, headless, loads the built
// plug-in from a root directory, presents what fell due and postpones it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>

#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "support.h"

extern char** environ;

namespace krav {
namespace {

using test::Record;

// Runs the host until it quits and returns its standard output (with its
// standard error); its exit status goes to *status.
std::string RunHost(const std::vector<std::string>& args, bool headless = true, int* exitStatus = nullptr) {
  std::vector<std::string> all{std::string(KRAV_BUILD_DIR) + "/host/shellhost"};
  if (headless) all.push_back("--headless");
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (::pipe(out) != 0) return {};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&fa, out[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&fa, out[0]);
  posix_spawn_file_actions_addopen(&fa, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  ::close(out[1]);
  std::string text;
  char buf[4096];
  ssize_t n;
  while (rc == 0 && (n = ::read(out[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  if (rc == 0) ::waitpid(pid, &status, 0);
  if (exitStatus) *exitStatus = rc != 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return text;
}

// Waits until `done` holds, polling, for at most `limitMs`; whether it held.
bool WaitUntil(const std::function<bool()>& done, int limitMs) {
  const std::int64_t start = TickCount();
  while (!done()) {
    if (TickCount() - start > limitMs) return false;
    ::usleep(20 * 1000);
  }
  return true;
}

// Waits, if need be, for the next minute to begin, so that a run of up to
// `seconds` ends in the minute it started in.
void StartWithMinuteLeft(int seconds) {
  // Seconds since the day numbers' start pass the range of an int: the
  // remainder is taken in 64 bits.
  const auto secondOfMinute = [] { return static_cast<int>(std::llround(Now() * 86400.0) % 60); };
  if (60 - secondOfMinute() > seconds) return;
  ASSERT_TRUE(WaitUntil([&] { return secondOfMinute() < 2; }, 65 * 1000));
}

// Waits for every process started under this one, orphans included (this
// process is made their reaper), for at most `limitMs`.
bool WaitForDescendants(int limitMs) {
  return WaitUntil(
      [] {
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        return errno == ECHILD;
      },
      limitMs);
}

TEST(HostEndToEnd, ADueReminderIsPresentedAndPostponed) {
  // The host's sanitizers would count Qt's own allocations at exit as leaks.
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  {
    StartWithMinuteLeft(20);
    test::TempRoot t;
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so", t.root() + "libdorvik.so");
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    const DateTime start = Now();
    const std::string today = DateToText(start), minute = TimeToText(start);
    t.write(t.data("mess.dat"), {Record("3", "1|" + today, "", "22|" + minute, Ru("Чай")),
                                 Record("3", "1|" + today, "", "21", Ru("Весь день"))});
    const std::string out = RunHost({"--root", t.root(), "--postpone", "0:0:30", "--exit-after", "4"});
    ASSERT_EQ(TimeToText(Now()), minute) << "the run outlasted the minute it was started in";

    EXPECT_NE(out.find("plugin InitIf " + t.root()), std::string::npos) << out;
    EXPECT_NE(out.find("message 1034 0 513"), std::string::npos) << out;
    EXPECT_NE(out.find("present 2"), std::string::npos) << out;
    EXPECT_NE(out.find("reminder 0: " + today + " | Весь день"), std::string::npos) << out;
    EXPECT_NE(out.find("reminder 1: " + today + " " + minute + " | Чай"), std::string::npos) << out;
    EXPECT_NE(out.find("speak Чай"), std::string::npos) << out;
    EXPECT_NE(out.find("plugin FreeIf"), std::string::npos) << out;

    const Lines log = t.read(t.root() + "dump.tmp");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find(Ru("> Событие 3")), std::string::npos);
    // The postponed reminder left the due list; the other one waits.
    const Lines due = t.read(t.data("mess-now.dat"));
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(GetField(due[0], kSep4, 2), Ru("Чай"));
    const Lines store = t.read(t.data("mess.dat"));
    ASSERT_EQ(store.size(), 3u);
    const DateTime later = start + 30.0 / 1440;
    const std::string expected =
        Record("3", "1|" + DateToText(later), "", "22|" + TimeToText(later), Ru("Весь день"));
    EXPECT_EQ(store[2], expected);
    EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Min", ""), "30");
    ::unsetenv("KRAV_RUNTIME_DIR");
  }
}

TEST(HostEndToEnd, AMissingPlugInIsReportedAndTheHostRuns) {
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  test::TempRoot t;
  ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
  const std::string out = RunHost({"--root", t.root(), "--exit-after", "2"});
  EXPECT_NE(out.find("plug-in not loaded"), std::string::npos) << out;
  EXPECT_NE(out.find("plugin CheckIf 1"), std::string::npos) << out;
  // The host made the root usable and stored its window.
  EXPECT_TRUE(FileExists(t.root() + "programs.ini"));
  EXPECT_TRUE(DirExists(t.root() + "Users"));
  EXPECT_NE(ReadIniString(t.root() + "krav2000.ini", "Main", "Handle", "0"), "0");
  EXPECT_NE(ReadIniString(t.root() + "krav2000.ini", "Users", "Active", ""), "");
  ::unsetenv("KRAV_RUNTIME_DIR");
}

// A root whose reminder falls due now, with the shipped sound.
void PrepareDueRoot(const test::TempRoot& t) {
  std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so", t.root() + "libdorvik.so");
  const std::string sound = t.root() + "Кравитор2000/Sound/";
  ForceDir(Utf8ToCp1251(sound));
  std::filesystem::copy_file(std::string(KRAV_SOURCE_DIR) + "/data/root/Кравитор2000/Sound/message.wav",
                             sound + "message.wav");
  EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
  const DateTime now = Now();
  t.write(t.data("mess.dat"), {Record("3", "1|" + DateToText(now), "", "22|" + TimeToText(now), "tea"),
                               Record("3", "1|" + DateToText(now), "", "21", "all day")});
}

TEST(HostEndToEnd, WithWindowsTheHostPlaysOrGoesOnWithoutSound) {
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  for (const bool brokenBackend : {false, true}) {
    SCOPED_TRACE(brokenBackend ? "no GStreamer plug-ins" : "the installed media backend");
    test::TempRoot t;
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    if (brokenBackend) {
      ForceDir(t.root() + "noplugins");
      ::setenv("GST_PLUGIN_SYSTEM_PATH_1_0", (t.root() + "noplugins").c_str(), 1);
      ::setenv("GST_PLUGIN_PATH_1_0", (t.root() + "noplugins").c_str(), 1);
      ::setenv("GST_REGISTRY_1_0", (t.root() + "registry.bin").c_str(), 1);
    }
    StartWithMinuteLeft(20);
    const std::string minute = TimeToText(Now());
    PrepareDueRoot(t);
    int status = -1;
    const std::string out = RunHost({"--root", t.root(), "--exit-after", "4"}, false, &status);
    ASSERT_EQ(TimeToText(Now()), minute) << "the run outlasted the minute it was started in";
    for (const char* v :
         {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0", "GST_REGISTRY_1_0", "KRAV_RUNTIME_DIR"})
      ::unsetenv(v);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("message 1034 0 513"), std::string::npos) << out;
    EXPECT_NE(out.find("message 8125"), std::string::npos) << out;
    EXPECT_EQ(out.find("no sound:") != std::string::npos, brokenBackend) << out;
  }
}

TEST(HostEndToEnd, OneHostPerRootHoweverItIsSpelled) {
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  test::TempRoot t;
  ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
  const std::string link = t.root() + "link";
  std::filesystem::create_directory_symlink(t.root(), link);
  std::vector<pid_t> hosts;
  for (const std::string& spelling : {t.root(), t.root() + "/", link, t.root() + "Temp/.."}) {
    int status = -1;
    if (spelling == t.root()) {
      // The first host runs in the background for the others to meet.
      const pid_t pid = ::fork();
      if (pid == 0) {
        (void)RunHost({"--root", spelling, "--exit-after", "4"});
        ::_exit(0);
      }
      hosts.push_back(pid);
      // On until the first host holds the root's mutex.
      ASSERT_TRUE(WaitUntil(
          [&] {
            std::error_code ec;
            for (const auto& e : std::filesystem::directory_iterator(t.root() + "run", ec))
              if (e.path().filename().string().rfind("mutex-shellhost-", 0) == 0 &&
                  !TryFileLock(e.path().string()).held())
                return true;
            return false;
          },
          10 * 1000));
      continue;
    }
    const std::string out = RunHost({"--root", spelling, "--exit-after", "3"}, true, &status);
    EXPECT_EQ(status, 0) << spelling << "\n" << out;  // a second host ends quietly
    EXPECT_NE(out.find("another host already runs"), std::string::npos) << out;
  }
  for (pid_t p : hosts) ::waitpid(p, nullptr, 0);
  ::unsetenv("KRAV_RUNTIME_DIR");
}

TEST(HostEndToEnd, ARootWithALetterOutsideTheCodePageIsRefused) {
  test::TempRoot t;
  const std::string root = t.root() + "Łódź";
  int status = -1;
  const std::string out = RunHost({"--root", root, "--exit-after", "1"}, true, &status);
  EXPECT_EQ(status, 2) << out;
  EXPECT_NE(out.find("\"Ł\""), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(root));
  EXPECT_FALSE(std::filesystem::exists(t.root() + "?ód?"));  // the name as cp1251 would spell it
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(t.root())) ++entries;
  EXPECT_EQ(entries, 2u);  // Temp and Users of the test root only
}

TEST(HostEndToEnd, AGapOfThreeHoursIsToldOnceAndItsActionNotRun) {
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  test::TempRoot t;
  ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
  std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so", t.root() + "libdorvik.so");
  EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
  const DateTime now = Now();
  auto at = [&](double hoursAgo) { return now - hoursAgo / 24; };
  const std::string ran = t.root() + "ran.txt";
  t.write(t.data("mess.dat"), {Record("3", "1|" + DateToText(at(2)), "", "22|" + TimeToText(at(2)), "first"),
                               Record("3", "1|" + DateToText(at(1)), "", "22|" + TimeToText(at(1)), "second"),
                               Record("4", "1|" + DateToText(at(1.5)), "", "22|" + TimeToText(at(1.5)), "act") +
                                   kSep3 + "P" + kSep2 + std::string(KRAV_TEST_BIN_DIR) + "/test_argdump|" + ran});
  ForceDir(t.root() + "Temp");
  ASSERT_TRUE(SaveBytes(t.root() + "Temp/shellhost.poll", DateToText(at(3)) + " " + TimeToText(at(3)) + "\n"));
  // Whatever the host starts ends up under this process, to be waited for.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  const std::string out = RunHost({"--root", t.root(), "--exit-after", "2"});
  EXPECT_NE(out.find("missed 3"), std::string::npos) << out;
  EXPECT_NE(out.find("| first"), std::string::npos) << out;
  EXPECT_NE(out.find("| act"), std::string::npos) << out;
  EXPECT_NE(out.find("Пропущено: " + DateToText(at(2)) + " " + TimeToText(at(2))), std::string::npos) << out;
  ASSERT_TRUE(WaitForDescendants(10 * 1000));  // whatever the host started has ended
  EXPECT_FALSE(FileExists(ran));                // listed, never run
  const std::string again = RunHost({"--root", t.root(), "--exit-after", "2"});
  EXPECT_EQ(again.find("missed"), std::string::npos) << again;
  ::unsetenv("KRAV_RUNTIME_DIR");
}

}  // namespace
}  // namespace krav
