// The whole road of a reminder: the built host, headless, loads the built
// plug-in from a root directory, presents what fell due and postpones it.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

extern char** environ;

namespace krav {
namespace {

using test::Record;

// Runs the host until it quits and returns its standard output.
std::string RunHost(const std::vector<std::string>& args) {
  std::vector<std::string> all{std::string(KRAV_BUILD_DIR) + "/host/shellhost", "--headless"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (::pipe(out) != 0) return {};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
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
  return text;
}

TEST(HostEndToEnd, ADueReminderIsPresentedAndPostponed) {
  // The host's sanitizers would count Qt's own allocations at exit as leaks.
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  for (int attempt = 0; attempt < 3; ++attempt) {
    test::TempRoot t;
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so", t.root() + "libdorvik.so");
    WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user());
    const DateTime start = Now();
    const std::string today = DateToText(start), minute = TimeToText(start);
    t.write(t.data("mess.dat"), {Record("3", "1|" + today, "", "22|" + minute, Ru("Чай")),
                                 Record("3", "1|" + today, "", "21", Ru("Весь день"))});
    const std::string out = RunHost({"--root", t.root(), "--postpone", "0:0:30", "--exit-after", "4"});
    if (TimeToText(Now() - 4.0 / 86400) != minute) continue;  // the minute turned over: again

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
    const std::string expected = Record("3", "1|" + DateToText(later), "", "22|" + TimeToText(later), Ru("Весь день"));
    EXPECT_EQ(store[2], expected);
    EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Min", ""), "30");
    ::unsetenv("KRAV_RUNTIME_DIR");
    return;
  }
  FAIL() << "the minute turned over three times";
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

}  // namespace
}  // namespace krav
