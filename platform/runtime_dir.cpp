#include "platform/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace krav {

std::string RuntimeDir() {
  std::string dir;
  if (const char* own = std::getenv("KRAV_RUNTIME_DIR"); own && *own) {
    dir = own;
  } else if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
    dir = std::string(xdg) + "/krav";
  } else {
    dir = "/tmp/krav-" + std::to_string(::getuid());
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) ::mkdir(dir.c_str(), 0700);
  return dir;
}

}  // namespace krav
