#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "engine/text.h"
#include "platform/instance.h"
#include "platform/messages.h"
#include "platform/runtime_dir.h"
#include "support.h"

extern char** environ;

namespace krav {
namespace {

class Peer {
 public:
  explicit Peer(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(KRAV_TEST_BIN_DIR) + "/test_peer");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    EXPECT_EQ(::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  }
  ~Peer() { wait(); }
  int wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
};

// Waits until a file exists and returns its text.
std::string WaitForFile(const std::string& path, int ms = 10000) {
  std::string bytes;
  for (int i = 0; i < ms / 10; ++i) {
    if (LoadBytes(path, bytes) && !bytes.empty()) return bytes;
    ::usleep(10 * 1000);
  }
  return {};
}

class Messages : public ::testing::Test {
 protected:
  test::TempRoot t;
  void SetUp() override { ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1); }
  void TearDown() override { ::unsetenv("KRAV_RUNTIME_DIR"); }
};

TEST_F(Messages, PostAndSendBetweenProcesses) {
  const std::string file = t.root() + "peer";
  Peer peer({"window", file});
  const WindowHandle h = TextToInt(WaitForFile(file));
  ASSERT_GT(h, 0);
  EXPECT_TRUE(WindowExists(h));
  EXPECT_EQ(FindWindowByCaption("Peer window"), h);

  PostWindowMessage(h, 1034, 0, 513);
  PostWindowMessage(h, 8125, -7, -2147483648LL);
  // Send waits for the slow handler: its line is there when Send returns.
  EXPECT_TRUE(SendWindowMessage(h, 7777, 1, 2));
  Lines log;
  LoadLines(file + ".log", log);
  EXPECT_EQ(log, (Lines{"1034 0 513", "8125 -7 -2147483648", "7777 1 2"}));

  PostWindowMessage(h, 9999, 0, 0);
  EXPECT_EQ(peer.wait(), 0);
  EXPECT_FALSE(WindowExists(h));
  EXPECT_EQ(FindWindowByCaption("Peer window"), 0);
}

TEST_F(Messages, NoWindowMeansNoWaitAndNoError) {
  const std::int64_t start = TickCount();
  EXPECT_FALSE(SendWindowMessage(123456789, 3044, 0, 0));
  EXPECT_FALSE(SendWindowMessage(0, 3044, 0, 0));
  EXPECT_LT(TickCount() - start, 2000);
  PostWindowMessage(0, 1, 0, 0);
  PostWindowMessage(-5, 1, 0, 0);

  // A stale socket left by a dead process: the post is lost silently.
  const std::string stale = RuntimeDir() + "/wnd-424242";
  int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, stale.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ::close(fd);
  EXPECT_FALSE(WindowExists(424242));
  PostWindowMessage(424242, 8125, 0, 0);
  EXPECT_FALSE(SendWindowMessage(424242, 3044, 0, 0));
}

TEST_F(Messages, WindowsOfOneProcess) {
  std::vector<std::string> got;
  MessageWindow a([&](int m, std::int64_t w, std::int64_t l) {
    got.push_back(std::to_string(m) + "/" + std::to_string(w) + "/" + std::to_string(l));
  });
  MessageWindow b([](int, std::int64_t, std::int64_t) {});
  ASSERT_TRUE(a.valid() && b.valid());
  EXPECT_NE(a.handle(), b.handle());
  // A send to a window of this process is handled at once, without a wait.
  EXPECT_TRUE(SendWindowMessage(a.handle(), 3044, 0, 0));
  EXPECT_EQ(got, std::vector<std::string>{"3044/0/0"});
  PostWindowMessage(a.handle(), 2023, -1, 5);
  EXPECT_EQ(a.waitAndDispatch(2000), 1);
  EXPECT_EQ(got.back(), "2023/-1/5");
}

// Sends a raw datagram to a window's socket, as any local program could.
void SendRaw(WindowHandle to, const std::string& text) {
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, (RuntimeDir() + "/wnd-" + std::to_string(to)).c_str());
  EXPECT_EQ(::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr),
            static_cast<ssize_t>(text.size()));
  ::close(fd);
}

TEST_F(Messages, NumbersBeyondThirtyTwoBitsAreRefusedAndSocketsAreTheOwnersOnly) {
  std::vector<int> got;
  MessageWindow w([&](int m, std::int64_t, std::int64_t) { got.push_back(m); });
  ASSERT_TRUE(w.valid());
  struct stat st {};
  ASSERT_EQ(::stat((RuntimeDir() + "/wnd-" + std::to_string(w.handle())).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // 4294968327 is 1031 (shell command 7) once cut to 32 bits.
  SendRaw(w.handle(), "4294968327 0 0");
  SendRaw(w.handle(), "-2147483649 0 0");
  SendRaw(w.handle(), "1031 99999999999999999999 0");
  SendRaw(w.handle(), "2147483647 0 0");
  w.waitAndDispatch(2000);
  EXPECT_EQ(got, std::vector<int>{2147483647});
}

TEST(RuntimeFolder, AFolderOthersCanReachIsRefused) {
  test::TempRoot t;
  const std::string dir = t.root() + "run";
  ::setenv("KRAV_RUNTIME_DIR", dir.c_str(), 1);
  std::string why;
  ASSERT_TRUE(RuntimeDirUsable(&why)) << why;
  struct stat st {};
  ASSERT_EQ(::stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  ::chmod(dir.c_str(), 0777);
  EXPECT_FALSE(RuntimeDirUsable(&why));
  EXPECT_NE(why.find("open to other users"), std::string::npos) << why;
  EXPECT_EQ(RuntimeDir(), "");
  EXPECT_FALSE(MessageWindow([](int, std::int64_t, std::int64_t) {}).valid());
  EXPECT_FALSE(NamedMutex("x").owned());
  ::chmod(dir.c_str(), 0700);

  // Made beforehand by another user.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(RuntimeDirUsable(&why));
    EXPECT_NE(why.find("belongs to another user"), std::string::npos) << why;
    ASSERT_EQ(::chown(dir.c_str(), 0, 0), 0);
  }
  // A symbolic link in the folder's place.
  ::rmdir(dir.c_str());
  ForceDir(t.root() + "real");
  ::chmod((t.root() + "real").c_str(), 0700);
  ASSERT_EQ(::symlink((t.root() + "real").c_str(), dir.c_str()), 0);
  EXPECT_FALSE(RuntimeDirUsable(&why));
  EXPECT_NE(why.find("not a folder"), std::string::npos) << why;
  ::unsetenv("KRAV_RUNTIME_DIR");
}

TEST_F(Messages, NamedMutexBetweenProcesses) {
  const std::string ready = t.root() + "ready";
  {
    Peer holder({"mutex", "mess-single", ready});
    ASSERT_EQ(WaitForFile(ready), "owned");
    EXPECT_FALSE(NamedMutex("mess-single").owned());
    EXPECT_TRUE(NamedMutex("other").owned());
    RemoveFile(ready);
  }
  EXPECT_TRUE(NamedMutex("mess-single").owned());
  NamedMutex mine("mess-single");
  ASSERT_TRUE(mine.owned());
  Peer second({"mutex", "mess-single", ready});
  EXPECT_EQ(WaitForFile(ready), "busy");
  RemoveFile(ready);
}

}  // namespace
}  // namespace krav
