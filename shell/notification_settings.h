// How a falling-due reminder is announced: [Messages] of the user settings
// file, read by the plug-in and edited on the program's settings page.
#pragma once

#include <string>

namespace krav::shell {

struct NotificationSettings {
  std::string soundFile;  // Mus; empty: no sound
  bool showDialog = true;
  bool autoDelete = true;
  bool speak = true;
  bool operator==(const NotificationSettings&) const = default;
};

NotificationSettings LoadNotificationSettings(const std::string& userSettingsFile);
// Writes Mus, ShowDialog, AutoDel and Speak in this order; false when a
// write failed.
[[nodiscard]] bool SaveNotificationSettings(const std::string& userSettingsFile, const NotificationSettings& s);

}  // namespace krav::shell
