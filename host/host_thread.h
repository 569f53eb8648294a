// A shell host on a thread of its own. The plug-in waits inside its calls
// (the due check pauses before the reminders window, a snooze sends to the
// planner and waits for its answer), and the host's message window is served
// where the plug-in runs; on this thread none of it holds the windows of the
// host up. The presentation listens to the host's signals across threads.
#pragma once

#include <QThread>
#include <functional>

#include "host/shell_host.h"

namespace krav::host {

class HostThread {
 public:
  // Moves the host, which must not be started yet, to the new thread.
  explicit HostThread(ShellHost& host);
  // Stops the host on its thread and brings it back to the caller's.
  ~HostThread();
  HostThread(const HostThread&) = delete;
  HostThread& operator=(const HostThread&) = delete;

  // Runs f on the host's thread and waits for it: for starting and stopping only.
  void call(const std::function<void()>& f);

 private:
  ShellHost& host_;
  QThread thread_;
  QThread* home_;
};

// Runs f where the host lives: at once when that is the calling thread,
// else queued there (the caller does not wait).
void OnHostThread(ShellHost& host, std::function<void()> f);

}  // namespace krav::host
