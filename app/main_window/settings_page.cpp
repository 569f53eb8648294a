#include "app/main_window/settings_page.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/frame/page_frame.h"
#include "app/kit/qt_text.h"
#include "app/logic/asking.h"
#include "app/main_window/sync_settings_box.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::app {
namespace {}  // namespace

SettingsPage::SettingsPage(const ProgramContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* header = new PageHeader(QString::fromUtf8("Планировщик : настройки"), this);
  header->setObjectName("Caption200010");
  layout->addWidget(header);

  auto* body = new QVBoxLayout;
  body->setContentsMargins(12, 8, 12, 8);
  auto* label24 = new QLabel(QString::fromUtf8("Проигрывать музыкальный файл"), this);
  label24->setObjectName("Label24");
  body->addWidget(label24);
  auto* soundRow = new QHBoxLayout;
  edit14_ = new QLineEdit(this);
  edit14_->setObjectName("Edit14");
  edit14_->installEventFilter(this);
  soundRow->addWidget(edit14_, 1);
  auto tool = [&](const char* name, const char* text, const char* hint) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(text));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAccessibleName(QString::fromUtf8(hint));
    b->setFixedSize(22, 22);
    soundRow->addWidget(b);
    return b;
  };
  connect(tool("SpeedButton42", "▶", "Воспроизвести"), &QToolButton::clicked, this, &SettingsPage::play);
  connect(tool("SpeedButton106", "■", "Стоп"), &QToolButton::clicked, this, &SettingsPage::stop);
  connect(tool("SpeedButton43", "…", "Обзор ..."), &QToolButton::clicked, this, &SettingsPage::browse);
  body->addLayout(soundRow);
  body->addSpacing(8);

  auto box = [&](const char* name, const char* text, bool shell::NotificationSettings::*field) {
    auto* c = new QCheckBox(QString::fromUtf8(text), this);
    c->setObjectName(name);
    connect(c, &QCheckBox::clicked, this, [this, c, field] {
      settings_.*field = c->isChecked();
      changed_ = true;
    });
    body->addWidget(c);
    return c;
  };
  checkBox2_ = box("CheckBox2", "Выводить заставку при сообщении", &shell::NotificationSettings::showDialog);
  checkBox1_ =
      box("CheckBox1", "Автоматически удалять устаревшие напоминания", &shell::NotificationSettings::autoDelete);
  checkBox3_ = box("CheckBox3", "Зачитывать сообщение", &shell::NotificationSettings::speak);
  body->addSpacing(8);
  sync_ = new SyncSettingsBox(context_.dataDir, this);
  body->addWidget(sync_);
  body->addStretch(1);
  auto* label35 = new QLabel(
      QString::fromUtf8("Ниже укажите действия, как Кравитор 2000  должен Вас оповещать о сообщении (если "
                        "проигрывание музыкального файла не требуется, то просто оставьте поле пустым)"),
      this);
  label35->setObjectName("Label35");
  label35->setWordWrap(true);
  body->addWidget(label35);
  layout->addLayout(body, 1);
}

void SettingsPage::load() {
  settings_ = shell::LoadNotificationSettings(context_.userSettings);
  edit14_->setText(FromCp1251(settings_.soundFile));
  checkBox2_->setChecked(settings_.showDialog);
  checkBox1_->setChecked(settings_.autoDelete);
  checkBox3_->setChecked(settings_.speak);
  changed_ = false;
  sync_->load();
}

bool SettingsPage::save() {
  ForceDir(context_.dataDir);
  const bool ok = shell::SaveNotificationSettings(context_.userSettings, settings_);
  // Posted, never sent: the host may be inside the plug-in (a due check, a
  // snooze that sends to this very window), and the window must not wait on it.
  PostWindowMessage(context_.shellWindow(), shell::kMsgRecordsChanged, 0, 0);
  if (ok) changed_ = false;
  const bool syncOk = !sync_->changed() || sync_->save();
  return ok && syncOk;
}

void SettingsPage::tick() {
  if (changed_) save();
  else if (sync_->changed()) sync_->save();
}

void SettingsPage::play() {
  // The host plays the file the settings name: not written, it would play another.
  if (WriteIniString(context_.shellSettings, shell::kMediaFile.section, shell::kMediaFile.key,
                     ToCp1251(edit14_->text())))
    PostWindowMessage(context_.shellWindow(), shell::kMsgPlaySound, 0, 0);
}

void SettingsPage::stop() { PostWindowMessage(context_.shellWindow(), shell::kMsgStopSound, 0, 0); }

void SettingsPage::browse() {
  const std::string current = shell::ResolveShellPath(context_.root, ToCp1251(edit14_->text()));
  const auto file = Ask().pickFile({"", QFileInfo(QString::fromStdString(FsPath(current))).path().toStdString()});
  if (!file) return;
  edit14_->setText(QString::fromStdString(*file));
  edit14_->setFocus();
}

bool SettingsPage::eventFilter(QObject* watched, QEvent* e) {
  if (watched == edit14_ && e->type() == QEvent::FocusOut) {
    settings_.soundFile = ToCp1251(edit14_->text());
    changed_ = true;
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace krav::app
