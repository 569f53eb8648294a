#include "host/desktop.h"

#include <QApplication>
#include <QAudioOutput>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMediaPlayer>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTextToSpeech>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "app/kit/colours.h"
#include "host/host_thread.h"
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
  list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  list_->header()->setStretchLastSection(true);
  // A long text is cut in the list; the whole of the chosen one is read
  // below it, and in the tooltip.
  list_->setTextElideMode(Qt::ElideRight);
  list_->setAccessibleName(QStringLiteral("Напоминания"));
  auto* ok = new QPushButton(QStringLiteral("Понял"));
  auto* later = new QPushButton(QStringLiteral("Отложить…"));
  // A reminder is acknowledged only by a deliberate press: no button is
  // the default, so Enter (meant for another window) answers nothing.
  ok->setAutoDefault(false);
  later->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, [this] {
    OnHostThread(host_, [host = &host_] { host->acknowledge(); });
    missed_.clear();
    hide();
  });
  connect(later, &QPushButton::clicked, this, &RemindersWindow::postponeSelected);
  // Missed reminders are only told, never postponed.
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text_->setTabChangesFocus(true);  // Tab leaves the pane for the buttons
  text_->setAccessibleName(QStringLiteral("Текст напоминания"));
  text_->setMaximumHeight(6 * text_->fontMetrics().lineSpacing() + 12);
  connect(list_, &QTreeWidget::currentItemChanged, this, [this, later](QTreeWidgetItem* current) {
    later->setEnabled(list_->indexOfTopLevelItem(current) < dueCount_);
    text_->setPlainText(current ? current->text(1) : QString());
  });
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
  layout->addWidget(list_, 1);
  layout->addWidget(text_);
  layout->addWidget(failure_);
  layout->addLayout(buttons);
  resize(560, 300);
  setMaximumSize(900, 700);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  // It comes up over the other windows but leaves the keyboard where it was.
  setAttribute(Qt::WA_ShowWithoutActivating);
}

void RemindersWindow::addMissed(const std::vector<Reminder>& list) {
  missed_.insert(missed_.end(), list.begin(), list.end());
  showReminders(host_.reminders());
}

void RemindersWindow::showReminders(const std::vector<Reminder>& list) {
  failure_->hide();
  list_->clear();
  dueCount_ = static_cast<int>(list.size());
  auto add = [this](const Reminder& r) {
    auto* item = new QTreeWidgetItem({r.when, r.description});
    item->setToolTip(1, r.description);
    list_->addTopLevelItem(item);
  };
  for (const auto& r : list) add(r);
  for (const auto& r : missed_) add(r);
  if (list_->topLevelItemCount() > 0)
    list_->setCurrentItem(list_->topLevelItem(dueCount_ > 0 ? dueCount_ - 1 : 0));
  show();
  raise();
  QApplication::alert(this);  // flashes in the task bar; the keyboard stays where it is
}

void RemindersWindow::showFailure(const QString& message) {
  failure_->setText(message);
  failure_->show();
  show();
  raise();
}

void RemindersWindow::postponeSelected() {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0 || row >= dueCount_) return;
  QDialog ask(this);
  ask.setWindowTitle(QStringLiteral("Отложить напоминание"));
  auto* hours = new QSpinBox;
  hours->setRange(0, 999);
  auto* minutes = new QSpinBox;
  minutes->setRange(0, 59);
  minutes->setValue(5);
  // Wide enough for its whole title.
  ask.setMinimumWidth(ask.fontMetrics().horizontalAdvance(ask.windowTitle()) + 160);
  auto* form = new QFormLayout(&ask);
  const QString text = list_->currentItem()->text(1);
  auto* label = new QLabel(&ask);
  label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, 400));
  label->setToolTip(text);
  form->addRow(label);
  ask.setMaximumWidth(480);
  form->addRow(QStringLiteral("Часов:"), hours);
  form->addRow(QStringLiteral("Минут:"), minutes);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  form->addRow(box);
  connect(box, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
  if (ask.exec() != QDialog::Accepted || (hours->value() == 0 && minutes->value() == 0)) return;
  // On the host's thread (the plug-in tells the planner and waits for it);
  // a failure keeps the reminder in the list and shows why (failure signal).
  const std::size_t i = static_cast<std::size_t>(row);
  OnHostThread(host_, [this, i, h = hours->value(), m = minutes->value()] {
    if (!host_.postpone(i, h, m)) return;
    QMetaObject::invokeMethod(
        this, [this] { showLeft(); }, Qt::AutoConnection);
  });
}

void RemindersWindow::showLeft() {
  const auto left = host_.reminders();
  if (left.empty()) hide();
  else showReminders(left);
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
  connect(&host, &ShellHost::syncFailed, this, [this](const QString& message) {
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    notifyText(QStringLiteral("Синхронизация с календарём"), message, false);
  });
  connect(&host, &ShellHost::missed, this, [this](const std::vector<Reminder>& list) {
    window_->addMissed(list);
    notifyText(QStringLiteral("Пропущенные напоминания"),
               QStringLiteral("Пропущено напоминаний: %1").arg(list.size()), false);
  });
  // The actions of a due reminder's notification.
  QDBusConnection::sessionBus().connect(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"), this,
      SLOT(notificationAction(uint, QString)));
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
    if (soundChecked_ && !soundWorks_) return;
    pendingSound_ = path;
    if (!soundChecked_) probeSound();
    return;  // played once the probe has answered
  }
  player_->setSource(QUrl::fromLocalFile(path));
  player_->play();
}

// A media backend that lacks its plug-ins can crash while the player is
// built, so a child process tries it first; the window goes on meanwhile.
void Desktop::probeSound() {
  if (probe_) return;
  probe_ = new QProcess(this);
  probe_->setStandardOutputFile(QProcess::nullDevice());
  probe_->setStandardErrorFile(QProcess::nullDevice());
  auto* limit = new QTimer(probe_);
  limit->setSingleShot(true);
  connect(limit, &QTimer::timeout, probe_,
          [this] { probeDone(QStringLiteral("the media backend did not answer")); });
  connect(probe_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
    probeDone(status == QProcess::NormalExit && code == 0
                  ? QString()
                  : QStringLiteral("the media backend fails (exit %1); install the GStreamer plug-ins").arg(code));
  });
  connect(probe_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) probeDone(QStringLiteral("the sound probe could not be started"));
  });
  probe_->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--probe-sound")});
  limit->start(15000);
}

void Desktop::probeDone(const QString& why) {
  if (!probe_ || soundChecked_) return;
  soundChecked_ = true;
  soundWorks_ = why.isEmpty();
  QProcess* probe = probe_;
  probe->disconnect(this);
  if (probe->state() != QProcess::NotRunning) {
    // Killed, it is reaped when it ends; the process object goes with it.
    connect(probe, &QProcess::finished, probe, &QObject::deleteLater);
    probe->kill();
  } else {
    probe->deleteLater();
  }
  probe_ = nullptr;
  if (!soundWorks_) {
    std::fprintf(stderr, "no sound: %s\n", why.toUtf8().constData());
    return;
  }
  player_ = new QMediaPlayer(this);
  audio_ = new QAudioOutput(this);
  player_->setAudioOutput(audio_);
  if (!pendingSound_.isEmpty()) play(std::exchange(pendingSound_, QString()));
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
  notifyText(QStringLiteral("Напоминание"), lines.join('\n'), true);
}

void Desktop::notificationAction(uint id, const QString& action) {
  if (id == 0 || id != lastNotification_) return;
  if (action == QLatin1String("ack")) {
    OnHostThread(host_, [host = &host_] { host->acknowledge(); });
    window_->hide();
  } else if (action == QLatin1String("snooze")) {
    // Every reminder of the notification, five minutes on, as the window postpones.
    OnHostThread(host_, [this] {
      for (std::size_t left = host_.reminders().size(); left > 0; --left)
        if (!host_.postpone(0, 0, 5)) break;
      QMetaObject::invokeMethod(
          window_.get(), [this] { window_->showLeft(); }, Qt::AutoConnection);
    });
  }
}

void Desktop::notifyText(const QString& summary, const QString& body, bool withActions) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  const QStringList actions = withActions
                                  ? QStringList{QStringLiteral("ack"), QStringLiteral("Понял"),
                                                QStringLiteral("snooze"), QStringLiteral("Отложить на 5 минут")}
                                  : QStringList();
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  call << QStringLiteral("Кравитор") << 0u << QStringLiteral("appointment-soon") << summary << body << actions
       << QVariantMap() << 10000;
  // Asked without waiting: a notification service that does not answer
  // holds nothing up. The id of a reminders' notification comes with the
  // answer; from the asking on, the older one's buttons do nothing, and only
  // the answer to the latest asking names the current one.
  const quint64 asked = withActions ? ++notificationsAsked_ : 0;
  if (withActions) lastNotification_ = 0;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, asked] {
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    if (asked == 0 || asked != notificationsAsked_) return;
    lastNotification_ = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                            ? reply.arguments().first().toUInt()
                            : 0;
  });
}

void Desktop::reportFailure(const QString& message) {
  std::fprintf(stderr, "%s\n", message.toUtf8().constData());
  window_->showFailure(message);
  notifyText(QStringLiteral("Напоминание не отложено"), message, false);
}

void Desktop::updateTray(bool newMessages) {
  if (tray_) tray_->setIcon(BellIcon(newMessages));
}

void Desktop::openPlanner() {
  const std::string program = host_.root() + "mess";
  if (!StartProgram(program, "")) std::fprintf(stderr, "the planner %s is not there\n", FsPath(program).c_str());
}

}  // namespace krav::host
