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
#include "app/accounting/setup_dialog.h"
#include "app/logic/preset_asking.h"
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

TEST_F(Page, TodayBuildsEveryTimeAndTheViewShowsTheReport) {
  AccountingPage page(context, nullptr);
  page.resize(640, 480);
  page.show();
  EXPECT_EQ(page.periodMode(), 100);
  EXPECT_TRUE(page.view()->toPlainText().contains(U("Отчёт не построен")));
  page.header()->tool("SpeedButton3")->click();
  page.header()->tool("SpeedButton3")->click();
  EXPECT_EQ(page.builds(), 2);
  EXPECT_TRUE(FileExists(t.root() + "Temp/buh.htm"));
  const QString shown = page.view()->toPlainText();
  EXPECT_TRUE(shown.contains(U("Отчет за период с"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(U("Наличные")));
  // The shipped pictures reach the view: the heading's and the savings' arrow.
  int pictures = 0;
  for (QTextBlock b = page.view()->document()->begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      if (!f.isImageFormat()) continue;
      const QString name = f.toImageFormat().name();
      const QVariant v = page.view()->document()->resource(QTextDocument::ImageResource, QUrl(name));
      const QImage image = v.typeId() == QMetaType::QImage ? v.value<QImage>() : QImage::fromData(v.toByteArray());
      EXPECT_FALSE(image.isNull()) << name.toStdString();
      ++pictures;
    }
  EXPECT_GE(pictures, 2);
  test::SaveScreenshot(page.grab().toImage(), "accounting-page-report");
  // The index's links lead inside the report.
  page.view()->setSource(QUrl(page.view()->source().toString() + "#S"));
  EXPECT_TRUE(page.view()->toPlainText().contains(U("Сводная таблица")));
  ExpectAccessibleNames(page);
}

TEST_F(Page, ALongAccountIsShownWholeAndNoTableIsDrawnOverAnother) {
  // Forty purchases today: the cash section is far taller than the least
  // height its table is written with.
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
  QTextDocument* doc = page.view()->document();
  std::vector<QRectF> tables;
  for (QTextFrame* f : doc->rootFrame()->childFrames()) {
    if (!qobject_cast<QTextTable*>(f)) continue;
    EXPECT_EQ(f->frameFormat().height().type(), QTextLength::VariableLength);
    tables.push_back(doc->documentLayout()->frameBoundingRect(f));
  }
  ASSERT_GE(tables.size(), 4u);  // the heading, two accounts, the summary, the savings
  for (std::size_t i = 1; i < tables.size(); ++i) EXPECT_GE(tables[i].top(), tables[i - 1].bottom()) << i;
  // Every purchase has a row of its own: the cash table is at least forty lines tall.
  const qreal line = QFontMetricsF(doc->defaultFont()).lineSpacing();
  EXPECT_TRUE(std::any_of(tables.begin(), tables.end(), [&](const QRectF& r) { return r.height() > 40 * line; }));
  test::SaveScreenshot(page.grab().toImage(), "accounting-page-long-account");
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
  const QString before = page.view()->toHtml();
  // The modal dialog is closed from inside its own loop.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<TMess3Dlg*>(w)) d->accept();
  });
  page.openSettings();
  EXPECT_EQ(page.builds(), 1);
  EXPECT_EQ(page.view()->toHtml(), before);
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
