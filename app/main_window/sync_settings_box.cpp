#include "app/main_window/sync_settings_box.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <thread>

#include "sync/settings.h"

namespace krav::app {
namespace {

QString U(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

SyncSettingsBox::SyncSettingsBox(std::string dataDir, QWidget* parent)
    : QGroupBox(QStringLiteral("Календарь на сервере (CalDAV)"), parent), dataDir_(std::move(dataDir)) {
  setObjectName("SyncBox");
  auto* form = new QFormLayout(this);
  auto field = [&](QWidget* w, const QString& label, const QString& name) {
    w->setObjectName(name);
    w->setAccessibleName(label);
    auto* l = new QLabel(label + ":", this);
    l->setBuddy(w);
    form->addRow(l, w);
  };
  urlEdit_ = new QLineEdit(this);
  urlEdit_->setPlaceholderText(QStringLiteral("https://сервер/путь/к/календарю/"));
  field(urlEdit_, QStringLiteral("&Адрес календаря"), "SyncUrl");
  urlEdit_->setAccessibleName(QStringLiteral("Адрес календаря"));
  loginEdit_ = new QLineEdit(this);
  field(loginEdit_, QStringLiteral("&Имя"), "SyncLogin");
  loginEdit_->setAccessibleName(QStringLiteral("Имя"));
  passwordEdit_ = new QLineEdit(this);
  passwordEdit_->setEchoMode(QLineEdit::Password);
  field(passwordEdit_, QStringLiteral("&Пароль"), "SyncPassword");
  passwordEdit_->setAccessibleName(QStringLiteral("Пароль"));
  intervalSpin_ = new QSpinBox(this);
  intervalSpin_->setRange(0, 24 * 60);
  intervalSpin_->setSuffix(QStringLiteral(" мин"));
  intervalSpin_->setSpecialValueText(QStringLiteral("только вручную"));
  field(intervalSpin_, QStringLiteral("&Синхронизировать каждые"), "SyncInterval");
  intervalSpin_->setAccessibleName(QStringLiteral("Синхронизировать каждые, минут"));

  auto* row = new QHBoxLayout;
  checkButton_ = new QPushButton(QStringLiteral("Проверить"), this);
  checkButton_->setObjectName("SyncCheck");
  checkButton_->setAccessibleName(QStringLiteral("Проверить"));
  checkButton_->setAutoDefault(false);
  row->addWidget(checkButton_);
  answerLabel_ = new QLabel(this);
  answerLabel_->setObjectName("SyncAnswer");
  answerLabel_->setWordWrap(true);
  answerLabel_->setAccessibleName(QStringLiteral("Ответ календаря"));
  answerLabel_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  row->addWidget(answerLabel_, 1);
  form->addRow(row);

  auto mark = [this] { changed_ = true; };
  connect(urlEdit_, &QLineEdit::textEdited, this, mark);
  connect(loginEdit_, &QLineEdit::textEdited, this, mark);
  connect(passwordEdit_, &QLineEdit::textEdited, this, [this] {
    changed_ = true;
    passwordTyped_ = true;
  });
  connect(intervalSpin_, &QSpinBox::valueChanged, this, mark);
  connect(checkButton_, &QPushButton::clicked, this, &SyncSettingsBox::check);
}

SyncSettingsBox::~SyncSettingsBox() = default;

void SyncSettingsBox::load() {
  sync::SyncSettings s;
  std::string error;
  if (!sync::ReadSyncSettings(dataDir_, s, error)) answerLabel_->setText(U(error));
  urlEdit_->setText(U(s.url));
  loginEdit_->setText(U(s.login));
  intervalSpin_->setValue(s.interval);
  // The password is not shown, nor asked of the keyring here: the field says
  // whether one is kept.
  passwordEdit_->clear();
  passwordEdit_->setPlaceholderText(sync::PasswordKept(dataDir_) ? QStringLiteral("сохранён") : QString());
  changed_ = passwordTyped_ = false;
}

bool SyncSettingsBox::save() {
  sync::SyncSettings s;
  s.url = urlEdit_->text().trimmed().toStdString();
  s.login = loginEdit_->text().trimmed().toStdString();
  s.interval = intervalSpin_->value();
  std::string error;
  if (!sync::SaveSyncSettings(dataDir_, s, error)) {
    answerLabel_->setText(U(error));
    return false;
  }
  if (passwordTyped_) {
    // The keyring may ask the person to unlock it: kept off the window's thread.
    ++passwordSaves_;
    QPointer<SyncSettingsBox> self(this);
    std::thread([self, dir = dataDir_, s, password = passwordEdit_->text().toStdString()] {
      std::string why;
      const bool ok = sync::SaveSyncPassword(dir, s, password, why);
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [self, ok, why] {
            if (!self) return;
            --self->passwordSaves_;
            if (!ok) self->answerLabel_->setText(U(why));
            emit self->passwordSaved(ok);
          },
          Qt::QueuedConnection);
    }).detach();
  }
  changed_ = passwordTyped_ = false;
  return true;
}

void SyncSettingsBox::check() {
  sync::SyncSettings s;
  std::string error, password;
  (void)sync::ReadSyncSettings(dataDir_, s, error);  // AllowInsecure as set in the file
  s.url = urlEdit_->text().trimmed().toStdString();
  s.login = loginEdit_->text().trimmed().toStdString();
  const bool typed = passwordTyped_;
  if (typed) password = passwordEdit_->text().toStdString();
  checkButton_->setEnabled(false);
  answerLabel_->setText(QStringLiteral("Проверяю…"));
  // The network and the keyring may keep it waiting: the window does not.
  QPointer<SyncSettingsBox> self(this);
  std::thread([self, s, password, typed, dir = dataDir_] {
    std::string kept = password, why;
    sync::CheckResult r;
    if (!typed && !sync::ReadSyncPassword(dir, s, kept, why)) r.message = why;
    else r = sync::CheckCalendar(s, kept);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, r] {
          if (!self) return;
          self->checkButton_->setEnabled(true);
          self->answerLabel_->setText(U(r.message));
          emit self->checked(r.ok, U(r.message));
        },
        Qt::QueuedConnection);
  }).detach();
}

}  // namespace krav::app
