// The stand-in shell: keeps the root directory, owns the shell window,
// polls the plug-in and turns the window messages into presentations,
// sound and speech. The presentation itself (windows or standard output)
// listens to the signals.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "engine/dates.h"
#include "host/plugin_loader.h"
#include "host/records_stamp.h"
#include "host/sync_runner.h"
#include "platform/instance.h"
#include "platform/messages.h"

namespace krav::host {

struct Reminder {
  QString when;         // "dd.mm.yyyy hh:mm", or the date alone
  QString description;  // the message, the amount after a tab
  std::string line;     // the occurrence line as stored
};

// The readable parts of an occurrence line.
Reminder ReminderOf(const std::string& occurrenceLine);
// What is spoken of a [Speak] Text: the description when the text is an
// occurrence's tail (when #4 description #4 ...), otherwise the text.
QString SpokenText(const std::string& speakText);

class ShellHost : public QObject {
  Q_OBJECT
 public:
  // A reload waits this long after the last change on disk, but no longer
  // than kReloadLatestMs after the first.
  static constexpr int kReloadQuietMs = 1500;
  static constexpr int kReloadLatestMs = 3000;

  // root: cp1251 text ending in "/".
  explicit ShellHost(std::string root, QObject* parent = nullptr);
  ~ShellHost() override;

  // Prepares the root, takes the single-instance mutex, owns the window and
  // starts the plug-in. False when another host runs on this root.
  bool start();
  // After a refused start: another host runs on this root (not a failure).
  bool alreadyRunning() const { return alreadyRunning_; }
  void stop();

  const std::string& root() const { return root_; }
  std::string user() const;
  WindowHandle windowHandle() const { return window_ ? window_->handle() : 0; }

  std::vector<Reminder> reminders() const;
  // "Понял": the reminders were seen.
  void acknowledge();
  // Postpones reminder i of reminders() by hours and minutes. The reminder
  // leaves the due list only once its new record is in the store; on a
  // failure it stays due, failure() tells why, and false is returned.
  bool postpone(std::size_t i, int hours, int minutes);
  bool newMessages() const;  // [Indicators] Isnewmess of the active user

  void handleMessage(int msg, std::int64_t wParam, std::int64_t lParam);
  // One poll, as the once-a-second timer runs it.
  void poll() { tick(); }

 signals:
  void logLine(const QString& line);
  void playSound(const QString& fsPath);
  void stopSound();
  void speak(const QString& text);
  void present(const std::vector<krav::host::Reminder>& reminders);
  // Reminders that fell while the host was not polling; `when` says "Пропущено: ...".
  void missed(const std::vector<krav::host::Reminder>& reminders);
  void indicatorChanged(bool newMessages);
  void activateRequested();
  // A postponement failed; the text says why, for the user.
  void failure(const QString& message);
  // The calendar synchronisation failed (told once until it works again).
  void syncFailed(const QString& message);

 private:
  void prepareRoot();
  bool postponeFailed(const QString& why);
  void log(const QString& line) { emit logLine(line); }
  void tick();
  void presentMissed(DateTime lastPoll, DateTime now);
  void initPlugin(DateTime now);
  void watchRecords();
  void checkRecordsStamp();
  void reloadSoon();
  void runShellCommand(int n);
  void showAddressCard();

  std::string root_;
  std::unique_ptr<NamedMutex> mutex_;
  std::unique_ptr<MessageWindow> window_;
  std::unique_ptr<QSocketNotifier> notifier_;
  PluginLoader plugin_;
  QTimer timer_;  // children: they move with the host to its thread
  QTimer reloadDebounce_;
  std::unique_ptr<QFileSystemWatcher> watcher_;
  std::unique_ptr<SyncRunner> sync_;
  RecordsStamp stamp_;              // the record files when last watched or reloaded
  std::int64_t firstChangeMs_ = 0;  // the first change the pending reload waits on
  long long initAfterMinute_ = -1;  // InitIf waits until the clock passes this minute
  long long toldUpTo_ = -1;         // the minutes up to this one were told as missed
  DateTime lastTick_ = 0;           // the wall clock at the last poll
  long long savedMinute_ = -1;      // the minute last written as the last poll
  long long actedMinute_ = -1;      // the latest minute the plug-in acted in
  bool waitingForClock_ = false;
  int counter_ = 0;
  bool lastIndicator_ = false;
  bool running_ = false;
  bool alreadyRunning_ = false;
};

}  // namespace krav::host
