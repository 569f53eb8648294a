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
class QTreeWidget;

namespace krav::host {

class RemindersWindow : public QDialog {
  Q_OBJECT
 public:
  explicit RemindersWindow(ShellHost& host);
  void showReminders(const std::vector<Reminder>& list);

 private:
  void postponeSelected();
  ShellHost& host_;
  QTreeWidget* list_;
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
  void updateTray(bool newMessages);
  void openPlanner();

  ShellHost& host_;
  std::unique_ptr<RemindersWindow> window_;
  QMediaPlayer* player_ = nullptr;
  QAudioOutput* audio_ = nullptr;
  QTextToSpeech* speech_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace krav::host
