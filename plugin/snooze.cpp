#include <algorithm>
#include <cmath>

#include "engine/dates.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "plugin/dorvik.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::dorvik {
namespace {}  // namespace

SnoozeTime SnoozeMoment(long long hours, long long minutes) {
  const DateTime now = Now();
  const DayNumber today = DayOf(now);
  const long long nowMinutes = std::llround((now - static_cast<double>(today)) * 86400.0) / 60;
  // A negative delay counts as none; the moment stops at the last minute the
  // calendar can write (31.12.9999 23:59), so any delay ends in a valid date.
  const long long delay = std::max(0LL, hours) * 60 + std::max(0LL, minutes);
  const long long latest = (YmdToDay(9999, 12, 31) - today + 1) * 1440 - 1;
  const long long total = std::min(nowMinutes + delay, latest);
  const DayNumber day = today + total / 1440;
  const long long m = total % 1440;
  return {DateToText(static_cast<double>(day)),
          PadLeft(std::to_string(m / 60), "00") + ":" + PadLeft(std::to_string(m % 60), "00")};
}

bool Snooze(const std::string& root, const std::string& user) {
  const std::string ini = shell::ShellSettingsFile(root);
  const std::string text = ReadIniString(ini, shell::kSnoozeText.section, shell::kSnoozeText.key, "");
  const int hours = ReadIniInt(ini, shell::kSnoozeHour.section, shell::kSnoozeHour.key, shell::kSnoozeHourDefault);
  const int minutes = ReadIniInt(ini, shell::kSnoozeMin.section, shell::kSnoozeMin.key, shell::kSnoozeMinDefault);
  const WindowHandle program = TextToInt(
      ReadIniString(ini, shell::kProgramWindow.section, shell::kProgramWindow.key, shell::kWindowDefault));

  const SnoozeTime at = SnoozeMoment(hours, minutes);
  const std::string record = OneTimeReminder(at.date, at.time, SnoozeRecordText(text));
  const std::string dir = shell::DataDir(root, user);
  // The shell learns of a failure by not finding the record in the store.
  if (!AppendLines(dir, shell::StoreFile(dir), {record})) return false;
  SendWindowMessage(program, shell::kMsgReloadList, 0, 0);
  return true;
}

}  // namespace krav::dorvik
