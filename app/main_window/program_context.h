// What the program learns at start and every page shares: the root, the
// user, the shell's window and the settings files.
#pragma once

#include <string>

#include "platform/messages.h"

namespace krav::app {

struct ProgramContext {
  std::string root;          // ends with "/"
  std::string user;          // [Users] Active
  WindowHandle shellWindow = 0;  // [Main] Handle
  std::string shellSettings;     // root + "krav2000.ini"
  std::string dataDir;           // root + "Users/" + user + "/"
  std::string userSettings;      // dataDir + "krav2000.ini"

  // Reads the shell settings file of a root directory.
  static ProgramContext ForRoot(const std::string& root);
};

}  // namespace krav::app
