// mess: the planner's window. Its root directory is the folder of its own
// executable; the first argument, if any, names the page to open first.
#include <QApplication>

#include "app/startup.h"
#include "platform/encoding.h"

int main(int argc, char** argv) {
  const auto instance = krav::app::TakeSingleInstance();
  if (!instance) return 0;
  QApplication app(argc, argv);
  const std::string root = krav::Utf8ToCp1251(QCoreApplication::applicationDirPath().toStdString()) + "/";
  const std::string page = argc > 1 ? krav::Utf8ToCp1251(argv[1]) : std::string();
  return krav::app::RunMess(root, page);
}
