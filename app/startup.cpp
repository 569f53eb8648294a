#include "app/startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <string_view>

#include "app/dialogs/dialog_asking.h"
#include "app/dialogs/message_dialog.h"
#include "app/main_window/main_window.h"
#include "platform/encoding.h"
#include "shell/messages.h"

namespace krav::app {

std::unique_ptr<NamedMutex> TakeSingleInstance() {
  auto mutex = std::make_unique<NamedMutex>("KravMess");
  if (mutex->owned()) return mutex;
  if (const WindowHandle first = FindWindowByCaption(Utf8ToCp1251(MainWindowCaption())))
    PostWindowMessage(first, shell::kMsgActivateWindow, 0, 0);
  return nullptr;
}

void LoadQtTranslations(QApplication& app) {
  // Qt's own dialogs and buttons (the file dialog, OK, Cancel) in Russian.
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* name : {"qtbase_ru", "qt_ru"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QString::fromLatin1(name), folder)) {
      app.installTranslator(translator);
      if (std::string_view(name) == "qtbase_ru") break;  // qt_ru only where qtbase_ru is missing
    } else {
      delete translator;
    }
  }
}

int RunMess(const std::string& root, const std::string& page) {
  QApplication::setApplicationDisplayName(QString::fromUtf8("Планировщик для Кравитора 2000"));
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) LoadQtTranslations(*app);
  const ProgramContext context = ProgramContext::ForRoot(root);
  DialogAsking dialogs;
  const ScopedAsking asking(dialogs);
  TMessFrm window(context, page);
  TMdlg dialog(context.root);
  window.show();
  return QApplication::exec();
}

}  // namespace krav::app
