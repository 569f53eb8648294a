// TMessFrm, the planner's main window: its own title strip with the news
// line and the window buttons, the tab strip and the four pages. It binds
// itself to the shell through the shell settings file and window messages.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "app/logic/frame_logic.h"
#include "app/logic/program_context.h"
#include "platform/instance.h"
#include "platform/messages.h"

class QLabel;
class QSocketNotifier;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace krav::app {

class AccountingPage;
class HelpWindow;
class NewsLine;
class PageFrame;
class PlannerPage;
class TrashPage;
class SettingsPage;

// The caption a second copy looks for.
const char* MainWindowCaption();  // "Сообщения для Кравитора 2000", UTF-8

class TMessFrm : public QWidget {
  Q_OBJECT
 public:
  // `wantedPage` is the page identifier of the command line, or empty.
  TMessFrm(const ProgramContext& context, const std::string& wantedPage);
  ~TMessFrm() override;

  WindowHandle handle() const { return window_ ? window_->handle() : 0; }
  const TabList& tabs() const { return tabs_; }
  QTabBar* tabBar() const { return tabBar_; }
  int currentPage() const;
  void switchToTab(int tab);  // numbered from 1
  // The planner, accounting and trash pages by their Page number.
  PageFrame* page(int page) const;
  PlannerPage* plannerPage() const { return planner_; }
  AccountingPage* accountingPage() const { return accounting_; }
  TrashPage* trashPage() const { return trash_; }
  SettingsPage* settingsPage() const { return settings_; }
  NewsLine* newsLine() const { return news_; }
  QToolButton* windowButton(const char* name) const;
  QImage titlePicture() const;

  // The planner-changed flag; the accounting page rebuilds when next shown.
  void setPlannerChanged(bool changed) { plannerChanged_ = changed; }

  // minbtn: closes, the shell's tray icon being the way back; where the
  // desktop has no system tray there is none, and it minimises instead.
  void minimiseAndClose();
  // Tests say whether a system tray is there; nothing: ask the desktop.
  static void setTrayForTesting(std::optional<bool> available);
  void closeByButton();  // closebtn
  void showAbout();
  void showHelp();  // HelpBtn, F1
  HelpWindow* helpWindow() const { return help_; }
  // Ctrl+Tab / Ctrl+PgDn and Ctrl+Shift+Tab / Ctrl+PgUp.
  void switchTabBy(int step);
  void handleMessage(int msg);
  bool closing() const { return closing_; }

 protected:
  void showEvent(QShowEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void buildTitleStrip();
  void buildPages();
  void layOutFrame();
  void placeFromSettings();
  void bringToFront();
  void syncWindowButtons();

  ProgramContext context_;
  std::string moduleName_, moduleVersion_, moduleUpdate_;
  std::unique_ptr<MessageWindow> window_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<CaptionRegistration> caption_;
  QWidget* titleStrip_ = nullptr;
  QLabel* titlePicture_ = nullptr;
  NewsLine* news_ = nullptr;
  std::array<QToolButton*, 6> buttons_{};  // About, Help, min, max, res, close
  QTabBar* tabBar_ = nullptr;
  QStackedWidget* notebook_ = nullptr;
  PlannerPage* planner_ = nullptr;
  AccountingPage* accounting_ = nullptr;
  TrashPage* trash_ = nullptr;
  SettingsPage* settings_ = nullptr;
  HelpWindow* help_ = nullptr;
  TabList tabs_;
  QTimer timer1_;
  bool closing_ = false;
  bool closeButton_ = false;
  bool plannerChanged_ = false;
  bool firstShow_ = true;
  Qt::WindowStates lastState_ = Qt::WindowNoState;
};

}  // namespace krav::app
