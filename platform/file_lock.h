// An exclusive advisory lock (flock) on a lock file, held for the life of
// the object. Locks of the same file nest within a process, so that a
// function holding a data directory's lock may call another that takes it
// again; threads of one process take turns.
#pragma once

#include <string>

namespace krav {

// How long a FileLock waits for another holder before giving up.
constexpr int kLockWaitMs = 10000;

class FileLock {
 public:
  // Waits up to `waitMs` for the lock. When it is not free by then, or the
  // lock file cannot be created (its folder is missing), the object holds
  // nothing and held() is false: the caller must not write.
  explicit FileLock(const std::string& lockFilePath, int waitMs = kLockWaitMs);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool held() const { return held_; }

 private:
  std::string key_;
  bool held_ = false;
};

// A lock that is taken only if free: the named mutex of a single instance.
class TryFileLock {
 public:
  explicit TryFileLock(const std::string& lockFilePath);
  ~TryFileLock();
  TryFileLock(const TryFileLock&) = delete;
  TryFileLock& operator=(const TryFileLock&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace krav
