#include "app/logic/program_context.h"

#include "engine/text.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::app {

ProgramContext ProgramContext::ForRoot(const std::string& rootDir) {
  ProgramContext c;
  c.root = shell::NormalizeRoot(rootDir);
  c.shellSettings = shell::ShellSettingsFile(c.root);
  c.user = ReadIniString(c.shellSettings, shell::kActiveUser.section, shell::kActiveUser.key, "");
  c.dataDir = shell::DataDir(c.root, c.user);
  c.userSettings = shell::UserSettingsFile(c.dataDir);
  return c;
}

WindowHandle ProgramContext::shellWindow() const {
  return TextToInt(
      ReadIniString(shellSettings, shell::kShellWindow.section, shell::kShellWindow.key, shell::kWindowDefault));
}

}  // namespace krav::app
