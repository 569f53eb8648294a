#include "host/sync_runner.h"

#include <QDateTime>
#include <QMetaObject>

#include "shell/paths.h"
#include "sync/settings.h"

namespace krav::host {

SyncRunner::SyncRunner(std::string root, std::function<std::string()> user, QObject* parent)
    : QObject(parent), root_(std::move(root)), user_(std::move(user)), minuteTimer_(this), changeTimer_(this) {
  qRegisterMetaType<krav::sync::PassResult>("krav::sync::PassResult");
  minuteTimer_.setInterval(60 * 1000);
  connect(&minuteTimer_, &QTimer::timeout, this, &SyncRunner::minute);
  changeTimer_.setSingleShot(true);
  connect(&changeTimer_, &QTimer::timeout, this, [this] { passNow(); });
}

SyncRunner::~SyncRunner() { stop(); }

void SyncRunner::start() {
  lastPassMs_ = 0;
  minuteTimer_.start();
  // The first pass soon after the host starts, as after a change.
  recordsChanged();
}

void SyncRunner::stop() {
  minuteTimer_.stop();
  changeTimer_.stop();
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
  cancel_ = false;
}

void SyncRunner::recordsChanged() {
  sync::SyncSettings s;
  std::string error;
  const std::string dir = shell::DataDir(root_, user_());
  if (!sync::ReadSyncSettings(dir, s, error) || s.url.empty()) return;
  if (!changeTimer_.isActive()) changeTimer_.start(kAfterChangeMs);
}

void SyncRunner::minute() {
  sync::SyncSettings s;
  std::string error;
  const std::string dir = shell::DataDir(root_, user_());
  if (!sync::ReadSyncSettings(dir, s, error) || s.url.empty() || s.interval <= 0) return;
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (lastPassMs_ == 0 || now - lastPassMs_ >= qint64{s.interval} * 60 * 1000) passNow();
}

bool SyncRunner::passNow() {
  if (running_.exchange(true)) return false;
  if (worker_.joinable()) worker_.join();
  const std::string user = user_(), dir = shell::DataDir(root_, user);
  sync::SyncSettings settings;
  std::string error;
  sync::PassResult refused;
  refused.status = sync::PassResult::LocalFailed;
  if (!sync::ReadSyncSettings(dir, settings, error)) {
    refused.error = error;
    finished(refused);
    return false;
  }
  if (settings.url.empty()) {
    running_ = false;
    return false;
  }
  lastPassMs_ = QDateTime::currentMSecsSinceEpoch();
  // The password too is read on the worker: the keyring may ask to be unlocked.
  worker_ = std::thread([this, root = root_, user, settings, dir] {
    std::string password, error;
    sync::PassResult r;
    if (!sync::ReadSyncPassword(dir, settings, password, error)) {
      r.status = sync::PassResult::LocalFailed;
      r.error = error;
    } else {
      r = sync::RunPass(root, user, settings, password, false, &cancel_);
    }
    QMetaObject::invokeMethod(
        this, [this, r] { finished(r); }, Qt::QueuedConnection);
  });
  return true;
}

void SyncRunner::finished(const sync::PassResult& r) {
  running_ = false;
  if (r.status == sync::PassResult::Busy) return;  // another program's pass: it does the work
  for (const auto& note : r.notes) emit logLine(QStringLiteral("sync: ") + QString::fromStdString(note));
  if (r.status != sync::PassResult::Done) {
    const QString message =
        QStringLiteral("Синхронизация с календарём не удалась: ") + QString::fromStdString(r.error);
    emit logLine(message);
    if (!failureTold_) emit failed(message);
    failureTold_ = true;
  } else {
    if (failureTold_) emit logLine(QStringLiteral("sync: the calendar answers again"));
    failureTold_ = false;
    emit logLine(QStringLiteral("sync: ") + QString::fromStdString(sync::SummaryLine(r.counts)));
  }
  emit passDone(r);
}

}  // namespace krav::host
