// shellhost: stands in for the hosting shell. Loads root + "libdorvik.so",
// polls it once a second, and presents due reminders, plays and speaks.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <memory>

#include "app/kit/translations.h"
#include "host/desktop.h"
#include "host/headless.h"
#include "host/host_thread.h"
#include "host/shell_host.h"
#include "platform/encoding.h"

namespace {

bool HasArgument(int argc, char** argv, std::string_view name) {
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == name) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace krav::host;
  if (HasArgument(argc, argv, "--probe-sound")) return ProbeSound(argc, argv);
  std::unique_ptr<QCoreApplication> app = HasArgument(argc, argv, "--headless")
                                              ? std::make_unique<QCoreApplication>(argc, argv)
                                              : std::make_unique<QApplication>(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("shellhost"));
  krav::app::LoadQtTranslations(*app);
  QCoreApplication::setOrganizationName(QStringLiteral("krav"));

  QCommandLineParser cli;
  cli.setApplicationDescription(QStringLiteral("The stand-in shell of the planner: reminders, sound and speech."));
  cli.addHelpOption();
  const QCommandLineOption headless(
      QStringLiteral("headless"),
      QStringLiteral("No windows: report on standard output, read commands from standard input."));
  const QCommandLineOption root(QStringLiteral("root"),
                                QStringLiteral("The root directory (default: this program's folder)."),
                                QStringLiteral("dir"));
  const QCommandLineOption postpone(
      QStringLiteral("postpone"),
      QStringLiteral("Headless: postpone reminder I by H hours and M minutes at the first presentation."),
      QStringLiteral("I:H:M"));
  const QCommandLineOption exitAfter(QStringLiteral("exit-after"), QStringLiteral("Quit after that many seconds."),
                                     QStringLiteral("seconds"));
  cli.addOptions({headless, root, postpone, exitAfter});
  cli.process(*app);

  const QString rootDir = cli.isSet(root) ? cli.value(root) : QCoreApplication::applicationDirPath();
  // The settings and records name the root in cp1251: a letter it lacks
  // would lead to another folder, so such a root is refused before anything
  // is made there.
  if (const std::string letter = krav::FirstCharOutsideCp1251(rootDir.toStdString()); !letter.empty()) {
    std::fprintf(stderr,
                 "shellhost: the root directory %s has the letter \"%s\", which code page 1251 lacks; "
                 "use a folder whose path has only Latin and Russian letters\n",
                 rootDir.toUtf8().constData(), letter.c_str());
    return 2;
  }
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
  // At a desktop the host runs on a thread of its own, the windows on this one.
  std::unique_ptr<HostThread> hostThread;
  if (cli.isSet(headless)) {
    front = std::make_unique<Headless>(host, request);
  } else {
    front = std::make_unique<Desktop>(host);
    hostThread = std::make_unique<HostThread>(host);
  }

  bool started = false;
  const auto start = [&] { started = host.start(); };
  if (hostThread) hostThread->call(start);
  else start();
  // A second start (the autostart entry while one runs) ends quietly.
  if (!started) return host.alreadyRunning() ? 0 : 1;
  if (cli.isSet(exitAfter))
    QTimer::singleShot(cli.value(exitAfter).toInt() * 1000, app.get(), &QCoreApplication::quit);
  const int rc = app->exec();
  if (hostThread) hostThread.reset();  // stops the host on its thread
  else host.stop();
  return rc;
}
