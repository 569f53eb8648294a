#include "platform/instance.h"

#include <charconv>

#include "platform/files.h"
#include "platform/runtime_dir.h"

namespace krav {
namespace {

// Names become file names: every byte outside [A-Za-z0-9._-] is written as
// two hex digits, so any caption or name maps to one safe file name.
std::string SafeName(const std::string& name) {
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
        c == '_') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string CaptionPath(const std::string& caption) { return RuntimePath("caption-" + SafeName(caption)); }

}  // namespace

// The runtime folder is already UTF-8; FsPath leaves ASCII unchanged.
NamedMutex::NamedMutex(const std::string& name) : lock_(RuntimePath("mutex-" + SafeName(name))) {}

CaptionRegistration::CaptionRegistration(const std::string& caption, WindowHandle handle)
    : path_(CaptionPath(caption)), handle_(handle) {
  // Without a runtime folder the window cannot be found; nothing else breaks.
  if (!path_.empty()) (void)SaveBytes(path_, std::to_string(handle));
}

CaptionRegistration::~CaptionRegistration() {
  std::string bytes;
  // Only the registration of this window is removed.
  if (LoadBytes(path_, bytes)) {
    WindowHandle h = 0;
    std::from_chars(bytes.data(), bytes.data() + bytes.size(), h);
    if (h == handle_) RemoveFile(path_);
  }
}

WindowHandle FindWindowByCaption(const std::string& caption) {
  std::string bytes;
  if (!LoadBytes(CaptionPath(caption), bytes)) return 0;
  WindowHandle h = 0;
  std::from_chars(bytes.data(), bytes.data() + bytes.size(), h);
  return WindowExists(h) ? h : 0;
}

}  // namespace krav
