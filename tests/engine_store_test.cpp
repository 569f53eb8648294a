#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <set>

#include "engine/store.h"
#include "engine/text.h"
#include "support.h"

extern char** environ;

namespace krav {
namespace {

TEST(Trash, KeepsTheLastHundredLines) {
  test::TempRoot t;
  test::FixedClock clock(MakeDateTime(2026, 12, 8, 9, 7));
  Lines hundred;
  for (int i = 0; i < 100; ++i) hundred.push_back("old" + std::to_string(i));
  t.write(t.data("mess-del.dat"), hundred);
  ASSERT_TRUE(AppendToTrash("new", t.root(), t.user()));
  const Lines trash = t.read(t.data("mess-del.dat"));
  ASSERT_EQ(trash.size(), 100u);
  EXPECT_EQ(trash.front(), "old1");
  EXPECT_EQ(trash.back(), "08.12.2026 09:07" + std::string(1, kSep4) + "new");
}

TEST(Trash, AnOverfullTrashDropsOneLinePerAppend) {
  test::TempRoot t;
  Lines many(150, "x");
  t.write(t.data("mess-del.dat"), many);
  ASSERT_TRUE(AppendToTrash("new", t.root(), t.user()));
  EXPECT_EQ(t.read(t.data("mess-del.dat")).size(), 150u);
}

TEST(Trash, FailedSaveIsReported) {
  test::TempRoot t;
  EXPECT_FALSE(AppendToTrash("x", t.root(), "nobody"));  // no such data directory
}

TEST(Journal, FileNameOfADate) {
  test::FixedClock clock(MakeDateTime(2026, 12, 8));
  EXPECT_EQ(JournalFileName("05.02.2026"), "Plan/nb202602.dat");
  EXPECT_EQ(JournalFileName("01.03.26"), "Plan/nb202603.dat");  // the year 26 is 2026
  // A text that is no date names no journal: it once read as today.
  EXPECT_EQ(JournalFileName("31.02.2026"), "");
}

TEST(Files, LinesEndedByCrLfOrLf) {
  test::TempRoot t;
  const std::string path = t.data("f.dat");
  ASSERT_TRUE(SaveBytes(path, "a\r\nb\nc"));
  EXPECT_EQ(t.read(path), (Lines{"a", "b", "c"}));
  ASSERT_TRUE(SaveBytes(path, "\r\n\r\nx\r\n"));
  EXPECT_EQ(t.read(path), (Lines{"", "", "x"}));
  Lines none{"stale"};
  EXPECT_FALSE(LoadLines(t.data("missing.dat"), none));
  EXPECT_TRUE(none.empty());
}

TEST(Files, SaveWritesCrLfAndReplacesWhole) {
  test::TempRoot t;
  const std::string path = t.data("f.dat");
  ASSERT_TRUE(SaveLines(path, {"one", "two"}));
  std::string bytes;
  ASSERT_TRUE(LoadBytes(path, bytes));
  EXPECT_EQ(bytes, "one\r\ntwo\r\n");
  ASSERT_TRUE(SaveLines(path, {"3"}));
  ASSERT_TRUE(LoadBytes(path, bytes));
  EXPECT_EQ(bytes, "3\r\n");
}

TEST(Files, FailedSaveLeavesTheOldFile) {
  test::TempRoot t;
  const std::string path = t.data("f.dat");
  ASSERT_TRUE(SaveLines(path, {"keep"}));
  // A folder where the temporary file cannot be made.
  EXPECT_FALSE(SaveLines(t.data("nofolder/f.dat"), {"x"}));
  EXPECT_EQ(t.read(path), Lines{"keep"});
}

// A folder its user cannot write to: run unprivileged.
TEST(FilesUnprivileged, ASaveIntoAReadOnlyFolderLeavesTheOldFile) {
  KRAV_SKIP_AS_ROOT();
  test::TempRoot t;
  ForceDir(t.data("ro"));
  ASSERT_TRUE(SaveLines(t.data("ro/f.dat"), {"keep"}));
  ::chmod(FsPath(t.data("ro")).c_str(), 0500);
  EXPECT_FALSE(SaveLines(t.data("ro/f.dat"), {"lost"}));
  ::chmod(FsPath(t.data("ro")).c_str(), 0700);
  EXPECT_EQ(t.read(t.data("ro/f.dat")), Lines{"keep"});
}

TEST(Files, ForceDirMakesEveryLevel) {
  test::TempRoot t;
  ForceDir(t.root() + "a/b/c");
  EXPECT_TRUE(DirExists(t.root() + "a/b/c"));
  EXPECT_FALSE(DirExists(t.root() + "a/b/c/d"));
  ForceDir("/proc/forbidden/x");  // stops quietly
  EXPECT_FALSE(DirExists("/proc/forbidden"));
}

pid_t StartAppender(const std::string& root, const std::string& user, const std::string& tag) {
  const std::string prog = std::string(KRAV_TEST_BIN_DIR) + "/test_append_records";
  std::vector<std::string> args{prog, root, user, tag, "1000"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  EXPECT_EQ(::posix_spawn(&pid, prog.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  return pid;
}

TEST(Store, TwoProcessesAppendingAtOnceLoseNothing) {
  test::TempRoot t;
  const pid_t a = StartAppender(t.root(), t.user(), "a");
  const pid_t b = StartAppender(t.root(), t.user(), "b");
  for (pid_t p : {a, b}) {
    int status = 0;
    ASSERT_EQ(::waitpid(p, &status, 0), p);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const Lines lines = t.read(t.data("mess.dat"));
  EXPECT_EQ(lines.size(), 2000u);
  EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), 2000u);
}

}  // namespace
}  // namespace krav
