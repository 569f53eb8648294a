// Qt's own dialogs and buttons (the file dialog, OK, Cancel) in Russian.
#pragma once

class QCoreApplication;

namespace krav::app {

// Installs Qt's Russian translations into the application.
void LoadQtTranslations(QCoreApplication& app);

}  // namespace krav::app
