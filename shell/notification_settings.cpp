#include "shell/notification_settings.h"

#include "platform/ini.h"
#include "shell/settings_keys.h"

namespace krav::shell {

NotificationSettings LoadNotificationSettings(const std::string& ini) {
  NotificationSettings s;
  s.soundFile = ReadIniString(ini, kSoundFile.section, kSoundFile.key, DefaultSoundFile());
  s.showDialog = ReadIniBool(ini, kShowDialog.section, kShowDialog.key, kShowDialogDefault);
  s.autoDelete = ReadIniBool(ini, kAutoDelete.section, kAutoDelete.key, kAutoDeleteDefault);
  s.speak = ReadIniBool(ini, kSpeakOn.section, kSpeakOn.key, kSpeakDefault);
  return s;
}

bool SaveNotificationSettings(const std::string& ini, const NotificationSettings& s) {
  bool ok = WriteIniString(ini, kSoundFile.section, kSoundFile.key, s.soundFile);
  ok = WriteIniBool(ini, kShowDialog.section, kShowDialog.key, s.showDialog) && ok;
  ok = WriteIniBool(ini, kAutoDelete.section, kAutoDelete.key, s.autoDelete) && ok;
  ok = WriteIniBool(ini, kSpeakOn.section, kSpeakOn.key, s.speak) && ok;
  return ok;
}

}  // namespace krav::shell
