// Page 1 of the main window, "Домашняя бухгалтерия": the accounting report
// in a browser view, the commands that choose its period and the button
// that opens the setup dialog.
#pragma once

#include <QTextBrowser>

#include "app/frame/page_frame.h"
#include "app/logic/accounting_period.h"
#include "app/logic/program_context.h"

class QMenu;

namespace krav::app {

// Shows the report files: HTML in cp1251 is decoded here, pictures are
// read fresh from the disk at every load.
class ReportView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit ReportView(QWidget* parent);
  // Shows a file of the system (a cp1251 path), reloading it when it is the one shown.
  void showFile(const std::string& path);
  QVariant loadResource(int type, const QUrl& name) override;
};

class AccountingPage : public PageFrame {
  Q_OBJECT
 public:
  AccountingPage(const ProgramContext& context, QWidget* parent);

  const AccountingPeriod& period() const { return period_; }
  int periodMode() const { return period_.mode; }
  ReportView* view() const { return view_; }
  QMenu* periodMenu() const { return menu_; }
  int builds() const { return builds_; }

  void openSettings();  // "Настройки ..."
  void today();         // "Сегодня"
  void pickEnd();       // "Календарь"
  void openPeriodMenu();
  void choosePeriod(int tag);
  // The end date's change: a valid date builds the report.
  void endDateChanged();
  void buildReport();

 private:
  void setEndText(const std::string& text);
  QPoint belowButton(const char* name) const;

  ProgramContext context_;
  AccountingPeriod period_;
  ReportView* view_;
  QMenu* menu_;
  int builds_ = 0;
};

}  // namespace krav::app
