// What the program learns at start and every page shares: the root, the
// user, the shell's window and the settings files.
#pragma once

#include <string>

#include "platform/messages.h"

namespace krav::app {

struct ProgramContext {
  std::string root;           // ends with "/"
  std::string user;           // [Users] Active
  std::string shellSettings;  // root + "krav2000.ini"
  std::string dataDir;        // root + "Users/" + user + "/"
  std::string userSettings;   // dataDir + "krav2000.ini"

  // Reads the shell settings file of a root directory.
  static ProgramContext ForRoot(const std::string& root);

  // The shell's window, [Main] Handle, read anew at every call: a shell that
  // started again since the program did still gets its messages.
  WindowHandle shellWindow() const;
};

}  // namespace krav::app
