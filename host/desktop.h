// The host at a desktop: the reminders window, the tray icon, sound, speech
// and desktop notifications.
#pragma once

#include <QDialog>
#include <QObject>
#include <memory>

#include "host/shell_host.h"

class QMediaPlayer;
class QAudioOutput;
class QSystemTrayIcon;
class QTextToSpeech;
class QLabel;
class QTreeWidget;
class QPlainTextEdit;
class QProcess;

namespace krav::host {

class RemindersWindow : public QDialog {
  Q_OBJECT
 public:
  explicit RemindersWindow(ShellHost& host);
  void showReminders(const std::vector<Reminder>& list);
  // The reminders still due, or hidden when there are none.
  void showLeft();
  // A line under the list telling why a postponement failed.
  void showFailure(const QString& message);
  // Adds reminders that fell while nothing polled, below the due ones.
  void addMissed(const std::vector<Reminder>& list);
  QTreeWidget* list() const { return list_; }
  // The whole text of the chosen reminder, below the list.
  QPlainTextEdit* text() const { return text_; }

 private:
  void postponeSelected();
  ShellHost& host_;
  QTreeWidget* list_;
  QPlainTextEdit* text_ = nullptr;
  QLabel* failure_ = nullptr;
  std::vector<Reminder> missed_;
  int dueCount_ = 0;
};

class Desktop : public QObject {
  Q_OBJECT
 public:
  explicit Desktop(ShellHost& host);
  ~Desktop() override;

 private:
  void play(const QString& path);
  void say(const QString& text);
  void notify(const std::vector<Reminder>& list);
  // Shows a notification; the id of one with actions is kept when the
  // service answers.
  void notifyText(const QString& summary, const QString& body, bool withActions);
  void probeSound();
  void probeDone(const QString& why);
  void reportFailure(const QString& message);
  void updateTray(bool newMessages);

 private slots:
  void notificationAction(uint id, const QString& action);

 private:
  void openPlanner();

  ShellHost& host_;
  std::unique_ptr<RemindersWindow> window_;
  QMediaPlayer* player_ = nullptr;
  QAudioOutput* audio_ = nullptr;
  QTextToSpeech* speech_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  bool soundChecked_ = false, soundWorks_ = false;
  QProcess* probe_ = nullptr;
  QString pendingSound_;  // played when the probe has answered
  uint lastNotification_ = 0;
  quint64 notificationsAsked_ = 0;  // notifications with actions asked for so far
};

// Run as "shellhost --probe-sound": builds a media player and ends with 0
// when the media backend works; a broken backend crashes this process only.
int ProbeSound(int argc, char** argv);

}  // namespace krav::host
