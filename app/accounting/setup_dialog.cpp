#include "app/accounting/setup_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/accounting/setup_model.h"
#include "app/frame/elided_tips.h"
#include "app/kit/colours.h"
#include "app/kit/qt_text.h"
#include "app/kit/row_icons.h"
#include "app/logic/accounting_questions.h"
#include "app/logic/asking.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The title bar of a page.
QLabel* TitleBar(const char* text, QWidget* parent) {
  auto* bar = new QLabel(U(text), parent);
  bar->setStyleSheet("background: " + colours::Css(colours::kBandBlue) +
                     "; color: white; font-weight: bold; padding: 3px;");
  return bar;
}

QTreeView* ListView(const char* name, SetupListModel* model, const QString& accessible, QWidget* parent) {
  auto* view = new QTreeView(parent);
  view->setObjectName(name);
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setAllColumnsShowFocus(true);
  view->setAccessibleName(accessible);
  ShowTipsForCutTexts(view);
  return view;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QPushButton(U(caption), parent);
  b->setObjectName(name);
  b->setAccessibleName(U(caption));
  b->setAutoDefault(false);
  return b;
}

QComboBox* Choice(const char* name, const char* label, QWidget* parent) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->setEditable(false);  // pick only
  c->setAccessibleName(U(label));
  return c;
}

QLineEdit* Edit(const char* name, const char* label, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setAccessibleName(U(label));
  return e;
}

void SelectRow(QTreeView* view, int row) {
  if (row < 0 || row >= view->model()->rowCount()) return;
  view->setCurrentIndex(view->model()->index(row, 0));
}

}  // namespace

TMess3Dlg::TMess3Dlg(const accounting::Ledger& ledger, QWidget* parent) : QDialog(parent), ledger_(ledger) {
  setObjectName("Mess3Dlg");
  setWindowTitle(U("Настройки"));
  AccountingQuestions questions;
  lists_ = LoadSetupLists(ledger_, questions);
  if (const std::string unreadable = UnreadableMessage(lists_); !unreadable.empty())
    AskMessage(Ru("Настройки"), unreadable, "", 3, Ru("Понял"), "", "");

  operations_ = new SetupListModel(SetupListModel::Kind::Operations, lists_, this);
  accounts_ = new SetupListModel(SetupListModel::Kind::Accounts, lists_, this);
  currencies_ = new SetupListModel(SetupListModel::Kind::Currencies, lists_, this);
  currencies_->setCheckHandler([this](std::vector<bool> checked) { applyCurrencyChecks(std::move(checked)); });

  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(U("Бухгалтерские настройки"), this);
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  title->setFont(bold);
  auto* intro =
      new QLabel(U("С помощью диалога настройне счета, которыми Вы будете пользоваться, а также сформируйте "
                   "список используемых Вами валют ..."),
                 this);
  intro->setWordWrap(true);
  layout->addWidget(title);
  layout->addWidget(intro);

  notebook_ = new QStackedWidget(this);
  notebook_->setObjectName("Notebook1");
  notebook_->addWidget(buildOperationsPage());
  notebook_->addWidget(buildAccountsPage());
  notebook_->addWidget(buildCurrenciesPage());
  layout->addWidget(notebook_, 1);

  tabs_ = new QTabBar(this);
  tabs_->setObjectName("TabSet1");
  tabs_->setShape(QTabBar::RoundedSouth);
  for (const char* t : {"Операции", "Счета", "Валюты"}) tabs_->addTab(U(t));
  tabs_->setAccessibleName(U("Страницы"));
  connect(tabs_, &QTabBar::currentChanged, this, [this](int i) { notebook_->setCurrentIndex(i); });
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(tabs_);
  bottom->addStretch();
  auto* close = Button("SpeedButton4", "Закрыть ", this);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  bottom->addWidget(close);
  layout->addLayout(bottom);

  refreshAccountChoices();
  refreshCurrencyChoices();
  type_->setCurrentIndex(0);
  showPage(0);
  resize(560, 460);
}

TMess3Dlg::~TMess3Dlg() = default;

QWidget* TMess3Dlg::buildOperationsPage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(TitleBar("Бухгалтерская операции", page));
  listView1_ = ListView("ListView1", operations_, U("Бухгалтерская операции"), page);
  listView1_->setColumnWidth(0, 150);
  listView1_->setColumnWidth(1, 100);
  listView1_->setColumnWidth(2, 100);
  v->addWidget(listView1_, 1);
  auto* form = new QFormLayout;
  edit2_ = Edit("edit2", "Название операции", page);
  income_ = Choice("ComboBox20001", "Приход", page);
  expense_ = Choice("ComboBox20002", "Расход", page);
  form->addRow(U("Название операции"), edit2_);
  form->addRow(U("Приход"), income_);
  form->addRow(U("Расход"), expense_);
  v->addLayout(form);
  auto* buttons = new QHBoxLayout;
  auto* add = Button("SpeedButton3", "Добавить", page);
  auto* del = Button("SpeedButton5", "Удалить", page);
  buttons->addStretch();
  buttons->addWidget(add);
  buttons->addWidget(del);
  v->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, &TMess3Dlg::addOperation);
  connect(del, &QPushButton::clicked, this, &TMess3Dlg::deleteOperation);
  connect(listView1_, &QTreeView::clicked, this, [this](const QModelIndex& i) { copyOperation(i.row()); });
  connect(listView1_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& i) { copyOperation(i.row()); });
  return page;
}

QWidget* TMess3Dlg::buildAccountsPage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(TitleBar("Список счетов", page));
  listView2_ = ListView("ListView2", accounts_, U("Список счетов"), page);
  listView2_->setColumnWidth(0, 150);
  listView2_->setColumnWidth(1, 100);
  listView2_->setColumnWidth(2, 100);
  v->addWidget(listView2_, 1);
  auto* form = new QFormLayout;
  edit1_ = Edit("Edit1", "Название счета", page);
  currency_ = Choice("ComboBox20003", "Валюта", page);
  type_ = Choice("ComboBox20004", "Тип счета", page);
  for (const auto& t : AccountTypeChoices()) type_->addItem(FromCp1251(t));
  form->addRow(U("Название счета"), edit1_);
  form->addRow(U("Валюта"), currency_);
  form->addRow(U("Тип счета"), type_);
  v->addLayout(form);
  auto* buttons = new QHBoxLayout;
  auto* add = Button("SpeedButton1", "Добавить", page);
  auto* del = Button("SpeedButton2", "Удалить", page);
  buttons->addStretch();
  buttons->addWidget(add);
  buttons->addWidget(del);
  v->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, &TMess3Dlg::addAccount);
  connect(del, &QPushButton::clicked, this, &TMess3Dlg::deleteAccount);
  connect(listView2_, &QTreeView::clicked, this, [this](const QModelIndex& i) { copyAccount(i.row()); });
  connect(listView2_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& i) { copyAccount(i.row()); });
  return page;
}

QWidget* TMess3Dlg::buildCurrenciesPage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(TitleBar("Список валют", page));
  listView3_ = ListView("ListView3", currencies_, U("Список валют"), page);
  listView3_->setHeaderHidden(true);
  v->addWidget(listView3_, 1);
  auto* form = new QFormLayout;
  edit3_ = Edit("Edit3", "Название валюты", page);
  form->addRow(U("Название валюты"), edit3_);
  v->addLayout(form);
  auto* buttons = new QHBoxLayout;
  auto* add = Button("SpeedButton6", "Добавить", page);
  auto* del = Button("SpeedButton7", "Удалить", page);
  buttons->addStretch();
  buttons->addWidget(add);
  buttons->addWidget(del);
  v->addLayout(buttons);
  auto* note =
      new QLabel(U("Сформируйте список валют, которыми Вы пользуетесь и укажите галочкой базовую валюту (в "
                   "этой валюте будет рассчитываться общая сумма Ваших сбережений )."),
                 page);
  note->setWordWrap(true);
  v->addWidget(note);
  connect(add, &QPushButton::clicked, this, &TMess3Dlg::addCurrency);
  connect(del, &QPushButton::clicked, this, &TMess3Dlg::deleteCurrency);
  return page;
}

void TMess3Dlg::showPage(int page) {
  tabs_->setCurrentIndex(page);
  notebook_->setCurrentIndex(page);
}

int TMess3Dlg::page() const { return notebook_->currentIndex(); }

void TMess3Dlg::refreshAccountChoices() {
  const std::vector<std::string> items = AccountChoices(lists_);
  for (QComboBox* box : {income_, expense_}) {
    const std::string remembered = ToCp1251(box->currentText());
    box->clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i == 0) box->addItem(FromCp1251(items[i]));  // "[Нет]", without a picture
      else box->addItem(AccountIcon(), FromCp1251(items[i]));
    }
    box->setCurrentIndex(ChoiceAfterRefill(items, remembered));
  }
}

void TMess3Dlg::refreshCurrencyChoices() {
  const std::string remembered = ToCp1251(currency_->currentText());
  currency_->clear();
  for (const auto& c : lists_.currencies) currency_->addItem(CurrencyIcon(), FromCp1251(c));
  currency_->setCurrentIndex(ChoiceAfterRefill(lists_.currencies, remembered));
}

void TMess3Dlg::report(const SetupError& e) { AskMessage(e.title, e.text, "", 3, Ru("Понял"), "", ""); }

bool TMess3Dlg::confirm(const char* title, const char* text) {
  return AskMessage(Ru(title), Ru(text), "", 2, Ru("Нет"), Ru("Да"), "") == 3;
}

template <class Rows>
bool TMess3Dlg::deleteCurrent(QTreeView* view, SetupListModel* model, Rows& rows, const char* title,
                              const char* text) {
  const int row = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
  if (row < 0 || row >= static_cast<int>(rows.size())) return false;
  if (!confirm(title, text)) return false;
  rows.erase(rows.begin() + row);
  model->reload();
  SelectRow(view, RowAfterDeletion(row, static_cast<int>(rows.size())));
  return true;
}

void TMess3Dlg::addOperation() {
  if (auto e = AddOperation(lists_, ToCp1251(edit2_->text()), ToCp1251(income_->currentText()),
                            ToCp1251(expense_->currentText()))) {
    report(*e);
    return;
  }
  operations_->reload();
  SelectRow(listView1_, static_cast<int>(lists_.operations.size()) - 1);
}

void TMess3Dlg::deleteOperation() {
  deleteCurrent(listView1_, operations_, lists_.operations, "Удаление операции",
                "Вы действительно хотите удалить операцию ?");
}

void TMess3Dlg::addAccount() {
  if (auto e = AddAccount(lists_, ToCp1251(edit1_->text()), ToCp1251(currency_->currentText()),
                          type_->currentIndex())) {
    report(*e);
    return;
  }
  accounts_->reload();
  SelectRow(listView2_, static_cast<int>(lists_.accounts.size()) - 1);
  refreshAccountChoices();
}

void TMess3Dlg::deleteAccount() {
  deleteCurrent(listView2_, accounts_, lists_.accounts, "Удаление счета",
                "Вы действительно хотите удалить счет ? Удаление этого счета не повлияет на операции, в котором "
                "присутствует этот счет !");
  refreshAccountChoices();  // whatever the answer
}

void TMess3Dlg::addCurrency() {
  if (auto e = AddCurrency(lists_, ToCp1251(edit3_->text()))) {
    report(*e);
    return;
  }
  currencies_->reload();
  SelectRow(listView3_, static_cast<int>(lists_.currencies.size()) - 1);
  refreshCurrencyChoices();
}

void TMess3Dlg::deleteCurrency() {
  deleteCurrent(listView3_, currencies_, lists_.currencies, "Удаление валюты",
                "Вы действительно хотите удалить валюту ?");
  refreshCurrencyChoices();  // whatever the answer
}

void TMess3Dlg::copyOperation(int row) {
  if (row < 0 || row >= static_cast<int>(lists_.operations.size())) return;
  const OperationRow& o = lists_.operations[static_cast<std::size_t>(row)];
  edit2_->setText(FromCp1251(o.name));
  const std::vector<std::string> items = AccountChoices(lists_);
  income_->setCurrentIndex(ChoiceAfterRefill(items, o.incomeName));
  expense_->setCurrentIndex(ChoiceAfterRefill(items, o.expenseName));
}

void TMess3Dlg::copyAccount(int row) {
  if (row < 0 || row >= static_cast<int>(lists_.accounts.size())) return;
  const AccountRow& a = lists_.accounts[static_cast<std::size_t>(row)];
  edit1_->setText(FromCp1251(a.name));
  type_->setCurrentIndex(AccountTypeIndex(a.type));
  currency_->setCurrentIndex(ChoiceAfterRefill(lists_.currencies, a.currency));
}

void TMess3Dlg::applyCurrencyChecks(std::vector<bool> checked) {
  lists_.base = ApplyBaseCurrencyRule(lists_.base, lists_.currencies, checked);
}

void TMess3Dlg::done(int result) {
  if (!saved_) {
    saved_ = true;
    SetupNotSaved why = SetupNotSaved::Unwritable;
    if (const auto failed = SaveSetupLists(ledger_, lists_, &why))
      AskMessage(Ru("Настройки"), NotSavedMessage(*failed, why), "", 3, Ru("Понял"), "", "");
  }
  QDialog::done(result);
}

}  // namespace krav::app
