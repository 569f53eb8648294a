#include "app/kit/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace krav::app {

void LoadQtTranslations(QCoreApplication& app) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  // qtbase_ru where it exists, else the older catch-all qt_ru.
  for (const char* name : {"qtbase_ru", "qt_ru"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QString::fromLatin1(name), folder)) {
      app.installTranslator(translator);
      return;
    }
    delete translator;
  }
}

}  // namespace krav::app
