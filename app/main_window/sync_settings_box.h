// The calendar synchronisation's part of the settings page: the calendar's
// address, the login, the password, the interval between the host's passes,
// and «Проверить», which tries the connection with what is typed and says
// what happened. Saved with the page's tick, once per change.
#pragma once

#include <QGroupBox>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace krav::app {

class SyncSettingsBox : public QGroupBox {
  Q_OBJECT
 public:
  SyncSettingsBox(std::string dataDir, QWidget* parent = nullptr);
  ~SyncSettingsBox() override;

  void load();
  // Writes what changed; the password only when one was typed, on a worker
  // (passwordSaved tells when it is kept).
  bool save();
  bool savingPassword() const { return passwordSaves_ > 0; }
  bool changed() const { return changed_; }
  // Tries the calendar on a worker; the answer shows when it comes.
  void check();

  QLineEdit* urlEdit() const { return urlEdit_; }
  QLineEdit* loginEdit() const { return loginEdit_; }
  QLineEdit* passwordEdit() const { return passwordEdit_; }
  QSpinBox* intervalSpin() const { return intervalSpin_; }
  QPushButton* checkButton() const { return checkButton_; }
  QLabel* answerLabel() const { return answerLabel_; }

 signals:
  void checked(bool ok, const QString& message);
  void passwordSaved(bool ok);

 private:
  std::string dataDir_;
  bool changed_ = false;
  bool passwordTyped_ = false;
  int passwordSaves_ = 0;
  QLineEdit* urlEdit_;
  QLineEdit* loginEdit_;
  QLineEdit* passwordEdit_;
  QSpinBox* intervalSpin_;
  QPushButton* checkButton_;
  QLabel* answerLabel_;
};

}  // namespace krav::app
