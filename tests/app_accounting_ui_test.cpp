// The setup dialog and the accounting page on the offscreen screen, with
// the asking service answering from presets.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "accounting/ledger_files.h"
#include "app/accounting/accounting_page.h"
#include "app/accounting/report_view.h"
#include "app/accounting/setup_dialog.h"
#include "app/logic/preset_asking.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "support.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Every control a person operates has a name a screen reader can say.
void ExpectAccessibleNames(const QWidget& w) {
  for (QWidget* c : w.findChildren<QWidget*>()) {
    if (!c->isVisibleTo(&w) && !qobject_cast<QAbstractItemView*>(c)) continue;
    const bool operated = qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) ||
                          qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractItemView*>(c) ||
                          qobject_cast<QTabBar*>(c);
    if (!operated || qobject_cast<QTabBar*>(c->parentWidget())) continue;
    if (c->inherits("QComboBoxListView") || c->inherits("QComboBoxPrivateContainer") || c->inherits("QHeaderView"))
      continue;
    const auto* button = qobject_cast<QAbstractButton*>(c);
    const bool named = !c->accessibleName().isEmpty() || (button && !button->text().trimmed().isEmpty());
    EXPECT_TRUE(named) << c->metaObject()->className() << " " << c->objectName().toStdString();
    if (!qobject_cast<QAbstractItemView*>(c)) {
      EXPECT_NE(c->focusPolicy(), Qt::NoFocus) << c->objectName().toStdString();
    }
  }
}

class AccountingUi : public ::testing::Test {
 protected:
  void SetUp() override {
    test::TestApp();
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    ForceDir(t.root() + "Help");
    EXPECT_TRUE(
        SaveBytes(t.root() + "Help/messerr1.htm", Ru("<html><body><h2>Отчёт не построен</h2></body></html>")));
  }
  test::TempRoot t;
  accounting::Ledger ledger{t.root(), t.user()};
  PresetAsking asked;
  ScopedAsking scope{asked};
};

TEST_F(AccountingUi, TheDialogShowsItsPagesAndWritesEverythingOnClose) {
  asked.answerNext(3);  // the example data
  TMess3Dlg d(ledger);
  d.show();
  EXPECT_EQ(d.windowTitle(), U("Настройки"));
  EXPECT_EQ(d.findChild<QPushButton*>("SpeedButton4")->text(), U("Закрыть "));
  auto* tabs = d.findChild<QTabBar*>("TabSet1");
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(2), U("Валюты"));
  auto* operations = d.findChild<QTreeView*>("ListView1");
  EXPECT_EQ(operations->model()->rowCount(), 6);
  EXPECT_EQ(operations->model()->headerData(1, Qt::Horizontal).toString(), U("Приход"));
  EXPECT_EQ(d.findChild<QComboBox*>("ComboBox20001")->itemText(0), U("[Нет]"));
  EXPECT_EQ(d.findChild<QComboBox*>("ComboBox20001")->count(), 8);
  EXPECT_EQ(d.findChild<QComboBox*>("ComboBox20004")->itemText(2),
            U("Средства на этом счете являются сбережениями"));
  for (int page = 0; page < 3; ++page) {
    tabs->setCurrentIndex(page);
    EXPECT_EQ(d.page(), page);
    test::SaveScreenshot(d.grab().toImage(), QString("setup-dialog-page-%1").arg(page));
    ExpectAccessibleNames(d);
  }

  // An account added through the editors; a refused one leaves a message.
  d.showPage(1);
  d.findChild<QLineEdit*>("Edit1")->setText(U("Копилка"));
  d.findChild<QComboBox*>("ComboBox20004")->setCurrentIndex(2);
  d.findChild<QPushButton*>("SpeedButton1")->click();
  EXPECT_EQ(d.lists().accounts.back().name, Ru("Копилка"));
  EXPECT_EQ(d.findChild<QComboBox*>("ComboBox20002")->count(), 9);
  d.findChild<QLineEdit*>("Edit1")->setText(U("копилка"));
  d.findChild<QPushButton*>("SpeedButton1")->click();
  ASSERT_EQ(asked.messages().size(), 2u);
  EXPECT_EQ(asked.messages()[1].pictureKind, 3);
  EXPECT_EQ(asked.messages()[1].button4, Ru("Понял"));
  EXPECT_EQ(asked.messages()[1].text, Ru("Такой счет уже есть !"));

  // Deletion acts only on "Да"; the row before becomes current.
  auto* accounts = d.findChild<QTreeView*>("ListView2");
  accounts->setCurrentIndex(accounts->model()->index(3, 0));
  asked.answerNext(0);  // closed without an answer
  d.deleteAccount();
  EXPECT_EQ(d.lists().accounts.size(), 8u);
  asked.answerNext(3);
  d.deleteAccount();
  EXPECT_EQ(d.lists().accounts.size(), 7u);
  EXPECT_EQ(accounts->currentIndex().row(), 2);
  EXPECT_EQ(asked.messages().back().title, Ru("Удаление счета"));

  // A click on an account copies it into the editors.
  d.copyAccount(0);
  EXPECT_EQ(d.findChild<QLineEdit*>("Edit1")->text(), U("Наличные"));
  EXPECT_EQ(d.findChild<QComboBox*>("ComboBox20004")->currentIndex(), 2);

  // Ticking dollars moves the base currency; clearing the base's box is undone.
  auto* currencies = d.findChild<QTreeView*>("ListView3");
  QAbstractItemModel* m = currencies->model();
  ASSERT_TRUE(m->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
  EXPECT_EQ(d.lists().base, Ru("Доллары США"));
  EXPECT_EQ(m->data(m->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
  ASSERT_TRUE(m->setData(m->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
  EXPECT_EQ(m->data(m->index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);

  d.reject();  // Esc closes it too, and saves
  EXPECT_EQ(t.read(ledger.accountsFile()).size(), 7u);
  EXPECT_EQ(t.read(ledger.accountsFile()).back(), Ru("Копилка") + kSep2 + Ru("Рубли") + kSep2 + Ru("Сбережения"));
  EXPECT_EQ(ReadIniString(ledger.settingsFile(), "Buh", "Baseval", ""), Ru("Доллары США"));
}

TEST_F(AccountingUi, AFailedWriteOnCloseIsReportedWithTheFile) {
  asked.answerNext(3);
  TMess3Dlg d(ledger);
  RemoveFile(ledger.currenciesFile());
  ForceDir(ledger.currenciesFile());  // a folder where the file should go
  d.accept();
  ASSERT_EQ(asked.messages().size(), 2u);
  EXPECT_EQ(asked.messages()[1].pictureKind, 3);
  EXPECT_EQ(asked.messages()[1].button4, Ru("Понял"));
  EXPECT_NE(asked.messages()[1].text.find(ledger.currenciesFile()), std::string::npos);
}

class Page : public AccountingUi {
 protected:
  void SetUp() override {
    AccountingUi::SetUp();
    context = ProgramContext::ForRoot(t.root());
    // A ledger with a saving, an expense and a rouble base.
    asked.answerNext(3);
    {
      TMess3Dlg d(ledger);
      d.accept();
    }
    ForceDir(t.data("Plan"));
    // The pictures the report refers to, as the root's template ships them.
    for (const char* picture : {"buh.jpg", "up.bmp", "down.bmp"})
      std::filesystem::copy_file(std::string(KRAV_SOURCE_DIR) + "/data/root/Help/" + picture,
                                 t.root() + "Help/" + picture);
    const std::string cash = Ru("Наличные") + kSep2 + Ru("Рубли") + kSep2 + Ru("Сбережения");
    const std::string food = Ru("Продукты") + kSep2 + Ru("Рубли") + kSep2 + Ru("Обороты");
    const std::string today = DateToText(static_cast<double>(Today()));
    t.write(ledger.journalFile(today),
            {test::Join({"2", today, "09:00", Ru("Зарплата "),
                         "s" + std::string(1, kSep1) + cash + kSep1 + Ru("[Нет]") + kSep2 + kSep2 + Ru("Нет"), "",
                         "1000"},
                        kSep3),
             test::Join({"2", today, "10:00", Ru("Хлеб "), "f" + std::string(1, kSep1) + food + kSep1 + cash, "",
                         "45.50"},
                        kSep3)});
    EXPECT_TRUE(accounting::MarkAccountingChange(ledger, today));
  }
  ProgramContext context;
};

TEST_F(Page, PeriodArithmeticOfTheModes) {
  AccountingPeriod p{"03.03.2004", "", 5};
  ReportDays d = ResolvePeriod(p);
  EXPECT_EQ(DateToText(d.start), "28.02.2004");
  EXPECT_EQ(DateToText(d.end), "03.03.2004");
  p = {"17.02.2004", "", 100};
  EXPECT_EQ(DateToText(ResolvePeriod(p).start), "01.02.2004");
  p = {"17.02.2004", "05.01.2004", 200};
  EXPECT_EQ(DateToText(ResolvePeriod(p).start), "05.01.2004");
  p = {"", "", 100};  // no end date yet: today
  EXPECT_EQ(DateToText(ResolvePeriod(p).end), DateToText(static_cast<double>(Today())));
  EXPECT_EQ(p.endText, DateToText(static_cast<double>(Today())));
}

// The page builds on worker threads: the test lets the window's events run
// until the build asked for last is shown.
void WaitForReport(AccountingPage& page) {
  QElapsedTimer clock;
  clock.start();
  while (page.building() && clock.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_FALSE(page.building()) << "the report was not shown within 30 s";
}

TEST_F(Page, TodayBuildsEveryTimeAndTheViewShowsTheReport) {
  AccountingPage page(context, nullptr);
  page.resize(640, 480);
  page.show();
  EXPECT_EQ(page.periodMode(), 100);
  EXPECT_FALSE(page.showsReport());
  EXPECT_TRUE(page.errorView()->toPlainText().contains(U("Отчёт не построен")));
  page.header()->tool("SpeedButton3")->click();
  page.header()->tool("SpeedButton3")->click();
  EXPECT_EQ(page.builds(), 2);
  WaitForReport(page);
  // The second press came while the first build ran: the first is not shown, the second is.
  EXPECT_EQ(page.shown(), 1);
  EXPECT_TRUE(FileExists(t.root() + "Temp/buh.htm"));
  ASSERT_TRUE(page.showsReport());
  ReportView* view = page.reportView();
  EXPECT_TRUE(view->findChild<QLabel*>("ReportHeading")->text().startsWith(U("Отчет за период с")));
  ReportTable* cash = view->table("1");
  ASSERT_NE(cash, nullptr);
  EXPECT_TRUE(cash->accessibleName().contains(U("Наличные")));
  // The shipped pictures reach the view: the heading's and the savings' arrow.
  const QLabel* picture = nullptr;
  for (QLabel* l : view->findChildren<QLabel*>())
    if (!l->pixmap().isNull()) picture = l;
  ASSERT_NE(picture, nullptr);
  ReportTable* savings = view->table("R");
  ASSERT_NE(savings, nullptr);
  const QAbstractItemModel* m = savings->model();
  const QVariant arrow = m->data(m->index(m->rowCount() - 1, m->columnCount() - 1), Qt::DecorationRole);
  ASSERT_TRUE(arrow.canConvert<QImage>());
  EXPECT_FALSE(arrow.value<QImage>().isNull());
  EXPECT_EQ(view->chartLabel(), nullptr);  // one saving: no chart
  test::SaveScreenshot(page.grab().toImage(), "accounting-page-report");
  // The index's links lead to their tables.
  EXPECT_TRUE(view->indexLabel()->text().contains("#S"));
  emit view->indexLabel()->linkActivated("#S");
  EXPECT_TRUE(view->table("S")->hasFocus());
  EXPECT_FALSE(view->goTo("7"));
  ExpectAccessibleNames(page);
}

TEST_F(Page, ALongAccountIsShownWholeAndNoTableIsDrawnOverAnother) {
  // Forty purchases today: the cash table is far taller than the page.
  const std::string cash = Ru("Наличные") + kSep2 + Ru("Рубли") + kSep2 + Ru("Сбережения");
  const std::string food = Ru("Продукты") + kSep2 + Ru("Рубли") + kSep2 + Ru("Обороты");
  const std::string today = DateToText(static_cast<double>(Today()));
  Lines journal = t.read(ledger.journalFile(today));
  for (int i = 0; i < 40; ++i)
    journal.push_back(test::Join(
        {"2", today, "11:00", Ru("Хлеб "), "f" + std::string(1, kSep1) + food + kSep1 + cash, "", "1"}, kSep3));
  t.write(ledger.journalFile(today), journal);
  EXPECT_TRUE(accounting::MarkAccountingChange(ledger, today));

  AccountingPage page(context, nullptr);
  page.resize(640, 480);
  page.show();
  page.header()->tool("SpeedButton3")->click();
  WaitForReport(page);
  ReportView* view = page.reportView();
  std::vector<QWidget*> tables;
  for (const char* anchor : {"1", "2", "S", "R"}) {
    ReportTable* table = view->table(anchor);
    ASSERT_NE(table, nullptr) << anchor;
    tables.push_back(table);
    // Every row lies inside the table's own height: the column scrolls, never the table.
    const int rows = table->model()->rowCount();
    EXPECT_LE(table->rowViewportPosition(rows - 1) + table->rowHeight(rows - 1), table->viewport()->height())
        << anchor;
  }
  for (std::size_t i = 1; i < tables.size(); ++i)
    EXPECT_GE(tables[i]->geometry().top(), tables[i - 1]->geometry().bottom()) << i;
  // Every purchase has a row of its own, no text is cut in the figures' columns.
  ReportTable* cashTable = view->table("1");
  EXPECT_GE(cashTable->model()->rowCount(), 40 + 5);
  EXPECT_GT(cashTable->height(), 40 * cashTable->fontMetrics().height());
  for (int c = 2; c < 5; ++c)
    EXPECT_GE(cashTable->columnWidth(c), cashTable->fontMetrics().horizontalAdvance("1 000.00")) << c;
  // The keyboard walks the rows, and the column follows the current one.
  cashTable->setFocus();
  cashTable->setCurrentIndex(cashTable->model()->index(0, 0));
  for (int i = 0; i < 40; ++i) QTest::keyClick(cashTable, Qt::Key_Down);
  const QRect current = cashTable->visualRect(cashTable->currentIndex());
  const QPoint at = cashTable->viewport()->mapTo(view->viewport(), current.center());
  EXPECT_TRUE(view->viewport()->rect().contains(at)) << at.y();
  test::SaveScreenshot(page.grab().toImage(), "accounting-page-long-account");
}

TEST_F(Page, TheWindowAnswersWhileABuildWaitsAndSaysItIsWorking) {
  AccountingPage page(context, nullptr);
  page.resize(640, 480);
  page.show();
  std::optional<DataDirLock> held;
  held.emplace(t.dataDir());
  ASSERT_TRUE(held->held());
  page.today();  // the balances wait for the data directory's lock
  bool answered = false;
  QTimer::singleShot(50, [&] { answered = true; });
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 600) QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_TRUE(answered);
  EXPECT_TRUE(page.building());
  EXPECT_EQ(page.header()->status(), U("Отчет строится…"));
  // Asked again meanwhile: one more build follows, and it is the one shown.
  page.choosePeriod(5);
  held.reset();
  WaitForReport(page);
  EXPECT_EQ(page.shown(), 1);
  EXPECT_TRUE(page.showsReport());
  EXPECT_EQ(page.header()->status(), QString());
  EXPECT_TRUE(page.reportView()->page().heading.find(DateToText(static_cast<double>(Today() - 4))) !=
              std::string::npos);
}

TEST_F(Page, CalendarAndPeriodItems) {
  AccountingPage page(context, nullptr);
  page.resize(640, 480);
  page.show();
  // A calendar closed without a choice changes nothing.
  page.pickEnd();
  EXPECT_EQ(page.builds(), 0);
  asked.pickNextDate("15.12.2026");
  page.pickEnd();
  EXPECT_EQ(page.builds(), 1);
  EXPECT_EQ(page.period().endText, "15.12.2026");
  ASSERT_EQ(asked.dateRequests().size(), 2u);
  EXPECT_EQ(asked.dateRequests()[1].title, Ru("Календарь"));

  // The menu: six entries with the separator; a day count builds at once.
  const auto actions = page.periodMenu()->actions();
  ASSERT_EQ(actions.size(), 6);
  EXPECT_TRUE(actions[4]->isSeparator());
  EXPECT_EQ(actions[5]->text(), U("Указать начальную дату ..."));
  actions[0]->trigger();
  EXPECT_EQ(page.periodMode(), 5);
  EXPECT_EQ(page.builds(), 2);
  // A chosen start is only recorded.
  asked.pickNextDate("01.11.2026");
  actions[5]->trigger();
  EXPECT_EQ(page.periodMode(), 200);
  EXPECT_EQ(page.period().startText, "01.11.2026");
  EXPECT_EQ(page.builds(), 2);
  page.today();
  EXPECT_EQ(page.builds(), 3);
  // The calendars open at the lower-left corner of their buttons.
  const QToolButton* period = page.header()->tool("SpeedButton5");
  const QPoint corner = period->mapToGlobal(QPoint(0, period->height()));
  EXPECT_EQ(asked.dateRequests().back().x, corner.x());
  EXPECT_EQ(asked.dateRequests().back().y, corner.y());
  EXPECT_GT(corner.x(), 0);
}

TEST_F(Page, TheSettingsDialogLeavesTheReportAsItIs) {
  AccountingPage page(context, nullptr);
  page.today();
  WaitForReport(page);
  const QWidget* before = page.reportView()->widget();
  // The modal dialog is closed from inside its own loop.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<TMess3Dlg*>(w)) d->accept();
  });
  page.openSettings();
  EXPECT_EQ(page.builds(), 1);
  EXPECT_EQ(page.shown(), 1);
  EXPECT_EQ(page.reportView()->widget(), before);
}

// The report's arrows of the root template: a green one up, a red one down.
TEST(ReportPictures, TheArrowsPointTheWayTheSavingsWent) {
  test::TestApp();
  for (const bool up : {true, false}) {
    const QImage arrow(QString(KRAV_SOURCE_DIR) + (up ? "/data/root/Help/up.bmp" : "/data/root/Help/down.bmp"));
    ASSERT_FALSE(arrow.isNull());
    test::SaveScreenshot(arrow.scaled(64, 64), up ? "arrow-up" : "arrow-down");
    auto width = [&](int y) {
      int n = 0;
      for (int x = 0; x < arrow.width(); ++x) n += QColor(arrow.pixel(x, y)) != Qt::white;
      return n;
    };
    // The head, the widest row, lies in the half the arrow points to.
    int widest = 0;
    for (int y = 1; y < arrow.height(); ++y)
      if (width(y) > width(widest)) widest = y;
    if (up) {
      EXPECT_LT(widest, arrow.height() / 2);
    } else {
      EXPECT_GE(widest, arrow.height() / 2);
    }
    const QColor c(arrow.pixel(arrow.width() / 2, arrow.height() / 2));
    if (up) {
      EXPECT_GT(c.green(), c.red());
    } else {
      EXPECT_GT(c.red(), c.green());
    }
  }
}

}  // namespace
}  // namespace krav::app
