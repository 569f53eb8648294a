// The notification settings page: the sound file with play, stop and
// browse, the three switches, and the calendar synchronisation. Changes are saved on the next tick of the
// main window's one-second timer, once per change, and at close.
#pragma once

#include <QWidget>

#include "app/logic/program_context.h"
#include "shell/notification_settings.h"

class QCheckBox;
class QLineEdit;
class QToolButton;

namespace krav::app {

class SyncSettingsBox;

class SettingsPage : public QWidget {
  Q_OBJECT
 public:
  SettingsPage(const ProgramContext& context, QWidget* parent = nullptr);

  void load();
  // Writes the settings and posts 3034 to the shell; clears the changed
  // flag when the write succeeded.
  bool save();
  // The one-second tick: saves when something changed.
  void tick();
  void play();
  void stop();
  void browse();

  const shell::NotificationSettings& settings() const { return settings_; }
  bool changed() const { return changed_; }
  QLineEdit* soundEdit() const { return edit14_; }
  QCheckBox* showDialogBox() const { return checkBox2_; }
  QCheckBox* autoDeleteBox() const { return checkBox1_; }
  QCheckBox* speakBox() const { return checkBox3_; }
  SyncSettingsBox* syncBox() const { return sync_; }

 protected:
  bool eventFilter(QObject*, QEvent*) override;

 private:
  const ProgramContext& context_;
  shell::NotificationSettings settings_;
  bool changed_ = false;
  QLineEdit* edit14_;
  QCheckBox* checkBox2_;
  QCheckBox* checkBox1_;
  QCheckBox* checkBox3_;
  SyncSettingsBox* sync_;
};

}  // namespace krav::app
