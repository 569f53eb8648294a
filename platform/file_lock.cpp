#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <map>
#include <mutex>

#include "platform/files.h"

namespace krav {
namespace {

struct Held {
  int fd = -1;
  int depth = 0;
};

std::recursive_timed_mutex& ProcessMutex() {
  static std::recursive_timed_mutex m;
  return m;
}

std::map<std::string, Held>& Table() {
  static std::map<std::string, Held> t;
  return t;
}

int OpenLockFile(const std::string& fsPath) {
  // A symbolic link in the lock's place is refused: it could make us create or
  // truncate another file.
  return ::open(fsPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
}

}  // namespace

FileLock::FileLock(const std::string& lockFilePath, int waitMs) : key_(FsPath(lockFilePath)) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  if (!ProcessMutex().try_lock_until(deadline)) return;
  Held& h = Table()[key_];
  if (h.depth == 0) {
    h.fd = OpenLockFile(key_);
    bool locked = h.fd >= 0;
    // Another process holds it: polled until the deadline, so that a hung
    // holder cannot stop this one for good.
    while (locked && ::flock(h.fd, LOCK_EX | LOCK_NB) != 0) {
      if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) locked = false;
      else std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!locked) {
      if (h.fd >= 0) ::close(h.fd);
      Table().erase(key_);
      ProcessMutex().unlock();
      return;
    }
  }
  ++h.depth;
  held_ = true;
}

FileLock::~FileLock() {
  if (!held_) return;
  auto it = Table().find(key_);
  if (it != Table().end() && --it->second.depth == 0) {
    ::flock(it->second.fd, LOCK_UN);
    ::close(it->second.fd);
    Table().erase(it);
  }
  ProcessMutex().unlock();
}

TryFileLock::TryFileLock(const std::string& lockFilePath) {
  fd_ = OpenLockFile(FsPath(lockFilePath));
  if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

TryFileLock::~TryFileLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace krav
