#include "platform/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace krav {
namespace {

std::string Candidate() {
  std::string dir;
  if (const char* own = std::getenv("KRAV_RUNTIME_DIR"); own && *own) {
    dir = own;
  } else if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
    dir = std::string(xdg) + "/krav";
  } else {
    dir = "/tmp/krav-" + std::to_string(::getuid());
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

// Empty when the folder is safe to use, otherwise why it is not.
std::string Check(const std::string& dir) {
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
    return "the runtime folder " + dir + " cannot be made: " + std::strerror(errno);
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0)
    return "the runtime folder " + dir + " cannot be read: " + std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return "the runtime folder " + dir + " is not a folder (a symbolic link or a file)";
  if (st.st_uid != ::getuid())
    return "the runtime folder " + dir + " belongs to another user (uid " + std::to_string(st.st_uid) +
           "); remove it or set KRAV_RUNTIME_DIR";
  if (st.st_mode & 077)
    return "the runtime folder " + dir + " is open to other users; make it mode 0700 or set KRAV_RUNTIME_DIR";
  return {};
}

}  // namespace

bool RuntimeDirUsable(std::string* why) {
  const std::string dir = Candidate();
  const std::string problem = Check(dir);
  if (why) *why = problem;
  return problem.empty();
}

std::string RuntimeDir() {
  const std::string dir = Candidate();
  return Check(dir).empty() ? dir : std::string();
}

std::string RuntimePath(const std::string& name) {
  const std::string dir = RuntimeDir();
  return dir.empty() ? dir : dir + "/" + name;
}

}  // namespace krav
