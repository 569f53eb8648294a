// shellhost: stands in for the hosting shell. Loads root + "libdorvik.so",
// polls it once a second, and presents due reminders, plays and speaks.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <memory>

#include "host/desktop.h"
#include "host/headless.h"
#include "host/shell_host.h"
#include "platform/encoding.h"

namespace {

bool WantsHeadless(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--headless") return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace krav::host;
  std::unique_ptr<QCoreApplication> app = WantsHeadless(argc, argv)
                                              ? std::make_unique<QCoreApplication>(argc, argv)
                                              : std::make_unique<QApplication>(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("shellhost"));
  QCoreApplication::setOrganizationName(QStringLiteral("krav"));

  QCommandLineParser cli;
  cli.setApplicationDescription(QStringLiteral("The stand-in shell of the planner: reminders, sound and speech."));
  cli.addHelpOption();
  const QCommandLineOption headless(QStringLiteral("headless"),
                                    QStringLiteral("No windows: report on standard output, read commands from standard input."));
  const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("The root directory (default: this program's folder)."),
                                QStringLiteral("dir"));
  const QCommandLineOption postpone(QStringLiteral("postpone"),
                                    QStringLiteral("Headless: postpone reminder I by H hours and M minutes at the first presentation."),
                                    QStringLiteral("I:H:M"));
  const QCommandLineOption exitAfter(QStringLiteral("exit-after"), QStringLiteral("Quit after that many seconds."),
                                     QStringLiteral("seconds"));
  cli.addOptions({headless, root, postpone, exitAfter});
  cli.process(*app);

  QString rootDir = cli.isSet(root) ? cli.value(root) : QCoreApplication::applicationDirPath();
  ShellHost host(krav::Utf8ToCp1251(rootDir.toStdString()));

  std::optional<PostponeRequest> request;
  if (cli.isSet(postpone)) {
    const QStringList p = cli.value(postpone).split(':');
    if (p.size() != 3) {
      std::fprintf(stderr, "shellhost: --postpone takes I:H:M\n");
      return 2;
    }
    request = PostponeRequest{p[0].toUInt(), p[1].toInt(), p[2].toInt()};
  }
  std::unique_ptr<QObject> front;
  if (cli.isSet(headless)) front = std::make_unique<Headless>(host, request);
  else front = std::make_unique<Desktop>(host);

  if (!host.start()) return 1;
  if (cli.isSet(exitAfter)) QTimer::singleShot(cli.value(exitAfter).toInt() * 1000, app.get(), &QCoreApplication::quit);
  const int rc = app->exec();
  host.stop();
  return rc;
}
