#include "host/headless.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace krav::host {
namespace {

void Print(const QString& line) {
  std::fputs((line + "\n").toUtf8().constData(), stdout);
  std::fflush(stdout);
}

}  // namespace

Headless::Headless(ShellHost& host, std::optional<PostponeRequest> autoPostpone)
    : host_(host), autoPostpone_(autoPostpone) {
  connect(&host, &ShellHost::logLine, this, &Print);
  connect(&host, &ShellHost::playSound, this, [](const QString& p) { Print("play " + p); });
  connect(&host, &ShellHost::stopSound, this, [] { Print("stop sound"); });
  connect(&host, &ShellHost::speak, this, [](const QString& t) { Print("speak " + t); });
  connect(&host, &ShellHost::failure, this, [](const QString& m) { Print("failure " + m); });
  connect(&host, &ShellHost::syncFailed, this, [](const QString& m) { Print("sync failure " + m); });
  connect(&host, &ShellHost::indicatorChanged, this,
          [](bool on) { Print(on ? "indicator on" : "indicator off"); });
  connect(&host, &ShellHost::missed, this, [](const std::vector<Reminder>& list) {
    Print(QStringLiteral("missed %1").arg(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i)
      Print(QStringLiteral("missed %1: %2 | %3").arg(i).arg(list[i].when, list[i].description));
  });
  connect(&host, &ShellHost::present, this, [this](const std::vector<Reminder>& list) {
    Print(QStringLiteral("present %1").arg(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i)
      Print(QStringLiteral("reminder %1: %2 | %3").arg(i).arg(list[i].when, list[i].description));
    if (autoPostpone_ && !list.empty()) {
      const PostponeRequest p = *autoPostpone_;
      autoPostpone_.reset();
      host_.postpone(p.index, p.hours, p.minutes);
    }
  });
  input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
  connect(input_.get(), &QSocketNotifier::activated, this, &Headless::readCommand);
}

void Headless::readCommand() {
  char buf[512];
  const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf - 1);
  if (n <= 0) {
    input_->setEnabled(false);  // end of input: keep running
    return;
  }
  const QStringList lines = QString::fromUtf8(buf, static_cast<int>(n)).split('\n', Qt::SkipEmptyParts);
  for (const QString& line : lines) {
    const QStringList w = line.simplified().split(' ');
    if (w.value(0) == "ack") {
      host_.acknowledge();
    } else if (w.value(0) == "postpone" && w.size() == 4) {
      host_.postpone(w[1].toUInt(), w[2].toInt(), w[3].toInt());
    } else if (w.value(0) == "quit") {
      QCoreApplication::quit();
    } else {
      Print("unknown command: " + line);
    }
  }
}

}  // namespace krav::host
