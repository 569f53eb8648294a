#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

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

bool LoadBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(FsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      if (n < 0) bytes.clear();
      return n == 0;
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
}

bool LoadLines(const std::string& path, Lines& lines) {
  lines.clear();
  std::string bytes;
  if (!LoadBytes(path, bytes)) return false;
  ForEachLine(bytes, [&](std::string_view l) { lines.emplace_back(l); });
  return true;
}

bool SaveBytes(const std::string& path, std::string_view bytes, Flush flush) {
  const std::string target = FsPath(path);
  std::string temp = target + ".tmpXXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // Keep the permissions of the file being replaced, or the usual 0644.
  struct stat st {};
  ::fchmod(fd, ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
  bool ok = WriteAll(fd, bytes) && (flush == Flush::Later || ::fsync(fd) == 0);
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool FlushFileSystem(const std::string& path) {
  const int fd = ::open(FsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::syncfs(fd) == 0;
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
