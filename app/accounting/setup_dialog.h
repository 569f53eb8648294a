// TMess3Dlg, the accounting setup dialog "Настройки": the operations, the
// accounts and the currencies with the base currency, on three pages
// switched by a tab strip at the bottom. It edits the lists in memory and
// writes the three files and [Buh] Baseval when it closes, however it is
// closed. Its logic lives in app/logic/accounting_setup.
#pragma once

#include <QDialog>

#include "accounting/ledger_files.h"
#include "app/logic/accounting_setup.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTreeView;

namespace krav::app {

class SetupListModel;

class TMess3Dlg : public QDialog {
  Q_OBJECT
 public:
  // Runs the opening steps, the example data question included.
  TMess3Dlg(const accounting::Ledger& ledger, QWidget* parent = nullptr);
  ~TMess3Dlg() override;

  const SetupLists& lists() const { return lists_; }
  void showPage(int page);  // 0 operations, 1 accounts, 2 currencies
  int page() const;

  void addOperation();
  void deleteOperation();
  void addAccount();
  void deleteAccount();
  void addCurrency();
  void deleteCurrency();
  void copyOperation(int row);
  void copyAccount(int row);
  // A click on a currency's box, with the check states after it.
  void applyCurrencyChecks(std::vector<bool> checked);

  void done(int result) override;

 private:
  QWidget* buildOperationsPage();
  QWidget* buildAccountsPage();
  QWidget* buildCurrenciesPage();
  void refreshAccountChoices();
  void refreshCurrencyChoices();
  bool confirm(const char* title, const char* text);
  void report(const SetupError& e);
  // Deletes the current row of a view's list after the question.
  template <class Rows>
  bool deleteCurrent(QTreeView* view, SetupListModel* model, Rows& rows, const char* title, const char* text);

  accounting::Ledger ledger_;
  SetupLists lists_;
  bool saved_ = false;
  SetupListModel* operations_ = nullptr;
  SetupListModel* accounts_ = nullptr;
  SetupListModel* currencies_ = nullptr;
  QStackedWidget* notebook_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QTreeView* listView1_ = nullptr;
  QTreeView* listView2_ = nullptr;
  QTreeView* listView3_ = nullptr;
  QLineEdit* edit2_ = nullptr;
  QLineEdit* edit1_ = nullptr;
  QLineEdit* edit3_ = nullptr;
  QComboBox* income_ = nullptr;    // ComboBox20001
  QComboBox* expense_ = nullptr;   // ComboBox20002
  QComboBox* currency_ = nullptr;  // ComboBox20003
  QComboBox* type_ = nullptr;      // ComboBox20004
};

}  // namespace krav::app
