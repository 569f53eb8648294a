#include "host/shell_host.h"

#include <pwd.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <set>

#include "app/kit/qt_text.h"
#include "engine/store.h"
#include "engine/text.h"
#include "host/missed.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "platform/process.h"
#include "platform/runtime_dir.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::host {
namespace {

using app::FromCp1251;

std::string LoginName() {
  if (const char* u = std::getenv("USER"); u && *u) return u;
  if (const passwd* pw = ::getpwuid(::getuid())) return pw->pw_name;
  return "user";
}

}  // namespace

Reminder ReminderOf(const std::string& line) {
  Reminder r;
  r.when = FromCp1251(GetField(FieldView(line, kSep4, 1), kSep3, 2)).trimmed();
  const std::string description = GetField(line, kSep4, 2);
  r.description = FromCp1251(GetField(description, kSep1, 1));
  const std::string amount = GetField(description, kSep1, 2);
  if (!amount.empty()) r.description += "\t" + FromCp1251(amount);
  r.line = line;
  return r;
}

QString SpokenText(const std::string& text) {
  if (text.find(kSep4) == std::string::npos) return FromCp1251(text);
  return FromCp1251(GetField(GetField(text, kSep4, 2), kSep1, 1));
}

ShellHost::ShellHost(std::string root, QObject* parent)
    : QObject(parent), root_(shell::NormalizeRoot(std::move(root))), timer_(this), reloadDebounce_(this) {
  connect(&timer_, &QTimer::timeout, this, &ShellHost::tick);
  reloadDebounce_.setSingleShot(true);
  connect(&reloadDebounce_, &QTimer::timeout, this, [this] {
    stamp_ = RecordsStampOf(shell::DataDir(root_, user()), DateToText(Now()));
    log(QStringLiteral("records changed on disk: plugin CommandIf 2010 0"));
    plugin_.command(shell::kCmdReload, 0);
  });
}

ShellHost::~ShellHost() { stop(); }

std::string ShellHost::user() const {
  return ReadIniString(shell::ShellSettingsFile(root_), shell::kActiveUser.section, shell::kActiveUser.key, "");
}

void ShellHost::prepareRoot() {
  ForceDir(shell::TempDir(root_));
  ForceDir(shell::UsersDir(root_));
  const std::string ini = shell::ShellSettingsFile(root_);
  if (user().empty() &&
      !WriteIniString(ini, shell::kActiveUser.section, shell::kActiveUser.key, Utf8ToCp1251(LoginName())))
    log(QStringLiteral("%1 could not be written").arg(FromCp1251(ini)));
  if (!FileExists(shell::ProgramsFile(root_)) && !SaveLines(shell::ProgramsFile(root_), {"[Tree]", "[HotKeys]"}))
    log(QStringLiteral("%1 could not be written").arg(FromCp1251(shell::ProgramsFile(root_))));
  ForceDir(shell::DataDir(root_, user()));
}

bool ShellHost::start() {
  if (std::string why; !RuntimeDirUsable(&why)) {
    log(QString::fromStdString(why));
    return false;
  }
  // One host per root, however the root is spelled: the mutex is named after
  // the root's real path.
  ForceDir(root_);
  char real[PATH_MAX];
  const std::string fsRoot = FsPath(root_);
  const std::string key = ::realpath(fsRoot.c_str(), real) ? std::string(real) : fsRoot;
  const QByteArray id = QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha1).toHex();
  mutex_ = std::make_unique<NamedMutex>("shellhost-" + id.left(16).toStdString());
  if (!mutex_->owned()) {
    log(QStringLiteral("another host already runs on %1").arg(FromCp1251(root_)));
    alreadyRunning_ = true;
    return false;
  }
  const std::string settings = shell::ShellSettingsFile(root_);
  if (!IniFileIntact(settings)) {
    log(QStringLiteral(
            "the settings file %1 cannot be read or is damaged; it is left as it is and the host does not start")
            .arg(FromCp1251(settings)));
    return false;
  }
  prepareRoot();
  window_ =
      std::make_unique<MessageWindow>([this](int m, std::int64_t w, std::int64_t l) { handleMessage(m, w, l); });
  if (window_->valid()) {
    if (!WriteIniString(shell::ShellSettingsFile(root_), shell::kShellWindow.section, shell::kShellWindow.key,
                        std::to_string(window_->handle())))
      log(QStringLiteral("the shell window could not be named in %1: the module cannot call it")
              .arg(FromCp1251(shell::ShellSettingsFile(root_))));
    notifier_ = std::make_unique<QSocketNotifier>(window_->fd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { window_->dispatch(); });
  } else {
    log(QStringLiteral("no message window: the plug-in's messages cannot reach the host"));
  }

  const std::string library = shell::PluginLibrary(root_);
  if (!plugin_.load(FsPath(library))) {
    log(QStringLiteral("plug-in not loaded: %1").arg(QString::fromStdString(plugin_.error())));
  }
  // What fell while no host polled: presented once, as missed.
  const DateTime now = Now();
  const DateTime last = LoadLastPoll(root_);
  const long long minute = MinuteOf(now), lastMinute = last > 0 ? MinuteOf(last) : -1;
  if (lastMinute >= 0 && minute > lastMinute + 1) presentMissed(last, now);
  lastTick_ = now;
  if (plugin_.loaded()) {
    if (lastMinute >= minute && lastMinute - minute <= kRepeatWindowMinutes) {
      // A host before this one already had the plug-in act in this minute
      // (or a later one, before the clock went back): InitIf acts at once,
      // so it waits until the clock passes that minute.
      log(QStringLiteral("this minute was handled before the restart: the plug-in starts in the next one"));
      initAfterMinute_ = lastMinute;
    } else {
      initPlugin(now);
    }
  }
  lastIndicator_ = newMessages();
  emit indicatorChanged(lastIndicator_);
  watchRecords();
  timer_.start(1000);
  sync_ = std::make_unique<SyncRunner>(root_, [this] { return user(); });
  connect(sync_.get(), &SyncRunner::logLine, this, &ShellHost::log);
  connect(sync_.get(), &SyncRunner::failed, this, &ShellHost::syncFailed);
  sync_->start();
  running_ = true;
  return true;
}

void ShellHost::initPlugin(DateTime now) {
  initAfterMinute_ = -1;
  log(QStringLiteral("plugin InitIf %1").arg(FromCp1251(root_)));
  plugin_.init(root_);
  // InitIf acted at once: this minute is handled.
  actedMinute_ = MinuteOf(now);
  toldUpTo_ = std::max(toldUpTo_, actedMinute_);
  if (SaveLastPoll(root_, now)) savedMinute_ = actedMinute_;
}

void ShellHost::stop() {
  if (!running_) return;
  running_ = false;
  timer_.stop();
  reloadDebounce_.stop();
  sync_.reset();  // a pass under way ends first
  watcher_.reset();
  if (plugin_.loaded()) {
    log(QStringLiteral("plugin FreeIf"));
    plugin_.free();
  }
  notifier_.reset();
  window_.reset();
  mutex_.reset();  // another host may take the root now
}

void ShellHost::tick() {
  const DateTime now = Now();
  checkRecordsStamp();
  if (initAfterMinute_ >= 0) {
    const long long minute = MinuteOf(now);
    if (minute <= initAfterMinute_ && initAfterMinute_ - minute <= kRepeatWindowMinutes) return;
    initPlugin(now);
    lastTick_ = now;
    return;
  }
  if (lastTick_ > 0 && now - lastTick_ > kJumpDays) {
    // A suspend or a clock set forward: today's list anew (what fell in the gap is told below).
    log(QStringLiteral("the clock jumped forward"));
    plugin_.command(shell::kCmdReload, 0);
  } else if (lastTick_ > 0 && DayOf(now) != DayOf(lastTick_)) {
    log(QStringLiteral("a new day: plugin CommandIf 2010 0"));
    plugin_.command(shell::kCmdReload, 0);
  }
  lastTick_ = now;
  const long long minute = MinuteOf(now);
  // A minute that passed with no acting poll in it (a step of the clock, a
  // suspend, a host held up): its reminders are told as missed, once.
  if (const long long handled = std::max(actedMinute_, toldUpTo_); actedMinute_ >= 0 && minute > handled + 1) {
    presentMissed(static_cast<double>(handled) / 1440.0, now);
    toldUpTo_ = minute - 1;
  }
  // The clock went back a little (an hour of daylight saving, a correction):
  // the minutes already handled are not handed to the plug-in again, so that
  // nothing fires twice. A step back of more than two hours is a new clock.
  if (actedMinute_ >= 0 && minute < actedMinute_) {
    if (actedMinute_ - minute <= kRepeatWindowMinutes) {
      if (!waitingForClock_)
        log(QStringLiteral("the clock went back: the repeated minutes are not checked again"));
      waitingForClock_ = true;
      if (window_) window_->dispatch();
      return;
    }
    actedMinute_ = -1;
    toldUpTo_ = -1;
    plugin_.command(shell::kCmdReload, 0);
  }
  waitingForClock_ = false;
  ++counter_;
  log(QStringLiteral("plugin CheckIf %1").arg(counter_));
  plugin_.check(counter_);
  // The plug-in acts on every fifth call: its minute is then handled.
  if (counter_ % 5 == 0) {
    actedMinute_ = std::max(actedMinute_, minute);
    if (minute != savedMinute_ && SaveLastPoll(root_, now)) savedMinute_ = minute;
  }
  // The plug-in's messages of this check are handled before the indicator is read.
  if (window_) window_->dispatch();
  const bool indicator = newMessages();
  if (indicator != lastIndicator_) emit indicatorChanged(lastIndicator_ = indicator);
}

bool ShellHost::newMessages() const {
  return ReadIniBool(shell::UserSettingsFile(shell::DataDir(root_, user())), shell::kNewMessages.section,
                     shell::kNewMessages.key, false);
}

std::vector<Reminder> ShellHost::reminders() const {
  Lines lines;
  LoadLines(shell::DueFile(shell::DataDir(root_, user())), lines);
  std::vector<Reminder> out;
  std::set<std::string> seen;  // equal due lines (a day's whole-day ones after a restart) are one reminder
  for (const auto& l : lines)
    if (!l.empty() && seen.insert(l).second) out.push_back(ReminderOf(l));
  return out;
}

void ShellHost::presentMissed(DateTime lastPoll, DateTime now) {
  const Lines lines = MissedOccurrences(root_, user(), lastPoll, now);
  if (lines.empty()) return;
  std::vector<Reminder> list;
  for (const auto& l : lines) {
    Reminder r = ReminderOf(l);
    r.when = QString::fromStdString(MissedLabel(l));
    list.push_back(std::move(r));  // actions are listed, never run
  }
  log(QStringLiteral("missed %1 reminders since %2 %3")
          .arg(list.size())
          .arg(FromCp1251(DateToText(lastPoll)), FromCp1251(TimeToText(lastPoll))));
  emit missed(list);
}

void ShellHost::watchRecords() {
  // The folders, for files saved by renaming a new one into place, and the
  // files, for those written in place. A replaced folder or file is watched
  // again when the stamp sees it (checkRecordsStamp).
  const std::string dir = shell::DataDir(root_, user());
  ForceDir(shell::JournalDir(dir));
  const std::string month = DateToText(Now());
  watcher_ = std::make_unique<QFileSystemWatcher>();
  for (const std::string& p : {dir, shell::JournalDir(dir), shell::StoreFile(dir), dir + JournalFileName(month)})
    if (FileExists(p) || DirExists(p)) watcher_->addPath(QString::fromStdString(FsPath(p)));
  connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, this, &ShellHost::reloadSoon);
  connect(watcher_.get(), &QFileSystemWatcher::fileChanged, this, &ShellHost::reloadSoon);
  stamp_ = RecordsStampOf(dir, month);
}

void ShellHost::checkRecordsStamp() {
  if (!watcher_) return;
  const std::string dir = shell::DataDir(root_, user());
  const RecordsStamp now = RecordsStampOf(dir, DateToText(Now()));
  if (now == stamp_) return;
  log(QStringLiteral("the record files changed"));
  // Watched again whatever changed: a file or folder replaced is another one.
  watchRecords();
  reloadSoon();
}

void ShellHost::reloadSoon() {
  if (sync_) sync_->recordsChanged();
  // A reload waits for the writes to settle, but never longer than
  // kReloadLatestMs after the first change: a steady writer cannot hold it off.
  const std::int64_t now = TickCount();
  if (!reloadDebounce_.isActive()) firstChangeMs_ = now;
  const std::int64_t left = kReloadLatestMs - (now - firstChangeMs_);
  reloadDebounce_.start(static_cast<int>(std::clamp<std::int64_t>(left, 0, kReloadQuietMs)));
}

void ShellHost::acknowledge() {
  const std::string dir = shell::DataDir(root_, user());
  const bool emptied = UpdateLines(
      dir, shell::DueFile(dir),
      [](Lines& due) {
        due.clear();
        return true;
      },
      WhenEmpty::Delete);
  if (!emptied) {
    log(QStringLiteral("the list of due reminders %1 could not be emptied").arg(FromCp1251(shell::DueFile(dir))));
    return;
  }
  log(QStringLiteral("reminders acknowledged"));
  plugin_.command(shell::kCmdUpdateIndicator, 0);
}

namespace {

// How many one-time reminders of the store carry the text; -1 when the store
// cannot be read.
long CountReminders(const std::string& dir, const std::string& text) {
  Lines store;
  if (!LoadLinesForUpdate(shell::StoreFile(dir), store)) return -1;
  return std::count_if(store.begin(), store.end(), [&](const std::string& l) {
    return FieldView(l, kSep3, 1) == "3" && FieldView(l, kSep3, 3) == text;
  });
}

}  // namespace

bool ShellHost::postpone(std::size_t i, int hours, int minutes) {
  if (initAfterMinute_ >= 0)
    return postponeFailed(
        QStringLiteral("модуль напоминаний запустится с началом следующей минуты, "
                       "повторите через минуту"));
  const std::string dir = shell::DataDir(root_, user());
  const std::string due = shell::DueFile(dir);
  std::string line;
  {
    DataDirLock lock(dir);
    Lines lines;
    if (!lock.held() || !LoadLinesForUpdate(due, lines))
      return postponeFailed(QStringLiteral("не читается список %1").arg(FromCp1251(due)));
    std::erase(lines, std::string());
    // The reminders as presented: equal lines once.
    Lines shown;
    for (const auto& l : lines)
      if (std::find(shown.begin(), shown.end(), l) == shown.end()) shown.push_back(l);
    if (i >= shown.size()) return false;
    line = shown[i];
  }
  const std::string text = GetField(GetField(line, kSep4, 2), kSep1, 1);
  const std::string ini = shell::ShellSettingsFile(root_);
  if (!WriteIniString(ini, shell::kSnoozeText.section, shell::kSnoozeText.key, text) ||
      !WriteIniInt(ini, shell::kSnoozeHour.section, shell::kSnoozeHour.key, hours) ||
      !WriteIniInt(ini, shell::kSnoozeMin.section, shell::kSnoozeMin.key, minutes))
    return postponeFailed(QStringLiteral("не записан файл настроек %1").arg(FromCp1251(ini)));

  // The due line goes only once the new record is in the store.
  const std::string recordText = SnoozeRecordText(text);
  const long before = CountReminders(dir, recordText);
  if (before < 0)
    return postponeFailed(QStringLiteral("не читается файл %1").arg(FromCp1251(shell::StoreFile(dir))));
  plugin_.command(shell::kCmdSnooze, 0);
  if (CountReminders(dir, recordText) <= before)
    return postponeFailed(
        QStringLiteral("новое напоминание не записано в %1").arg(FromCp1251(shell::StoreFile(dir))));
  log(QStringLiteral("postponed \"%1\" by %2 h %3 min").arg(FromCp1251(text)).arg(hours).arg(minutes));

  const bool removed = UpdateLines(
      dir, due,
      [&](Lines& lines) {
        std::erase(lines, std::string());
        std::erase(lines, line);  // every copy of what was presented as one
        return true;
      },
      WhenEmpty::Delete);
  // The reminder is then both postponed and still due: shown twice, never lost.
  if (!removed)
    log(QStringLiteral("the postponed reminder stays in %1: the list could not be saved").arg(FromCp1251(due)));
  plugin_.command(shell::kCmdUpdateIndicator, 0);
  return true;
}

bool ShellHost::postponeFailed(const QString& why) {
  const QString message = QStringLiteral("Напоминание не отложено: %1. Оно остаётся в списке.").arg(why);
  log(QStringLiteral("postpone failed: ") + message);
  emit failure(message);
  return false;
}

void ShellHost::handleMessage(int msg, std::int64_t wParam, std::int64_t lParam) {
  log(QStringLiteral("message %1 %2 %3").arg(msg).arg(wParam).arg(lParam));
  const std::string ini = shell::ShellSettingsFile(root_);
  switch (msg) {
    case shell::kMsgPlaySound: {
      const std::string file = ReadIniString(ini, shell::kMediaFile.section, shell::kMediaFile.key, "");
      const std::string path = shell::ResolveShellPath(root_, file);
      if (FileExists(path)) emit playSound(QString::fromStdString(FsPath(path)));
      else log(QStringLiteral("no sound file %1").arg(FromCp1251(path)));
      return;
    }
    case shell::kMsgStopSound: emit stopSound(); return;
    case shell::kMsgSpeak: {
      const QString text = SpokenText(ReadIniString(ini, shell::kSpeakText.section, shell::kSpeakText.key, ""));
      if (!text.isEmpty()) emit speak(text);
      return;
    }
    case shell::kMsgShowReminders: emit present(reminders()); return;
    case shell::kMsgRecordsChanged:
      log(QStringLiteral("plugin CommandIf 2010 0"));
      plugin_.command(shell::kCmdReload, 0);
      return;
    case shell::kMsgOpenAddressCard:
      if (wParam == shell::kOpenAddressCardWParam) showAddressCard();
      return;
    case shell::kMsgPlannerClosedByButton:
    case shell::kMsgPlannerClosedOtherwise: log(QStringLiteral("the planner closed")); return;
    case shell::kMsgActivateWindow: emit activateRequested(); return;
    default:
      if (msg >= shell::kMsgShellCommandBase && msg < shell::kMsgShellCommandBase + 1000)
        runShellCommand(msg - shell::kMsgShellCommandBase);
      return;
  }
}

// A shell command is one definition of a [HotKeys] value of "programs.ini":
// title, icon, number, command line (definitions are separated by ";"; the
// command line is the rest of the definition after its third comma).
void ShellHost::runShellCommand(int n) {
  std::string command;
  for (const auto& entry : ReadIniSection(shell::ProgramsFile(root_), shell::kHotKeysSection)) {
    std::vector<std::string> definitions;
    SplitByChar(entry.substr(entry.find('=') + 1), definitions, ';');
    for (const auto& d : definitions) {
      if (GetField(d, ',', 3) != std::to_string(n)) continue;
      std::size_t third = 0;
      for (int k = 0; k < 3 && third != std::string::npos; ++k) third = d.find(',', k ? third + 1 : 0);
      if (third != std::string::npos) command = d.substr(third + 1);
      break;
    }
    if (!command.empty()) break;
  }
  if (command.empty()) {
    log(QStringLiteral("shell command %1 names nothing to run").arg(n));
    return;
  }
  log(QStringLiteral("shell command %1: %2").arg(n).arg(FromCp1251(command)));
  if (!StartCommandLine(command)) log(QStringLiteral("shell command %1 could not be started").arg(n));
}

void ShellHost::showAddressCard() {
  const std::string card = ReadIniString(shell::UserSettingsFile(shell::DataDir(root_, user())),
                                         shell::kActiveCard.section, shell::kActiveCard.key, "");
  log(QStringLiteral("address-book card: %1").arg(card.empty() ? QStringLiteral("(none)") : FromCp1251(card)));
  if (FileExists(card)) Spawn({"xdg-open", PathArgument(FsPath(card))});
}

}  // namespace krav::host
