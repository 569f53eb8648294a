// The host's calendar synchronisation: a pass every [Sync] Interval minutes
// and shortly after the records change on disk, on a worker thread, never
// two at once (the pass's own lock keeps out other programs too). A failure
// is told once (log and notification), not at every retry, until a pass
// succeeds again.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "sync/pass.h"

namespace krav::host {

class SyncRunner : public QObject {
  Q_OBJECT
 public:
  // How long after a change on disk the pass starts: the writes settle first.
  static constexpr int kAfterChangeMs = 20000;

  // user: the active user, asked at each pass (it may change).
  SyncRunner(std::string root, std::function<std::string()> user, QObject* parent = nullptr);
  ~SyncRunner() override;

  void start();
  void stop();            // cuts a pass under way short and waits for it
  void recordsChanged();  // a pass soon, when synchronisation is set up
  // Starts a pass now unless one runs; false when none was started.
  bool passNow();
  bool running() const { return running_; }

 signals:
  void logLine(const QString& line);
  void failed(const QString& message);  // once per run of failures
  void passDone(const krav::sync::PassResult& result);

 private:
  void minute();
  void finished(const krav::sync::PassResult& result);

  std::string root_;
  std::function<std::string()> user_;
  QTimer minuteTimer_, changeTimer_;
  std::thread worker_;
  std::atomic<bool> running_{false};
  std::atomic<bool> cancel_{false};  // set by stop: the pass under way ends within a moment
  qint64 lastPassMs_ = 0;
  bool failureTold_ = false;
};

}  // namespace krav::host
