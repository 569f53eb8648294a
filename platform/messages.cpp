#include "platform/messages.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/runtime_dir.h"

namespace krav {
namespace {

constexpr WindowHandle kMaxHandle = 2147483647;
constexpr int kHandlesPerProcess = 64;

std::mutex& LocalMutex() {
  static std::mutex m;
  return m;
}
std::map<WindowHandle, MessageWindow*>& LocalWindows() {
  static std::map<WindowHandle, MessageWindow*> w;
  return w;
}

std::string WindowSocketPath(WindowHandle h) { return RuntimePath("wnd-" + std::to_string(h)); }

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

int DatagramSocket() { return ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// Sends one datagram; false when nobody owns the path or the queue is full.
bool SendDatagram(const std::string& path, std::string_view text, int fromFd = -1) {
  sockaddr_un addr;
  if (!MakeAddress(path, addr)) return false;
  int fd = fromFd >= 0 ? fromFd : DatagramSocket();
  if (fd < 0) return false;
  ssize_t n;
  do {
    n = ::sendto(fd, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr),
                 sizeof addr);
  } while (n < 0 && errno == EINTR);
  if (fromFd < 0) ::close(fd);
  return n == static_cast<ssize_t>(text.size());
}

bool SocketAlive(const std::string& path) {
  sockaddr_un addr;
  if (!MakeAddress(path, addr)) return false;
  int fd = DatagramSocket();
  if (fd < 0) return false;
  bool alive = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return alive;
}

// Binds a datagram socket at path, replacing a stale socket of a dead process.
// The socket is readable and writable by its owner only.
int BindAt(const std::string& path, bool replaceStale) {
  sockaddr_un addr;
  if (!MakeAddress(path, addr)) return -1;
  int fd = DatagramSocket();
  if (fd < 0) return -1;
  bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  if (!bound && errno == EADDRINUSE && replaceStale && !SocketAlive(path)) {
    ::unlink(path.c_str());
    bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  if (bound && ::chmod(path.c_str(), 0600) == 0) return fd;
  if (bound) ::unlink(path.c_str());
  ::close(fd);
  return -1;
}

std::string Format(int msg, std::int64_t w, std::int64_t l) {
  return std::to_string(msg) + " " + std::to_string(w) + " " + std::to_string(l);
}

bool ParseNumber(std::string_view& s, std::int64_t& v) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p == s.data()) return false;
  s.remove_prefix(static_cast<std::size_t>(p - s.data()));
  return true;
}

}  // namespace

bool ParseWindowMessage(std::string_view s, ParsedMessage& out) {
  std::int64_t msg = 0;
  if (!ParseNumber(s, msg) || !ParseNumber(s, out.wParam) || !ParseNumber(s, out.lParam)) return false;
  // A number an int cannot hold is refused, never cut to another message.
  if (msg < INT_MIN || msg > INT_MAX) return false;
  out.msg = static_cast<int>(msg);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  out.replyTo = std::string(s);
  return true;
}

void PostWindowMessage(WindowHandle to, int msg, std::int64_t wParam, std::int64_t lParam) {
  if (to <= 0 || to > kMaxHandle) return;
  SendDatagram(WindowSocketPath(to), Format(msg, wParam, lParam));
}

bool SendWindowMessage(WindowHandle to, int msg, std::int64_t wParam, std::int64_t lParam, int timeoutMs) {
  if (to <= 0 || to > kMaxHandle) return false;
  {
    std::unique_lock lock(LocalMutex());
    auto it = LocalWindows().find(to);
    if (it != LocalWindows().end()) {
      MessageWindow* w = it->second;
      lock.unlock();
      w->deliver(msg, wParam, lParam);
      return true;
    }
  }
  const std::string target = WindowSocketPath(to);
  if (!SocketAlive(target)) return false;

  static std::atomic<int> counter{0};
  const std::string reply = RuntimePath("reply-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  int fd = BindAt(reply, true);
  if (fd < 0) return false;
  bool answered = false;
  if (SendDatagram(target, Format(msg, wParam, lParam) + " " + reply, fd)) {
    const std::int64_t deadline = TickCount() + timeoutMs;
    for (;;) {
      const std::int64_t left = deadline - TickCount();
      if (left <= 0) break;
      pollfd p{fd, POLLIN, 0};
      int r = ::poll(&p, 1, static_cast<int>(left));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      char buf[16];
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n == 4 && std::memcmp(buf, "done", 4) == 0) {
        answered = true;
        break;
      }
    }
  }
  ::close(fd);
  ::unlink(reply.c_str());
  return answered;
}

bool WindowExists(WindowHandle handle) {
  if (handle <= 0 || handle > kMaxHandle) return false;
  return SocketAlive(WindowSocketPath(handle));
}

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
  const WindowHandle base = static_cast<WindowHandle>(::getpid()) * kHandlesPerProcess;
  for (int seq = 1; seq < kHandlesPerProcess && fd_ < 0; ++seq) {
    const WindowHandle h = base + seq;
    if (h > kMaxHandle) break;
    const std::string path = WindowSocketPath(h);
    fd_ = BindAt(path, true);
    if (fd_ >= 0) {
      handle_ = h;
      path_ = path;
    }
  }
  if (fd_ >= 0) {
    std::lock_guard lock(LocalMutex());
    LocalWindows()[handle_] = this;
  }
}

MessageWindow::~MessageWindow() {
  if (fd_ < 0) return;
  {
    std::lock_guard lock(LocalMutex());
    LocalWindows().erase(handle_);
  }
  ::close(fd_);
  ::unlink(path_.c_str());
}

void MessageWindow::deliver(int msg, std::int64_t wParam, std::int64_t lParam) {
  if (handler_) handler_(msg, wParam, lParam);
}

int MessageWindow::dispatch() {
  if (fd_ < 0) return 0;
  int count = 0;
  char buf[512];
  for (;;) {
    ssize_t n = ::recv(fd_, buf, sizeof buf - 1, MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    ParsedMessage p;
    if (!ParseWindowMessage(std::string_view(buf, static_cast<std::size_t>(n)), p)) continue;
    deliver(p.msg, p.wParam, p.lParam);
    ++count;
    // Answers go only to reply sockets of the runtime folder.
    if (const std::string prefix = RuntimePath("reply-");
        !p.replyTo.empty() && !prefix.empty() && p.replyTo.rfind(prefix, 0) == 0)
      SendDatagram(p.replyTo, "done");
  }
  return count;
}

int MessageWindow::waitAndDispatch(int timeoutMs) {
  if (fd_ < 0) return 0;
  pollfd p{fd_, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, timeoutMs);
  } while (r < 0 && errno == EINTR);
  return r > 0 ? dispatch() : 0;
}

}  // namespace krav
