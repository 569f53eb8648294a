#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <utility>

#include "platform/encoding.h"

namespace krav {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

constexpr const char* kTempInfix = ".tmp";
constexpr std::size_t kTempSuffixLength = 6;

// Reads a whole file; 0 or the errno of the failure. A directory in the
// file's place fails with EISDIR.
int ReadWhole(const std::string& fsPath, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : 0;
      ::close(fd);
      if (error) bytes.clear();
      return error;
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
}

std::string FolderOf(const std::string& fsPath) {
  const std::size_t slash = fsPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : fsPath.substr(0, slash);
}

// The file a path finally names once symbolic links are followed (a link to
// a missing file names that file); the path itself when it is no link.
// `found` tells whether that file exists, `st` then holding its status.
std::string FollowLinks(std::string fsPath, bool& found, struct stat& st) {
  found = false;
  for (int hops = 0; hops < 40; ++hops) {
    if (::lstat(fsPath.c_str(), &st) != 0) return fsPath;
    if (!S_ISLNK(st.st_mode)) {
      found = true;
      return fsPath;
    }
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(fsPath.c_str(), target.data(), target.size());
    if (n <= 0) return fsPath;
    target.resize(static_cast<std::size_t>(n));
    fsPath = target.front() == '/' ? target : FolderOf(fsPath) + "/" + target;
  }
  return fsPath;
}

// Gives the unnamed file the name temp (its X's replaced by a free suffix).
bool LinkUnnamed(int fd, std::string& temp) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  static const char* kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::uint64_t r = 0;
    if (::getrandom(&r, sizeof r, 0) != sizeof r)
      r = static_cast<std::uint64_t>(TickCount()) * 2654435761u + attempt;
    for (std::size_t i = temp.size() - kTempSuffixLength; i < temp.size(); ++i, r /= 36)
      temp[i] = kLetters[r % 36];
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

// Removes the temporary files of earlier saves that were killed before
// their rename: the ones no live save holds locked. With a file name, only
// the leftovers of that file; with an empty one, those of every file.
void RemoveLeftovers(const std::string& folder, std::string_view fileName) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::string_view infix = kTempInfix;
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    const std::size_t stem =
        name.size() < infix.size() + kTempSuffixLength ? 0 : name.size() - infix.size() - kTempSuffixLength;
    if (stem == 0 || name.compare(stem, infix.size(), infix) != 0) continue;
    if (!fileName.empty() && name.substr(0, stem) != fileName) continue;
    const std::string path = folder + "/" + std::string(name);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

}  // namespace

std::string FsPath(std::string_view path) { return Cp1251ToUtf8(path); }

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(FsPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(FsPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(FsPath(path).c_str()) == 0; }

void ForceDir(const std::string& path) {
  if (path.empty() || DirExists(path)) return;
  const std::string fs = FsPath(path);
  for (std::size_t i = 1; i <= fs.size(); ++i) {
    if (i == fs.size() || fs[i] == '/') {
      const std::string level = fs.substr(0, i);
      struct stat st {};
      if (::stat(level.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
      if (::mkdir(level.c_str(), 0755) != 0 && errno != EEXIST) return;
    }
  }
}

std::int64_t TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool LoadBytes(const std::string& path, std::string& bytes) { return ReadWhole(FsPath(path), bytes) == 0; }

bool LoadBytesForUpdate(const std::string& path, std::string& bytes) {
  const int error = ReadWhole(FsPath(path), bytes);
  return error == 0 || error == ENOENT;
}

// The lines of a file read by one of the byte loads.
static bool LoadLinesBy(bool (*load)(const std::string&, std::string&), const std::string& path, Lines& lines) {
  lines.clear();
  std::string bytes;
  if (!load(path, bytes)) return false;
  ForEachLine(bytes, [&](std::string_view l) { lines.emplace_back(l); });
  return true;
}

bool LoadLines(const std::string& path, Lines& lines) { return LoadLinesBy(LoadBytes, path, lines); }

bool LoadLinesForUpdate(const std::string& path, Lines& lines) {
  return LoadLinesBy(LoadBytesForUpdate, path, lines);
}

PendingSave::PendingSave(PendingSave&& other) noexcept { *this = std::move(other); }

PendingSave& PendingSave::operator=(PendingSave&& other) noexcept {
  if (this == &other) return *this;
  discard();
  fd_ = std::exchange(other.fd_, -1);
  unnamed_ = other.unnamed_;
  exists_ = other.exists_;
  named_ = std::exchange(other.named_, false);
  flush_ = other.flush_;
  target_ = std::move(other.target_);
  folder_ = std::move(other.folder_);
  temp_ = std::move(other.temp_);
  return *this;
}

PendingSave::~PendingSave() { discard(); }

void PendingSave::discard() {
  if (fd_ < 0) return;
  if (named_) ::unlink(temp_.c_str());
  ::close(fd_);
  fd_ = -1;
  named_ = false;
}

bool PendingSave::write(const std::string& path, std::string_view bytes, Flush flush) {
  discard();
  struct stat st {};
  target_ = FollowLinks(FsPath(path), exists_, st);
  folder_ = FolderOf(target_);
  flush_ = flush;
  // Keep the permissions of the file being replaced, or the usual 0644.
  const mode_t mode = exists_ ? (st.st_mode & 07777) : 0644;

  // The data goes to an unnamed file of the folder where the file system
  // allows it, so that a writer killed midway leaves nothing behind; it gets
  // the temporary name only once it is complete. Either way the temporary
  // file is locked while it has a name, which tells leftovers from live saves.
  temp_ = target_ + kTempInfix + "XXXXXX";
  fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  unnamed_ = fd_ >= 0;
  if (!unnamed_) {
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) return false;
    named_ = true;
    ::flock(fd_, LOCK_EX | LOCK_NB);
  }
  ::fchmod(fd_, mode);
  if (WriteAll(fd_, bytes) && (flush == Flush::Later || ::fsync(fd_) == 0)) return true;
  discard();
  return false;
}

bool PendingSave::commit() {
  if (fd_ < 0) return false;
  // A complete unnamed file for a name that is free is linked in under
  // that name at once; a name taken meanwhile is replaced as usual.
  bool placed = false;
  if (unnamed_ && !exists_) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    placed = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (!placed && errno != EEXIST) {
      discard();
      return false;
    }
  }
  if (!placed) {
    if (unnamed_) {
      ::flock(fd_, LOCK_EX | LOCK_NB);
      named_ = LinkUnnamed(fd_, temp_);
    }
    // Renamed while still open, so that the lock covers it until it is in place.
    if (!named_ || ::rename(temp_.c_str(), target_.c_str()) != 0) {
      discard();
      return false;
    }
    named_ = false;
  }
  if (::close(std::exchange(fd_, -1)) != 0) return false;
  // A batch (Flush::Later) is swept once, by FlushFileSystem.
  if (flush_ == Flush::Now) RemoveLeftovers(folder_, target_.substr(target_.rfind('/') + 1));
  return true;
}

bool SaveBytes(const std::string& path, std::string_view bytes, Flush flush) {
  PendingSave save;
  return save.write(path, bytes, flush) && save.commit();
}

bool FlushFileSystem(const std::string& path) {
  const std::string fs = FsPath(path);
  const int fd = ::open(fs.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::syncfs(fd) == 0;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) RemoveLeftovers(fs, {});
  ::close(fd);
  return ok;
}

bool SaveLines(const std::string& path, const Lines& lines, Flush flush) {
  std::size_t size = 0;
  for (const auto& l : lines) size += l.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const auto& l : lines) {
    bytes += l;
    bytes += "\r\n";
  }
  return SaveBytes(path, bytes, flush);
}

bool AppendLogLine(const std::string& path, std::string_view line) {
  int fd = ::open(FsPath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::string l(line);
  l += "\r\n";
  bool ok = WriteAll(fd, l);
  return (::close(fd) == 0) && ok;
}

}  // namespace krav
