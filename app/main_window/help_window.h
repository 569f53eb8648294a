// The help pages of the root (local HTML in code page 1251) in a window of
// the program's own: links between the pages, back and forward (also
// Alt+Left and Alt+Right); links to the web open in the desktop's browser.
#pragma once

#include <QTextBrowser>
#include <QWidget>
#include <string>

class QToolButton;

namespace krav::app {

class HelpBrowser : public QTextBrowser {
  Q_OBJECT
 public:
  explicit HelpBrowser(QWidget* parent = nullptr);
  QVariant loadResource(int type, const QUrl& name) override;
};

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // Shows the page (a cp1251 path) and brings the window up.
  void showPage(const std::string& path);
  HelpBrowser* browser() const { return browser_; }
  QToolButton* backButton() const { return back_; }
  QToolButton* forwardButton() const { return forward_; }

 private:
  HelpBrowser* browser_;
  QToolButton* back_;
  QToolButton* forward_;
};

}  // namespace krav::app
