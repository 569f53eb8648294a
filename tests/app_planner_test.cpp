// The planner list and the trash: the list values, the changes they make
// in real files (stale indices included), and both pages on the screen.
#include <gtest/gtest.h>

#include <set>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include "app/editor/record_editor_dialog.h"
#include "app/kit/qt_text.h"
#include "app/logic/planner_list.h"
#include "app/logic/preset_asking.h"
#include "app/logic/quick_entry.h"
#include "app/logic/trash_list.h"
#include "app/planner/list_models.h"
#include "app/planner/planner_page.h"
#include "app/planner/record_list_view.h"
#include "app/planner/trash_page.h"
#include "engine/collect.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "support.h"
#include "sync/state.h"

namespace krav::app {
namespace {

using test::Join;
using test::Record;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class Planner : public ::testing::Test {
 protected:
  void SetUp() override {
    test::TestApp();
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    EXPECT_TRUE(WriteIniBool(t.data("krav2000.ini"), "Messages", "AutoDel", false));
    t.write(t.data("mess.dat"), {Record("3", "2", "11|01.02.2024|00:00", "22|09:00", Ru("Зарядка")),  // 0
                                 Record("3", "1|02.02.2024", "", "21", Ru("Весь день")),              // 1
                                 Record("4", "1|03.02.2024", "", "22|10:00", Ru("Копия")),            // 2
                                 Record("3", "1|02.02.2024", "", "22|12:00", Ru("Обед"))});           // 3
    ForceDir(t.data("Plan"));
    t.write(t.data("Plan/nb202402.dat"),
            {Join({"2", "02.02.2024", "08:30", Ru("Хлеб "), "op", "", "1234.5"}, kSep3),
             Join({"1", "01.02.2024", "20:00", Ru("Запись")}, kSep3)});
    context = ProgramContext::ForRoot(t.root());
  }
  Lines collect(int days = 2) {
    Lines out;
    EXPECT_TRUE(CollectRange(out, MakeDateTime(2024, 2, 1), MakeDateTime(2024, 2, 1) + days, t.root(), t.user()));
    return out;
  }
  test::TempRoot t;
  test::FixedClock clock{MakeDateTime(2024, 2, 1, 12, 0)};
  ProgramContext context;
  PresetAsking asked;
  ScopedAsking scope{asked};
};

TEST_F(Planner, RowsAreSortedByDayAndTimeUnderOneSeparatorADay) {
  const PlannerList list = BuildPlannerList(collect(2));
  std::vector<std::string> shown;
  for (const auto& r : list.rows)
    shown.push_back(r.separator() ? "# " + DateToText(static_cast<double>(r.day)) : std::string(list.when(r)));
  EXPECT_EQ(shown,
            (std::vector<std::string>{"# 01.02.2024", "01.02.2024 09:00", "01.02.2024 20:00", "# 02.02.2024",
                                      "02.02.2024 ", "02.02.2024 08:30", "02.02.2024 09:00", "02.02.2024 12:00",
                                      "# 03.02.2024", "03.02.2024 09:00", "03.02.2024 10:00"}));
  EXPECT_EQ(RowTime("02.02.2024 "), Ru("При загрузке"));
  EXPECT_EQ(PlannerStatus(MakeDateTime(2024, 2, 1), 10), Ru("С 01.02.2024 по 11.02.2024 (10 дней)"));
  EXPECT_EQ(PlannerStatus(MakeDateTime(2024, 2, 1), 1), Ru("С 01.02.2024 по 02.02.2024 (1 день)"));
  EXPECT_EQ(DeleteQuestion(3, false), Ru("Вы действительно хотите удалить 3 записи ?"));
  EXPECT_EQ(DeleteQuestion(1, true), Ru("Вы действительно хотите удалить 1 запись из корзины ?"));
  EXPECT_TRUE(BuildPlannerList({}).rows.empty());
}

// Times of another form than hh:mm take the compare of bytes: the same order.
TEST(PlannerOrder, OddTimesSortAsBytes) {
  auto occurrence = [](const std::string& when, const std::string& text) {
    return Join({Join({"1", when}, kSep3), text, "0", "/j"}, kSep4);
  };
  const PlannerList list =
      BuildPlannerList({occurrence("02.02.2024 9:5", "c"), occurrence("02.02.2024 ", "a"),
                        occurrence("01.02.2024 23:00", "z"), occurrence("02.02.2024 10:00", "b")});
  std::vector<std::string> texts;
  for (const auto& r : list.rows)
    if (!r.separator()) texts.emplace_back(list.part(r, 2));
  EXPECT_EQ(texts, (std::vector<std::string>{"z", "a", "b", "c"}));  // "10:00" < "9:5" as bytes
  EXPECT_EQ(list.rows.size(), 6u);
}

TEST_F(Planner, ARecurringRecordMarkedTwiceIsDeletedOnce) {
  PlannerList list = BuildPlannerList(collect(2));
  int marked = 0;
  for (auto& r : list.rows)
    if (!r.separator() && list.part(r, 2) == Ru("Зарядка") && marked < 2) r.marked = true, ++marked;
  const auto entries = MarkedEntries(list);
  ASSERT_EQ(entries.size(), 1u);
  const ChangeResult result = DeleteEntries(entries, t.root(), t.user());
  EXPECT_EQ(result.done, 1);
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 3u);
  ASSERT_EQ(t.read(t.data("mess-del.dat")).size(), 1u);
  EXPECT_NE(t.read(t.data("mess-del.dat"))[0].find(Ru("Зарядка")), std::string::npos);
}

TEST_F(Planner, DeletingTwoLinesOfOneFileRemovesExactlyThoseAndMovesTheMarks) {
  PlannerList list = BuildPlannerList(collect(2));
  for (auto& r : list.rows)
    if (!r.separator() && (list.part(r, 2) == Ru("Обед") || list.kind(r) == "2")) r.marked = true;
  EXPECT_EQ(DeleteEntries(MarkedEntries(list), t.root(), t.user()).done, 2);
  const Lines store = t.read(t.data("mess.dat"));
  EXPECT_EQ(store.size(), 3u);
  EXPECT_EQ(GetField(store.back(), kSep3, 3), Ru("Копия"));
  EXPECT_EQ(t.read(t.data("Plan/nb202402.dat")).size(), 1u);
  EXPECT_EQ(ReadIniString(t.data("krav2000.ini"), "Buh", "LastChanges", ""), "02.02.2024");
}

TEST_F(Planner, StaleIndicesNeverDeleteAnotherLine) {
  PlannerList list = BuildPlannerList(collect(2));
  for (auto& r : list.rows)
    if (!r.separator() && list.part(r, 2) == Ru("Обед")) r.marked = true;
  // Another writer removes line 0 and appends one after the rebuild: "Обед" moved to index 2.
  Lines store = t.read(t.data("mess.dat"));
  store.erase(store.begin());
  store.push_back(Record("3", "1|05.02.2024", "", "21", Ru("Новое")));
  t.write(t.data("mess.dat"), store);
  ChangeResult r = DeleteEntries(MarkedEntries(list), t.root(), t.user());
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(r.missing, 0);
  const Lines after = t.read(t.data("mess.dat"));
  ASSERT_EQ(after.size(), 3u);
  for (const auto& l : after) EXPECT_NE(GetField(l, kSep3, 3), Ru("Обед"));
  // Gone altogether: nothing is deleted for it, and the caller is told.
  r = DeleteEntries(MarkedEntries(list), t.root(), t.user());
  EXPECT_EQ(r.done, 0);
  EXPECT_EQ(r.missing, 1);
  EXPECT_EQ(t.read(t.data("mess.dat")), after);
}

TEST_F(Planner, ARecordWithTheSameTextButAnotherTimeIsNeverTakenForTheOneShown) {
  const std::string call = Ru("Позвонить маме");
  t.write(t.data("mess.dat"), {Record("3", "1|01.01.2024", "", "21", Ru("Старое")),
                               Record("3", "2|", "11|01.01.2024|00:00", "22|09:00", call),
                               Record("3", "1|01.02.2024", "", "22|15:00", call)});
  PlannerList list = BuildPlannerList(collect(1));
  for (auto& r : list.rows)
    if (!r.separator() && list.when(r) == "01.02.2024 15:00") r.marked = true;
  ASSERT_EQ(MarkedEntries(list).size(), 1u);
  // The outdated line goes first (as the automatic removal takes it): every index shifts by one.
  Lines store = t.read(t.data("mess.dat"));
  store.erase(store.begin());
  t.write(t.data("mess.dat"), store);
  const ChangeResult r = DeleteEntries(MarkedEntries(list), t.root(), t.user());
  EXPECT_EQ(r.done, 1);
  const Lines after = t.read(t.data("mess.dat"));
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(GetField(after[0], kSep3, 2), GetField(store[0], kSep3, 2)) << "the daily one stays";
  // An operation with the same date, time and text but another amount is another line.
  EXPECT_FALSE(LineShowsAs(Join({"2", "01.02.2024", "10:00", "x", "op", "", "5.00"}, kSep3),
                           Join({Join({"2", "01.02.2024 10:00"}, kSep3), std::string("x") + kSep1 + "7.00", "0",
                                 t.data("Plan/nb202402.dat")},
                                kSep4)));
}

TEST_F(Planner, AReplaceRemovesTheOpenedLineEvenWhenItMoved) {
  const std::string opened = t.read(t.data("mess.dat"))[3];
  Lines store = t.read(t.data("mess.dat"));
  store.insert(store.begin(), Record("3", "1|05.02.2024", "", "21", Ru("Сначала")));
  store.push_back(Record("3", "1|06.02.2024", "", "21", Ru("Отредактированная")));
  t.write(t.data("mess.dat"), store);
  const ChangeResult r = RemoveReplacedLine(t.data("mess.dat"), 3, opened, t.root(), t.user());
  EXPECT_EQ(r.done, 1);
  const Lines after = t.read(t.data("mess.dat"));
  EXPECT_EQ(after.size(), 5u);
  EXPECT_EQ(std::count(after.begin(), after.end(), opened), 0);
  EXPECT_EQ(RemoveReplacedLine(t.data("mess.dat"), 3, opened, t.root(), t.user()).missing, 1);
}

TEST_F(Planner, AFailedTrashWriteDeletesNothing) {
  PlannerList list = BuildPlannerList(collect(2));
  for (auto& r : list.rows)
    if (!r.separator() && list.part(r, 2) == Ru("Обед")) r.marked = true;
  ForceDir(t.data("mess-del.dat"));  // the trash cannot be written
  const Lines before = t.read(t.data("mess.dat"));
  const ChangeResult r = DeleteEntries(MarkedEntries(list), t.root(), t.user());
  EXPECT_EQ(r.done, 0);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(t.read(t.data("mess.dat")), before);
}

TEST(Trash, TheHundredAndFirstDeletionPushesOutTheOldest) {
  test::TempRoot t;
  for (int i = 0; i < 101; ++i)
    ASSERT_TRUE(AppendToTrash(Join({"3", "x", "n" + std::to_string(i)}, kSep3), t.root(), t.user()));
  const auto rows = LoadTrashRows(t.data("mess-del.dat"));
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows.front().description, "n1");
  EXPECT_EQ(rows.back().description, "n100");
  EXPECT_EQ(rows.back().kind, 3);
  const TrashRow odd = TrashRowOf("no separator here");
  EXPECT_EQ(odd.kind, 0);
  EXPECT_EQ(odd.deletedAt, "no separator here");
  EXPECT_EQ(odd.description, "");
}

TEST(Trash, DeletingMarkedRowsChecksThemAndRemovesAnEmptyFile) {
  test::TempRoot t;
  for (const char* n : {"a", "b", "c"})
    ASSERT_TRUE(AppendToTrash(Join({"1", "d", "t", n}, kSep3), t.root(), t.user()));
  auto rows = LoadTrashRows(t.data("mess-del.dat"));
  rows[0].marked = rows[2].marked = true;
  // The plug-in's removal appends a line meanwhile: rows still name their lines.
  ASSERT_TRUE(AppendToTrash(Join({"3", "s", "late"}, kSep3), t.root(), t.user()));
  EXPECT_EQ(DeleteTrashRows(rows, t.dataDir()).removed, 2);
  auto left = LoadTrashRows(t.data("mess-del.dat"));
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].description, "b");
  for (auto& r : left) r.marked = true;
  EXPECT_EQ(DeleteTrashRows(left, t.dataDir()).removed, 2);
  EXPECT_FALSE(FileExists(t.data("mess-del.dat")));
}

// "Восстановить": each line goes back to the file it came from and leaves
// the trash in the same update; an operation marks the accounting change; a
// line standing in its file again is not added twice; rows are checked
// against the trash as for a deletion.
TEST_F(Planner, RestoringFromTheTrashPutsEachLineBackWhereItCameFrom) {
  const Lines store = t.read(t.data("mess.dat")), journal = t.read(t.data("Plan/nb202402.dat"));
  auto entriesOf = [&](int days) {
    std::vector<ShownEntry> e;
    const PlannerList list = BuildPlannerList(collect(days));
    for (const auto& r : list.rows)
      if (!r.separator()) e.push_back(EntryOf(list, r));
    return e;
  };
  ASSERT_EQ(DeleteEntries(entriesOf(2), t.root(), t.user()).done, 6);
  EXPECT_TRUE(t.read(t.data("Plan/nb202402.dat")).empty());
  EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Buh", "LastChanges", "31.12.2024"));
  // A line that stands in its file again: restored by hand meanwhile.
  t.write(t.data("mess.dat"), {store[1]});
  std::vector<TrashRow> rows = LoadTrashRows(t.data("mess-del.dat"));
  ASSERT_EQ(rows.size(), 6u);
  for (auto& r : rows) r.marked = true;
  rows[5].trashLine += "x";  // changed since it was shown: left alone
  const TrashChange r = RestoreTrashRows(rows, t.root(), t.user());
  EXPECT_TRUE(r.error.empty()) << r.error;
  EXPECT_EQ(r.removed, 4);
  EXPECT_EQ(r.alreadyThere, 1);
  EXPECT_EQ(r.missing, 1);
  EXPECT_EQ(LoadTrashRows(t.data("mess-del.dat")).size(), 1u);
  Lines back = t.read(t.data("mess.dat")), all = store;
  std::sort(back.begin(), back.end());
  std::sort(all.begin(), all.end());
  Lines journalBack = t.read(t.data("Plan/nb202402.dat"));
  EXPECT_EQ(back.size() + journalBack.size(), 5u);
  for (const auto& l : back) EXPECT_TRUE(std::count(all.begin(), all.end(), l) == 1) << l;
  for (const auto& l : journalBack) EXPECT_TRUE(std::count(journal.begin(), journal.end(), l) == 1) << l;
  EXPECT_EQ(std::count(back.begin(), back.end(), store[1]), 1);
  // The journal's lines went first into the trash, so both came back, and
  // the restored operation moved the accounting change back to its date.
  EXPECT_EQ(journalBack.size(), 2u);
  EXPECT_EQ(ReadIniString(t.data("krav2000.ini"), "Buh", "LastChanges", ""), "02.02.2024");
  // Nothing to restore twice.
  EXPECT_EQ(RestoreTrashRows(rows, t.root(), t.user()).removed, 0);
}

TEST_F(Planner, ThePlannerPageOnScreen) {
  EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Tree", "x", ""));
  PlannerPage page(context, nullptr);
  page.resize(640, 420);
  page.show();
  page.setPeriodLength(1);
  EXPECT_EQ(page.header()->status(), U("С 01.02.2024 по 02.02.2024 (1 день)"));
  const PlannerModel* m = page.model();
  EXPECT_EQ(m->rowCount(), 8);
  EXPECT_EQ(m->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), U("Дата и время"));
  EXPECT_EQ(page.view()->columnWidth(0), 20);
  EXPECT_EQ(page.view()->columnWidth(1), qRound((page.view()->viewport()->width() - 20) * 0.3));
  EXPECT_TRUE(page.view()->isColumnHidden(3));
  EXPECT_EQ(page.view()->rowHeight(1), 18);
  EXPECT_EQ(page.view()->columnSpan(0, 0), 2);  // the day separator runs over columns 0 and 1
  EXPECT_EQ(m->index(0, 0).data().toString(), U("1 февраля 2024 г."));
  // Marks: never a separator; Space marks the current row.
  EXPECT_FALSE(page.model()->toggleMark(0));
  page.view()->setCurrentIndex(m->index(1, 1));
  QTest::keyClick(page.view(), Qt::Key_Space);
  EXPECT_EQ(m->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  // The current record's rows are highlighted together.
  page.model()->setCurrentKey(page.model()->list().key(page.model()->list().rows[1]));
  int highlighted = 0;
  for (int r = 0; r < m->rowCount(); ++r) highlighted += m->index(r, 1).data(kHighlightRole).toBool();
  EXPECT_EQ(highlighted, 2);  // "Зарядка" on both days
  test::SaveScreenshot(page.grab().toImage(), "planner-page");

  // A dialog closed without an answer deletes nothing; "Да" deletes.
  asked.answerNext(0);
  QTest::keyClick(page.view(), Qt::Key_Delete);
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 4u);
  EXPECT_EQ(asked.messages().back().text, Ru("Вы действительно хотите удалить 1 запись ?"));
  asked.answerNext(3);
  page.deleteMarked();
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 3u);
  EXPECT_EQ(m->rowCount(), 6);  // rebuilt

  // The menu's lengths, and a chosen start.
  const auto actions = page.periodMenu()->actions();
  ASSERT_EQ(actions.size(), 6);
  EXPECT_EQ(actions[1]->text(), U("3 дня"));
  actions[2]->trigger();
  EXPECT_EQ(page.periodLength(), 5);
  EXPECT_TRUE(page.header()->status().endsWith(U("(5 дней)")));
  asked.pickNextDate("02.02.2024");
  page.pickStart();
  EXPECT_EQ(page.startText(), "02.02.2024");
  for (const char* tool :
       {"SpeedButton1", "SpeedButton2", "SpeedButton7", "SpeedButton26", "SpeedButton27", "SpeedButton28"})
    EXPECT_FALSE(page.header()->tool(tool)->accessibleName().isEmpty()) << tool;
}

TEST_F(Planner, ACutDescriptionShowsWholeInItsTooltipAndAWholeOneShowsNone) {
  const std::string longText =
      Ru("Позвонить в управляющую компанию насчёт протечки на кухне и договориться о мастере");
  Lines store = t.read(t.data("mess.dat"));
  store.push_back(Record("3", "1|01.02.2024", "", "22|07:00", longText));
  t.write(t.data("mess.dat"), store);
  PlannerPage page(context, nullptr);
  page.resize(480, 300);
  page.show();
  page.setPeriodLength(0);
  QApplication::processEvents();
  const PlannerModel* m = page.model();
  int cut = -1, whole = -1;
  for (int r = 0; r < m->rowCount(); ++r) {
    const QString d = m->index(r, 2).data().toString();
    if (d == FromCp1251(longText)) cut = r;
    if (d == U("Зарядка")) whole = r;
  }
  ASSERT_GE(cut, 0);
  ASSERT_GE(whole, 0);
  QWidget* viewport = page.view()->viewport();
  const auto hover = [&](int row) {
    const QPoint at = page.view()->visualRect(m->index(row, 2)).center();
    QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &help);
  };
  hover(whole);
  EXPECT_FALSE(QToolTip::isVisible());
  hover(cut);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), FromCp1251(longText));
  // Moving on to a whole text takes the tooltip away (the toolkit hides it after a moment).
  hover(whole);
  QElapsedTimer waited;
  waited.start();
  while (QToolTip::isVisible() && waited.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(Planner, AnEditReplacesItsLineAndAnAddressCardGoesToTheShell) {
  PlannerPage page(context, nullptr);
  page.setPeriodLength(1);
  // The editor opens on the entry; "Готово" saves it unchanged: the line is replaced.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<TAddMessDlg*>(w)) {
        d->next();  // recurrence page to the reminder page
        d->finish();
      }
  });
  int row = -1;
  for (std::size_t i = 0; i < page.model()->list().rows.size(); ++i)
    if (!page.model()->list().rows[i].separator() &&
        page.model()->list().part(page.model()->list().rows[i], 2) == Ru("Обед"))
      row = static_cast<int>(i);
  ASSERT_GE(row, 0);
  const Lines before = t.read(t.data("mess.dat"));
  page.openRow(row);
  const Lines after = t.read(t.data("mess.dat"));
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.back(), before[3]);  // moved to the end, unchanged
  EXPECT_FALSE(FileExists(sync::EditsFile(t.dataDir()))) << "an unchanged record is no edit";

  // Synchronised with a calendar: a changed text is noted as a replacement,
  // so that the record's event is updated rather than deleted and sent anew.
  t.write(sync::StateFile(t.dataDir()), {});
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<TAddMessDlg*>(w)) {
        d->next();
        if (auto* text = d->findChild<QLineEdit*>("Edit2")) text->setText(U("Поздний обед"));
        d->finish();
      }
  });
  page.openRow(row);
  std::vector<sync::Edit> edits;
  ASSERT_TRUE(sync::LoadEdits(t.dataDir(), edits));
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(edits[0].before, before[3]);
  EXPECT_EQ(GetField(edits[0].after, kSep3, 3), Ru("Поздний обед"));
  EXPECT_EQ(t.read(t.data("mess.dat")).back(), edits[0].after);
}

// "Быстрая запись": reachable from the keyboard, says what it understood
// while typing, saves the editor's record on Return and clears on Escape.
TEST_F(Planner, QuickEntrySavesTheEditorsRecordFromOnePhrase) {
  PlannerPage page(context, nullptr);
  page.resize(640, 420);
  page.show();
  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  page.view()->setFocus();
  QTest::keyClick(page.view(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_TRUE(page.quickEdit()->hasFocus());
  page.view()->setFocus();
  QTest::keyClick(page.view(), Qt::Key_Insert);
  ASSERT_TRUE(page.quickEdit()->hasFocus());
  EXPECT_EQ(page.quickEdit()->accessibleName(), U("Быстрая запись"));

  test::TypeText(page.quickEdit(), U("завтра 9:00"));
  EXPECT_EQ(page.quickHint(), U("Не написано, о чём напомнить."));
  QTest::keyClick(page.quickEdit(), Qt::Key_Return);  // nothing saved
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 4u);
  test::TypeText(page.quickEdit(), U(" врач"));
  EXPECT_EQ(page.quickHint(), U("завтра, 02.02.2024, 09:00: врач"));
  test::SaveScreenshot(page.grab().toImage(), "planner-quick-entry");
  QTest::keyClick(page.quickEdit(), Qt::Key_Return);
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 5u);
  EXPECT_EQ(store.back(), BuildRecordLine(*ReadQuickEntry(Ru("завтра 9:00 врач"), Now()).state, {}, {}));
  EXPECT_TRUE(page.quickEdit()->text().isEmpty());
  EXPECT_TRUE(page.quickHint().startsWith(U("Сохранено")));

  test::TypeText(page.quickEdit(), U("каждый день зарядка"));
  QTest::keyClick(page.quickEdit(), Qt::Key_Escape);
  EXPECT_TRUE(page.quickEdit()->text().isEmpty());
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 5u);
}

// At the narrowest window the header's caption, period and tools never run
// into each other: the texts are cut with "…" and say themselves whole in a
// tooltip.
TEST_F(Planner, TheHeaderGivesWayInANarrowWindow) {
  PlannerPage page(context, nullptr);
  page.show();
  page.setPeriodLength(30);
  for (const int width : {640, 460, 400}) {
    page.resize(width, 420);
    QApplication::processEvents();
    const auto labels = page.header()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    const QRect caption = labels[0]->geometry(), status = labels[1]->geometry();
    const QRect tools = page.header()->tool("SpeedButton7")->geometry();
    EXPECT_LT(caption.right(), status.left()) << width;
    EXPECT_LT(status.right(), tools.left()) << width;
    EXPECT_LE(tools.right(), page.header()->width()) << width;
    if (width == 400) {
      EXPECT_EQ(labels[1]->toolTip(), page.header()->status());
      test::SaveScreenshot(page.grab().toImage(), "planner-page-narrow");
    }
  }
}

// Tab goes from the list through the quick entry to every tool button of the
// header, and the focused tool is framed.
TEST_F(Planner, TabReachesTheToolsAndTheList) {
  PlannerPage page(context, nullptr);
  page.resize(640, 420);
  page.show();
  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  page.setPeriodLength(1);
  page.view()->setFocus();
  std::set<QString> reached;
  QWidget* at = page.view();
  for (int i = 0; i < 20; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    at = QApplication::focusWidget();
    if (!at) break;
    reached.insert(at->objectName());
    if (at == page.header()->tool("SpeedButton7")) {
      const QImage plain = page.header()->grab().toImage();
      test::SaveScreenshot(page.grab().toImage(), "planner-tool-focus");
      page.view()->setFocus();
      EXPECT_NE(page.header()->grab().toImage(), plain) << "the focused tool is framed";
      page.header()->tool("SpeedButton7")->setFocus();
    }
  }
  for (const char* name : {"QuickEntry", "StringGrid1", "SpeedButton1", "SpeedButton2", "SpeedButton7",
                           "SpeedButton26", "SpeedButton27", "SpeedButton28"})
    EXPECT_TRUE(reached.count(name)) << name << " " << [&] {
      std::string all;
      for (const auto& r : reached) all += r.toStdString() + ",";
      return all;
    }();
}

TEST_F(Planner, TheTrashPageOnScreen) {
  for (const std::string& l : t.read(t.data("mess.dat"))) ASSERT_TRUE(AppendToTrash(l, t.root(), t.user()));
  ASSERT_TRUE(AppendToTrash(t.read(t.data("Plan/nb202402.dat"))[0], t.root(), t.user()));
  TrashPage page(context, nullptr);
  page.resize(640, 360);
  page.show();
  page.refill();
  EXPECT_EQ(page.model()->rowCount(), 5);
  EXPECT_EQ(page.model()->index(4, 2).data().toString(), U("Хлеб "));    // field 4 of a journal line
  EXPECT_EQ(page.model()->index(0, 2).data().toString(), U("Зарядка"));  // field 3 of a record
  EXPECT_EQ(page.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), U("Дата и время удаления"));
  test::SaveScreenshot(page.grab().toImage(), "trash-page");
  page.model()->toggleMark(0);
  page.model()->toggleMark(2);
  asked.answerNext(4);  // "Нет"
  page.deleteMarked();
  EXPECT_EQ(page.model()->rowCount(), 5);
  asked.answerNext(3);
  page.deleteMarked();
  EXPECT_EQ(page.model()->rowCount(), 3);
  EXPECT_EQ(asked.messages().back().text, Ru("Вы действительно хотите удалить 2 записи из корзины ?"));
  asked.answerNext(0);
  page.emptyTrash();
  EXPECT_EQ(page.model()->rowCount(), 3);
  asked.answerNext(3);
  page.emptyTrash();
  EXPECT_FALSE(FileExists(t.data("mess-del.dat")));
  EXPECT_TRUE(page.showsEmpty());
  EXPECT_EQ(asked.messages().back().title, Ru("Очищение корзины"));
  EXPECT_EQ(asked.messages().back().button3, Ru("Да@1"));
  const std::size_t asks = asked.messages().size();
  page.deleteMarked();  // an empty trash asks nothing
  EXPECT_EQ(asked.messages().size(), asks);
}

// "Восстановить" on the trash page: a button with a name, and Insert.
TEST_F(Planner, TheTrashPageRestoresMarkedLinesWithInsert) {
  const std::string first = t.read(t.data("mess.dat"))[0];
  ASSERT_TRUE(UpdateLines(t.dataDir(), t.data("mess.dat"), [](Lines& l) {
    l.erase(l.begin());
    return true;
  }));
  ASSERT_TRUE(AppendToTrash(first, t.root(), t.user()));
  TrashPage page(context, nullptr);
  page.resize(640, 360);
  page.show();
  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  page.refill();
  int restored = 0;
  QObject::connect(&page, &TrashPage::recordsRestored, [&] { ++restored; });
  EXPECT_EQ(page.header()->tool("RestoreButton")->accessibleName(), U("Восстановить отмеченные (Insert)"));
  page.view()->setFocus();
  QTest::keyClick(page.view(), Qt::Key_Insert);  // nothing marked: says how
  EXPECT_EQ(asked.messages().back().title, Ru("Корзина"));
  page.view()->setCurrentIndex(page.model()->index(0, 1));
  QTest::keyClick(page.view(), Qt::Key_Space);
  QTest::keyClick(page.view(), Qt::Key_Insert);
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(t.read(t.data("mess.dat")).back(), first);
  EXPECT_TRUE(page.showsEmpty());
}

}  // namespace
}  // namespace krav::app
