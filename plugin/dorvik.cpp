#include "plugin/dorvik.h"

#include <thread>

#include "engine/collect.h"
#include "engine/dates.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/messages.h"
#include "shell/notification_settings.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::dorvik {
namespace {

// "When" texts shorter than this have no time of day.
constexpr std::size_t kTimedWhenLength = 14;

std::string ShellIni(const std::string& root) { return shell::ShellSettingsFile(root); }
std::string DataDirOf(const DorvikState& s) { return shell::DataDir(s.root, s.user); }

void ReadShellSettings(DorvikState& s) {
  const std::string ini = ShellIni(s.root);
  s.user = ReadIniString(ini, shell::kActiveUser.section, shell::kActiveUser.key, "");
  s.shellWindow =
      TextToInt(ReadIniString(ini, shell::kShellWindow.section, shell::kShellWindow.key, shell::kWindowDefault));
}

std::string When(const std::string& occurrence) { return GetField(FieldView(occurrence, kSep4, 1), kSep3, 2); }

}  // namespace

void Init(DorvikState& s, const std::string& root) {
  s = DorvikState{};
  s.root = shell::NormalizeRoot(root);
  ReadShellSettings(s);
  Command(s, shell::kCmdReload, 1);
}

void Check(DorvikState& s, int counter) {
  if (counter % 5 == 0) ActingCheck(s);
}

void Command(DorvikState& s, int command, int parameter) {
  ReadShellSettings(s);
  switch (command) {
    case shell::kCmdUpdateIndicator: UpdateIndicator(s); break;
    case shell::kCmdReload:
      s.reload = true;
      s.forced = parameter == 1;
      if (parameter == 1) {
        RemoveFile(shell::TodayFile(s.root));
        ActingCheck(s);
      }
      break;
    case shell::kCmdSnooze:
      Snooze(s.root, s.user);
      s.reload = true;
      break;
    default: break;
  }
}

void Free(DorvikState& s) { s.today = Lines{}; }

void ActingCheck(DorvikState& s) {
  if (s.reload) Reload(s);
  DueCheck(s);
  s.forced = false;
  UpdateIndicator(s);
}

void Reload(DorvikState& s) {
  const DateTime today = static_cast<double>(Today());
  // A record file that cannot be read leaves today's list as it was and the
  // reload pending: the next check tries again, and the log says why.
  Lines collected;
  if (!CollectRange(collected, today, today, s.root, s.user, {true, s.autoDelete})) {
    LogEvent(s, Ru(" Не прочитан файл записей в ") + DataDirOf(s));
    return;
  }
  s.today = std::move(collected);
  // The shell's copy; a failure costs only it.
  if (!SaveLines(shell::TodayFile(s.root), s.today)) LogEvent(s, Ru(" Не записан ") + shell::TodayFile(s.root));
  std::erase_if(s.today, [](const std::string& l) {
    const std::string_view kind = FieldView(FieldView(l, kSep4, 1), kSep3, 1);
    return kind == "1" || kind == "2";
  });
  const std::string ini = shell::UserSettingsFile(DataDirOf(s));
  const shell::NotificationSettings n = shell::LoadNotificationSettings(ini);
  s.soundFile = n.soundFile;
  s.showDialog = n.showDialog;
  s.autoDelete = n.autoDelete;
  s.speak = n.speak;
  s.reload = false;
}

void DueCheck(DorvikState& s) {
  const DateTime now = Now();
  const std::string minute = DateToText(now) + " " + TimeToText(now);
  if (minute == s.lastMinute) return;

  static const std::string kEvent = Ru(" Событие ");
  Lines due;
  std::string speakText;
  bool found = false;
  for (const auto& line : s.today) {
    const std::string when = When(line);
    if (when != minute && !(s.forced && when.size() < kTimedWhenLength)) continue;
    found = true;
    LogEvent(s, kEvent + line);
    if (FieldView(FieldView(line, kSep4, 1), kSep3, 1) == "4") {
      RunAction(s, line);
    } else {
      due.push_back(line);
      speakText = GetField(line, kSep3, 2);
    }
  }
  s.lastMinute = minute;
  if (!due.empty() && !AppendLines(DataDirOf(s), shell::DueFile(DataDirOf(s)), due))
    LogEvent(s, Ru(" Список наступивших напоминаний не записан: ") + shell::DueFile(DataDirOf(s)));
  if (!found) return;

  if (!s.speak) speakText.clear();
  const std::string ini = ShellIni(s.root);
  // The host reads the sound and the text from the settings: a value not
  // written is not played or spoken rather than an old one.
  const bool soundWritten = WriteIniString(ini, shell::kMediaFile.section, shell::kMediaFile.key, s.soundFile);
  if (!soundWritten || !WriteIniString(ini, shell::kSpeakText.section, shell::kSpeakText.key, speakText)) {
    LogEvent(s, Ru(" Не записан ") + ini);
    speakText.clear();
  }
  if (soundWritten && FileExists(shell::ResolveShellPath(s.root, s.soundFile)))
    PostWindowMessage(s.shellWindow, shell::kMsgPlaySound, 0, 0);
  if (!speakText.empty()) PostWindowMessage(s.shellWindow, shell::kMsgSpeak, 0, 0);
  if (s.showDialog) {
    const std::int64_t start = TickCount();
    while (TickCount() - start < s.showDelayMs)
      std::this_thread::sleep_for(std::chrono::milliseconds(s.showDelayMs - (TickCount() - start)));
    PostWindowMessage(s.shellWindow, shell::kMsgShowReminders, 0, shell::kShowRemindersLParam);
  }
}

void UpdateIndicator(const DorvikState& s) {
  const std::string dir = DataDirOf(s);
  const bool now = FileExists(shell::DueFile(dir));
  const std::string ini = shell::UserSettingsFile(dir);
  if (ReadIniBool(ini, shell::kNewMessages.section, shell::kNewMessages.key, shell::kNewMessagesDefault) != now &&
      !WriteIniBool(ini, shell::kNewMessages.section, shell::kNewMessages.key, now))
    LogEvent(s, Ru(" Не записан ") + ini);
}

void LogEvent(const DorvikState& s, const std::string& message) {
  const DateTime now = Now();
  AppendLogLine(shell::EventLogFile(s.root), DateToShortText(now) + " " + TimeToText(now) + ">" + message);
}

}  // namespace krav::dorvik
