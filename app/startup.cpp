#include "app/startup.h"

#include <QApplication>

#include "app/accounting/setup_dialog.h"
#include "app/dialogs/dialog_asking.h"
#include "app/dialogs/message_dialog.h"
#include "app/kit/translations.h"
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

int RunMess(const std::string& root, const std::string& page) {
  QApplication::setApplicationDisplayName(QString::fromUtf8("Планировщик для Кравитора 2000"));
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) LoadQtTranslations(*app);
  const ProgramContext context = ProgramContext::ForRoot(root);
  // The dialogs, and the accounting setup dialog for the record editor.
  struct ProgramAsking : DialogAsking {
    void openAccountingSetup(const std::string& root, const std::string& user) override {
      TMess3Dlg setup(accounting::Ledger{root, user}, QApplication::activeWindow());
      setup.exec();
    }
  } dialogs;
  const ScopedAsking asking(dialogs);
  TMessFrm window(context, page);
  TMdlg dialog(context.root);
  window.show();
  return QApplication::exec();
}

}  // namespace krav::app
