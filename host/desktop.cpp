#include "host/desktop.h"

#include <QApplication>
#include <QAudioOutput>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMediaPlayer>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTextToSpeech>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/kit/colours.h"
#include "host/speech.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/process.h"

namespace krav::host {
namespace {

// A bell, with a red dot while reminders wait.
QIcon BellIcon(bool dot) {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(230, 170, 40));
  p.setPen(QPen(QColor(120, 80, 10), 1.5));
  QPainterPath bell;
  bell.moveTo(6, 24);
  bell.cubicTo(9, 20, 8, 6, 16, 5);
  bell.cubicTo(24, 6, 23, 20, 26, 24);
  bell.closeSubpath();
  p.drawPath(bell);
  p.drawEllipse(QPointF(16, 27), 3, 3);
  if (dot) {
    p.setBrush(QColor(220, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(25, 8), 6, 6);
  }
  return QIcon(pm);
}

}  // namespace

RemindersWindow::RemindersWindow(ShellHost& host) : host_(host), list_(new QTreeWidget(this)) {
  setWindowTitle(QStringLiteral("Напоминания"));
  setWindowIcon(BellIcon(true));
  list_->setColumnCount(2);
  list_->setHeaderLabels({QStringLiteral("Когда"), QStringLiteral("Сообщение")});
  list_->setRootIsDecorated(false);
  list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  auto* ok = new QPushButton(QStringLiteral("Понял"));
  auto* later = new QPushButton(QStringLiteral("Отложить…"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    host_.acknowledge();
    hide();
  });
  connect(later, &QPushButton::clicked, this, &RemindersWindow::postponeSelected);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(later);
  buttons->addWidget(ok);
  failure_ = new QLabel(this);
  failure_->setWordWrap(true);
  failure_->setStyleSheet("color: " + app::colours::Css(app::colours::kErrorText) + ";");
  failure_->setAccessibleName(QStringLiteral("Ошибка"));
  failure_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(failure_);
  layout->addLayout(buttons);
  resize(520, 260);
  setWindowFlag(Qt::WindowStaysOnTopHint);
}

void RemindersWindow::showReminders(const std::vector<Reminder>& list) {
  failure_->hide();
  list_->clear();
  for (const auto& r : list) list_->addTopLevelItem(new QTreeWidgetItem({r.when, r.description}));
  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(list_->topLevelItemCount() - 1));
  show();
  raise();
  activateWindow();
}

void RemindersWindow::showFailure(const QString& message) {
  failure_->setText(message);
  failure_->show();
  show();
  raise();
}

void RemindersWindow::postponeSelected() {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0) return;
  QDialog ask(this);
  ask.setWindowTitle(QStringLiteral("Отложить напоминание"));
  auto* hours = new QSpinBox;
  hours->setRange(0, 999);
  auto* minutes = new QSpinBox;
  minutes->setRange(0, 59);
  minutes->setValue(5);
  auto* form = new QFormLayout(&ask);
  form->addRow(new QLabel(list_->currentItem()->text(1)));
  form->addRow(QStringLiteral("Часов:"), hours);
  form->addRow(QStringLiteral("Минут:"), minutes);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  form->addRow(box);
  connect(box, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
  if (ask.exec() != QDialog::Accepted || (hours->value() == 0 && minutes->value() == 0)) return;
  // A failure keeps the reminder in the list and shows why (failure signal).
  if (!host_.postpone(static_cast<std::size_t>(row), hours->value(), minutes->value())) return;
  const auto left = host_.reminders();
  if (left.empty()) hide();
  else showReminders(left);
}

static bool MediaBackendWorks(QString& why) {
  // A media backend that lacks its plug-ins can crash while the player is
  // built, so a child process tries it first.
  QProcess probe;
  probe.setStandardOutputFile(QProcess::nullDevice());
  probe.setStandardErrorFile(QProcess::nullDevice());
  probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--probe-sound")});
  if (!probe.waitForFinished(15000)) {
    probe.kill();
    probe.waitForFinished();
    why = QStringLiteral("the media backend did not answer");
    return false;
  }
  if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
    why =
        QStringLiteral("the media backend fails (exit %1); install the GStreamer plug-ins").arg(probe.exitCode());
    return false;
  }
  return true;
}

int ProbeSound(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QMediaPlayer player;
  QAudioOutput audio;
  player.setAudioOutput(&audio);
  return player.isAvailable() ? 0 : 1;
}

Desktop::Desktop(ShellHost& host) : host_(host), window_(std::make_unique<RemindersWindow>(host)) {
  connect(&host, &ShellHost::playSound, this, &Desktop::play);
  connect(&host, &ShellHost::stopSound, this, [this] {
    if (player_) player_->stop();
  });
  connect(&host, &ShellHost::failure, this, &Desktop::reportFailure);
  connect(&host, &ShellHost::speak, this, &Desktop::say);
  connect(&host, &ShellHost::present, this, [this](const std::vector<Reminder>& list) {
    if (list.empty()) return;
    window_->showReminders(list);
    notify(list);
  });
  connect(&host, &ShellHost::activateRequested, this, [this] { window_->showReminders(host_.reminders()); });
  connect(&host, &ShellHost::logLine, this, [](const QString& l) {
    if (!l.startsWith(QStringLiteral("plugin CheckIf"))) std::fprintf(stderr, "%s\n", l.toUtf8().constData());
  });

  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_ = new QSystemTrayIcon(BellIcon(false), this);
    auto* menu = new QMenu;
    menu->addAction(QStringLiteral("Открыть планировщик"), this, &Desktop::openPlanner);
    menu->addAction(QStringLiteral("Показать напоминания"), this,
                    [this] { window_->showReminders(host_.reminders()); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Выход"), qApp, &QApplication::quit);
    tray_->setContextMenu(menu);
    tray_->setToolTip(QStringLiteral("Кравитор: напоминания"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      if (r == QSystemTrayIcon::Trigger) window_->showReminders(host_.reminders());
    });
    connect(&host, &ShellHost::indicatorChanged, this, &Desktop::updateTray);
    tray_->show();
  }
}

Desktop::~Desktop() {
  if (tray_) delete tray_->contextMenu();
}

void Desktop::play(const QString& path) {
  if (!player_) {
    if (!soundChecked_) {
      soundChecked_ = true;
      QString why;
      soundWorks_ = MediaBackendWorks(why);
      if (!soundWorks_) std::fprintf(stderr, "no sound: %s\n", why.toUtf8().constData());
    }
    if (!soundWorks_) return;
    player_ = new QMediaPlayer(this);
    audio_ = new QAudioOutput(this);
    player_->setAudioOutput(audio_);
  }
  player_->setSource(QUrl::fromLocalFile(path));
  player_->play();
}

void Desktop::say(const QString& text) {
  if (!speech_) {
    speech_ = new QTextToSpeech(this);
    for (const QLocale& l : speech_->availableLocales())
      if (l.language() == QLocale::Russian) {
        speech_->setLocale(l);
        break;
      }
  }
  if (speech_->state() != QTextToSpeech::Error && speech_->locale().language() == QLocale::Russian) {
    speech_->say(text);
  } else if (!QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty()) {
    Spawn(EspeakCommand(text.toStdString()));
  }
}

void Desktop::notify(const std::vector<Reminder>& list) {
  QStringList lines;
  for (const auto& r : list) lines << r.when + "  " + r.description;
  notifyText(QStringLiteral("Напоминание"), lines.join('\n'));
}

void Desktop::notifyText(const QString& summary, const QString& body) {
  QDBusInterface bus(QStringLiteral("org.freedesktop.Notifications"),
                     QStringLiteral("/org/freedesktop/Notifications"),
                     QStringLiteral("org.freedesktop.Notifications"), QDBusConnection::sessionBus());
  if (!bus.isValid()) return;
  bus.call(QStringLiteral("Notify"), QStringLiteral("Кравитор"), 0u, QStringLiteral("appointment-soon"), summary,
           body, QStringList(), QVariantMap(), 10000);
}

void Desktop::reportFailure(const QString& message) {
  std::fprintf(stderr, "%s\n", message.toUtf8().constData());
  window_->showFailure(message);
  notifyText(QStringLiteral("Напоминание не отложено"), message);
}

void Desktop::updateTray(bool newMessages) {
  if (tray_) tray_->setIcon(BellIcon(newMessages));
}

void Desktop::openPlanner() {
  const std::string program = host_.root() + "mess";
  if (!StartProgram(program, "")) std::fprintf(stderr, "the planner %s is not there\n", FsPath(program).c_str());
}

}  // namespace krav::host
