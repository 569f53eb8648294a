// The host without windows: every message, plug-in call and presentation is
// a line on standard output; standard input takes "ack", "postpone I H M"
// and "quit".
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <optional>

#include "host/shell_host.h"

namespace krav::host {

struct PostponeRequest {
  std::size_t index = 0;
  int hours = 0;
  int minutes = 5;
};

class Headless : public QObject {
  Q_OBJECT
 public:
  // autoPostpone: carried out at the first presentation.
  Headless(ShellHost& host, std::optional<PostponeRequest> autoPostpone);

 private:
  void readCommand();
  ShellHost& host_;
  std::optional<PostponeRequest> autoPostpone_;
  std::unique_ptr<QSocketNotifier> input_;
};

}  // namespace krav::host
