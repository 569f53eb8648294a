// Files that cannot be read are never written over; saves survive links and
// kills. The cases named Unreadable.* need a file its owner cannot read, so
// CTest also runs them as an unprivileged user when the tests run as root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "engine/collect.h"
#include "engine/store.h"
#include "platform/file_lock.h"
#include "platform/ini.h"
#include "support.h"

namespace krav {
namespace {

namespace fs = std::filesystem;

Lines Numbered(int n) {
  Lines lines;
  for (int i = 0; i < n; ++i) lines.push_back("record " + std::to_string(i));
  return lines;
}

std::string Bytes(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(LoadBytes(path, bytes)) << path;
  return bytes;
}

// Makes a file unreadable for its owner while the object lives.
class Unreadable {
 public:
  explicit Unreadable(const std::string& path) : path_(FsPath(path)) { ::chmod(path_.c_str(), 0); }
  ~Unreadable() { ::chmod(path_.c_str(), 0644); }

 private:
  std::string path_;
};

#define SKIP_AS_ROOT() KRAV_SKIP_AS_ROOT()

TEST(Unreadable, AppendingToAStoreThatCannotBeReadChangesNothing) {
  SKIP_AS_ROOT();
  test::TempRoot t;
  t.write(t.data("mess.dat"), Numbered(100));
  const std::string before = Bytes(t.data("mess.dat"));
  {
    Unreadable lock(t.data("mess.dat"));
    EXPECT_FALSE(AppendLines(t.dataDir(), t.data("mess.dat"), {"new"}));
  }
  EXPECT_EQ(Bytes(t.data("mess.dat")), before);
}

TEST(Unreadable, TrashAndSettingsThatCannotBeReadStayAsTheyWere) {
  SKIP_AS_ROOT();
  test::TempRoot t;
  t.write(t.data("mess-del.dat"), Numbered(50));
  const std::string ini = t.data("krav2000.ini");
  ASSERT_TRUE(SaveBytes(ini, "[Buh]\r\nBase=RUB\r\n[Appl]\r\nVoza=1\r\n"));
  const std::string trashBefore = Bytes(t.data("mess-del.dat")), iniBefore = Bytes(ini);
  {
    Unreadable a(t.data("mess-del.dat")), b(ini);
    EXPECT_FALSE(AppendToTrash("x", t.root(), t.user()));
    EXPECT_FALSE(WriteIniString(ini, "Appl", "Voza", "2"));
    EXPECT_FALSE(IniFileIntact(ini));
  }
  EXPECT_EQ(Bytes(t.data("mess-del.dat")), trashBefore);
  EXPECT_EQ(Bytes(ini), iniBefore);
}

TEST(Unreadable, ACollectionOverAnUnreadableStoreSaysSoAndRemovesNothing) {
  SKIP_AS_ROOT();
  test::TempRoot t;
  t.write(t.data("mess.dat"), {test::Record("3", "1|01.01.2001", "", "21", "old")});
  const std::string before = Bytes(t.data("mess.dat"));
  Lines out;
  {
    Unreadable lock(t.data("mess.dat"));
    EXPECT_FALSE(
        CollectRange(out, MakeDateTime(2026, 1, 1), MakeDateTime(2026, 1, 1), t.root(), t.user(), {true, true}));
  }
  EXPECT_EQ(Bytes(t.data("mess.dat")), before);
  EXPECT_FALSE(FileExists(t.data("mess-del.dat")));
}

// A directory where the file should be cannot be read as a file, even by root.
TEST(ReadModifyWrite, ADirectoryInTheFilesPlaceIsLeftAlone) {
  test::TempRoot t;
  ForceDir(t.data("mess.dat"));
  ForceDir(t.data("mess-del.dat"));
  ForceDir(t.data("krav2000.ini"));
  EXPECT_FALSE(AppendLines(t.dataDir(), t.data("mess.dat"), {"new"}));
  EXPECT_FALSE(AppendToTrash("x", t.root(), t.user()));
  EXPECT_FALSE(WriteIniString(t.data("krav2000.ini"), "A", "b", "c"));
  EXPECT_TRUE(DirExists(t.data("mess.dat")));
  EXPECT_TRUE(DirExists(t.data("mess-del.dat")));
  EXPECT_TRUE(DirExists(t.data("krav2000.ini")));
  Lines out;
  EXPECT_FALSE(CollectRange(out, MakeDateTime(2026, 1, 1), MakeDateTime(2026, 1, 1), t.root(), t.user()));
  // A missing file is an empty one.
  EXPECT_TRUE(AppendLines(t.dataDir(), t.data("mess-now.dat"), {"due"}));
  EXPECT_EQ(t.read(t.data("mess-now.dat")), Lines{"due"});
}

TEST(Ini, ADamagedFileIsNeverWrittenOver) {
  test::TempRoot t;
  const std::string ini = t.data("krav2000.ini");
  const std::string withNul = std::string("[Users]\r\nActive=Гость\r\n\0[Main]\r\nHandle=5\r\n", 40);
  const std::string garbage = "[Users]\r\nActive=a\r\n\x01\x02\xff binary\r\n[Main]\r\nHandle=5\r\n";
  const std::string openSection = "[Users\r\nActive=a\r\n";
  for (const std::string& text : {withNul, garbage, openSection}) {
    ASSERT_TRUE(SaveBytes(ini, text));
    EXPECT_FALSE(IniFileIntact(ini));
    EXPECT_FALSE(WriteIniString(ini, "Users", "Active", "x"));
    EXPECT_EQ(Bytes(ini), text);
  }
  // Comments, blank lines, indented keys and empty values are a whole file.
  const std::string good = "; note\r\n\r\n[Users]\r\n  Active=a\r\nEmpty=\r\n# other\r\n[Main]\r\nHandle=5\r\n";
  ASSERT_TRUE(SaveBytes(ini, good));
  EXPECT_TRUE(IniFileIntact(ini));
  EXPECT_TRUE(WriteIniString(ini, "Main", "Handle", "6"));
  EXPECT_EQ(ReadIniString(ini, "Users", "Active", ""), "a");
  EXPECT_EQ(ReadIniString(ini, "Main", "Handle", ""), "6");
}

TEST(Files, ASaveWritesThroughASymbolicLink) {
  test::TempRoot t;
  ForceDir(t.root() + "elsewhere");
  const std::string target = t.root() + "elsewhere/mess.dat";
  t.write(target, {"one"});
  fs::create_symlink(FsPath(target), FsPath(t.data("mess.dat")));
  ASSERT_TRUE(AppendLines(t.dataDir(), t.data("mess.dat"), {"two"}));
  EXPECT_TRUE(fs::is_symlink(FsPath(t.data("mess.dat"))));
  EXPECT_EQ(t.read(target), (Lines{"one", "two"}));
  // A relative link, and a link to a file not yet there.
  fs::create_symlink("../../elsewhere/new.dat", FsPath(t.data("new.dat")));
  ASSERT_TRUE(SaveLines(t.data("new.dat"), {"x"}));
  EXPECT_TRUE(fs::is_symlink(FsPath(t.data("new.dat"))));
  EXPECT_EQ(t.read(t.root() + "elsewhere/new.dat"), Lines{"x"});
}

std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(FsPath(folder)))
    if (e.path().filename().string().find(".tmp") != std::string::npos) found.push_back(e.path().filename());
  return found;
}

TEST(Files, LeftoversOfKilledSavesGoButALiveSavesFileStays) {
  test::TempRoot t;
  const std::string store = t.data("mess.dat");
  const std::string dead = FsPath(store) + ".tmpAb12Cd", live = FsPath(store) + ".tmpZz99Yy";
  ASSERT_TRUE(SaveBytes(dead, "half a store"));
  ASSERT_TRUE(SaveBytes(live, "being written"));
  const int liveFd = ::open(live.c_str(), O_RDONLY);
  ASSERT_GE(liveFd, 0);
  ASSERT_EQ(::flock(liveFd, LOCK_EX), 0);  // as a save in progress holds it
  ASSERT_TRUE(SaveLines(store, {"x"}));
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(live));
  ::close(liveFd);
  ASSERT_TRUE(SaveLines(t.data("other.dat"), {"y"}));  // another file's save leaves it
  EXPECT_TRUE(fs::exists(live));
  ASSERT_TRUE(SaveLines(store, {"x"}));
  EXPECT_FALSE(fs::exists(live));
  // A batch of saves is swept when it is flushed: every file's leftovers go.
  const std::string other = FsPath(t.data("nb202601.ost")) + ".tmpQq11Ww";
  ASSERT_TRUE(SaveBytes(other, "half a month"));
  ASSERT_TRUE(SaveLines(t.data("nb202602.ost"), {"y"}, Flush::Later));
  EXPECT_TRUE(fs::exists(other));
  ASSERT_TRUE(FlushFileSystem(t.dataDir()));
  EXPECT_FALSE(fs::exists(other));
}

TEST(Files, SavesKilledMidwayLeaveNoTemporaryFiles) {
  test::TempRoot t;
  const std::string store = t.data("mess.dat");
  const Lines big = Numbered(100000);
  for (int kill = 0; kill < 20; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) (void)SaveLines(store, big, Flush::Later);
    }
    ::usleep(static_cast<useconds_t>(3000 + kill * 1700));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  ASSERT_TRUE(SaveLines(store, {"last"}));
  EXPECT_EQ(Leftovers(t.dataDir()), std::vector<std::string>{});
  EXPECT_EQ(t.read(store), Lines{"last"});
}

// A lock another process holds is waited for only so long: then the lock
// is not held, and an update refuses to write instead of hanging.
TEST(Files, ALockHeldElsewhereIsWaitedForWithALimit) {
  test::TempRoot t;
  const std::string lockFile = t.data(".krav.lock");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    TryFileLock held(lockFile);
    const char c = held.held() ? '1' : '0';
    (void)!::write(ready[1], &c, 1);
    ::pause();
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, '1');
  const std::int64_t start = TickCount();
  FileLock waited(lockFile, 300);
  const std::int64_t waitedMs = TickCount() - start;
  EXPECT_FALSE(waited.held());
  EXPECT_GE(waitedMs, 250);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  FileLock free(lockFile, 300);
  EXPECT_TRUE(free.held());
}

TEST(Files, ALockFileThatIsASymbolicLinkIsRefused) {
  test::TempRoot t;
  const std::string victim = t.root() + "victim";
  fs::create_symlink(FsPath(victim), FsPath(t.data(".krav.lock")));
  DataDirLock lock(t.dataDir());
  EXPECT_FALSE(lock.held());
  EXPECT_FALSE(fs::exists(FsPath(victim)));
  TryFileLock mutex(t.data(".krav.lock"));
  EXPECT_FALSE(mutex.held());
}

}  // namespace
}  // namespace krav
