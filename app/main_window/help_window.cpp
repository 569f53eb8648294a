#include "app/main_window/help_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "platform/files.h"

namespace krav::app {

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  setObjectName("HelpBrowser");
  setAccessibleName(QString::fromUtf8("Справка"));
  setOpenLinks(true);
  setOpenExternalLinks(true);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
    QFile f(name.toLocalFile());
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    // The help pages are written in cp1251.
    return QString::fromStdString(
        Cp1251ToUtf8(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
  }
  return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  setWindowTitle(QString::fromUtf8("Справка"));
  browser_ = new HelpBrowser(this);
  auto tool = [this](const char* name, const char* caption, const char* hint) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(caption));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAccessibleName(QString::fromUtf8(hint));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setEnabled(false);
    return b;
  };
  back_ = tool("HelpBack", "< Назад", "Назад (Alt+стрелка влево)");
  forward_ = tool("HelpForward", "Вперёд >", "Вперёд (Alt+стрелка вправо)");
  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  auto* bar = new QHBoxLayout;
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(browser_, 1);
  for (const auto& [keys, slot] : {std::pair{QKeySequence(Qt::ALT | Qt::Key_Left), &QTextBrowser::backward},
                                   std::pair{QKeySequence(Qt::ALT | Qt::Key_Right), &QTextBrowser::forward}}) {
    auto* s = new QShortcut(keys, this);
    connect(s, &QShortcut::activated, browser_, slot);
  }
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  resize(560, 480);
}

void HelpWindow::showPage(const std::string& path) {
  browser_->setSource(QUrl::fromLocalFile(QString::fromStdString(FsPath(path))));
  show();
  raise();
  activateWindow();
}

}  // namespace krav::app
