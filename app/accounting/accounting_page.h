// Page 1 of the main window, "Домашняя бухгалтерия": the accounting report,
// the commands that choose its period and the button that opens the setup
// dialog.
//
// A report is built in three steps: the balances on a worker thread, the
// report value on the window's thread (where the rate questions are asked),
// then its files on a worker again; the page shows the value. Builds asked
// for meanwhile are folded into one that follows. While a build takes long
// the header says so; the window never waits for it.
#pragma once

#include <QTextBrowser>
#include <memory>
#include <thread>

#include "accounting/report.h"
#include "app/frame/page_frame.h"
#include "app/logic/accounting_period.h"
#include "app/logic/program_context.h"

class QMenu;
class QStackedWidget;
class QTimer;

namespace krav::app {

class ReportView;

// Shows a page of the root's Help folder (cp1251 HTML, pictures read fresh).
class HelpPageView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit HelpPageView(QWidget* parent);
  // Shows a file of the system (a cp1251 path), reloading it when it is the one shown.
  void showFile(const std::string& path);
  QVariant loadResource(int type, const QUrl& name) override;
};

class AccountingPage : public PageFrame {
  Q_OBJECT
 public:
  AccountingPage(const ProgramContext& context, QWidget* parent);
  ~AccountingPage() override;

  const AccountingPeriod& period() const { return period_; }
  int periodMode() const { return period_.mode; }
  ReportView* reportView() const { return report_; }
  HelpPageView* errorView() const { return error_; }
  bool showsReport() const;
  QMenu* periodMenu() const { return menu_; }
  int builds() const { return builds_; }      // builds asked for
  int shown() const { return shown_; }        // builds finished and shown
  bool building() const { return running_; }  // a build runs or waits to

  void openSettings();  // "Настройки ..."
  void today();         // "Сегодня"
  void pickEnd();       // "Календарь"
  void openPeriodMenu();
  void choosePeriod(int tag);
  // The end date's change: a valid date builds the report.
  void endDateChanged();
  void buildReport();

 signals:
  void reportShown();

 private:
  struct Build;
  void setEndText(const std::string& text);
  QPoint belowButton(const char* name) const;
  void startBuild();
  void balancesDone(std::shared_ptr<Build> build);
  void filesDone(std::shared_ptr<Build> build);
  void finishBuild(bool showReport, const std::shared_ptr<Build>& build);
  void runOnWorker(std::function<void()> work);

  ProgramContext context_;
  AccountingPeriod period_;
  QStackedWidget* stack_;
  HelpPageView* error_;
  ReportView* report_;
  QMenu* menu_;
  QTimer* busyTimer_;
  std::thread worker_;
  bool running_ = false, pending_ = false;
  int builds_ = 0, shown_ = 0;
};

}  // namespace krav::app
