// The record editor on the offscreen screen: the pages of every kind, the
// modes, the messages and the saves, with the asking service answering.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "app/editor/record_editor_dialog.h"
#include "app/editor/recurrence_page.h"
#include "app/kit/qt_text.h"
#include "app/logic/preset_asking.h"
#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "support.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class EditorUi : public ::testing::Test {
 protected:
  void SetUp() override {
    test::TestApp();
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    EXPECT_TRUE(SaveLines(t.root() + "programs.ini", {"[Tree]", Ru("Планировщик") + "=mess", "[HotKeys]",
                                                      "mess=Calc,calc,1,xcalc;Term,term,2,xterm"}));
    context = ProgramContext::ForRoot(t.root());
  }
  template <class W>
  W* find(TAddMessDlg& d, const char* name) {
    W* w = d.findChild<W*>(name);
    EXPECT_TRUE(w) << name;
    return w;
  }
  void click(TAddMessDlg& d, const char* name) { find<QAbstractButton>(d, name)->click(); }
  void type(TAddMessDlg& d, const char* name, const char* text) { find<QLineEdit>(d, name)->setText(U(text)); }

  test::TempRoot t;
  ProgramContext context;
  PresetAsking asked;
  ScopedAsking scope{asked};
};

void ExpectOperable(TAddMessDlg& d) {
  for (QWidget* c : d.findChildren<QWidget*>()) {
    if (!c->isVisibleTo(&d)) continue;
    const auto* button = qobject_cast<QAbstractButton*>(c);
    const bool operated =
        button || qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QSpinBox*>(c);
    if (!operated || c->parentWidget()->inherits("QSpinBox") || c->parentWidget()->inherits("QComboBox")) continue;
    const bool named = !c->accessibleName().isEmpty() || (button && !button->text().trimmed().isEmpty());
    EXPECT_TRUE(named) << c->metaObject()->className() << " " << c->objectName().toStdString();
    EXPECT_NE(c->focusPolicy(), Qt::NoFocus) << c->objectName().toStdString();
  }
}

TEST_F(EditorUi, ANewReminderFromStartToSaveWithEveryPageOnScreen) {
  TAddMessDlg d(context, "", true);
  d.show();
  EXPECT_EQ(d.windowTitle(), U("Новая запись"));
  EXPECT_EQ(d.size(), QSize(511, 388));
  EXPECT_FALSE(find<QPushButton>(d, "SpeedButton24")->isEnabled());
  EXPECT_TRUE(find<QPushButton>(d, "SpeedButton26")->isEnabled());
  EXPECT_FALSE(find<QPushButton>(d, "SpeedButton1")->isEnabled());
  EXPECT_EQ(find<QPushButton>(d, "SpeedButton4")->text(), U("Закрыть "));
  test::SaveScreenshot(d.grab().toImage(), "editor-page-0");
  ExpectOperable(d);

  click(d, "RadioButton3");
  click(d, "SpeedButton26");
  EXPECT_EQ(d.page(), kRecurrencePage);
  EXPECT_EQ(find<QComboBox>(d, "ComboBox20001")->currentIndex(), 0);  // the weekday default
  test::SaveScreenshot(d.grab().toImage(), "editor-recurrence-once");
  // A recurrence message keeps the page and everything typed.
  click(d, "SpeedButton26");
  ASSERT_EQ(asked.messages().size(), 1u);
  EXPECT_EQ(asked.messages()[0].title, Ru("События"));
  EXPECT_EQ(asked.messages()[0].button4, Ru("Понял"));
  EXPECT_EQ(d.page(), kRecurrencePage);
  // Daily: the staircase on its picture with the range panel.
  click(d, "RadioButton7");
  EXPECT_TRUE(find<QWidget>(d, "Panel2")->isVisible());
  EXPECT_GT(find<QRadioButton>(d, "RadioButton10")->x(), find<QRadioButton>(d, "RadioButton7")->x());
  click(d, "RadioButton12");
  find<QSpinBox>(d, "SpinEdit20005")->setValue(3);
  test::SaveScreenshot(d.grab().toImage(), "editor-recurrence-daily");
  click(d, "RadioButton6");
  find<QSpinBox>(d, "SpinEdit20003")->setValue(2);
  test::SaveScreenshot(d.grab().toImage(), "editor-recurrence-interval");
  click(d, "RadioButton5");
  type(d, "MaskEdit5", "10.12.2026");
  click(d, "SpeedButton26");
  EXPECT_EQ(d.page(), kReminderPage);
  EXPECT_TRUE(find<QWidget>(d, "Panel3")->isVisible());
  EXPECT_TRUE(find<QWidget>(d, "Panel5")->isVisible());
  EXPECT_FALSE(find<QWidget>(d, "Panel4")->isVisible());
  test::SaveScreenshot(d.grab().toImage(), "editor-reminder");
  ExpectOperable(d);

  type(d, "maskedit3", "25:00");
  click(d, "SpeedButton1");
  EXPECT_EQ(asked.messages().back().title, Ru("Добавление записи"));
  EXPECT_EQ(asked.messages().back().text, Ru("Вы неправильно указали время !"));
  type(d, "maskedit3", "09:30");
  click(d, "SpeedButton1");  // no text yet
  EXPECT_EQ(asked.messages().back().text, Ru("Вы не указали текст сообщение напоминания !"));
  type(d, "maskedit3", "09:30");
  type(d, "Edit2", "Позвонить");
  click(d, "SpeedButton1");
  EXPECT_EQ(d.saveMark(), TAddMessDlg::kSaved);
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(store[0],
            test::Join({"3", test::Sub("1|10.12.2026") + kSep1 + kSep1 + test::Sub("22|09:30"), Ru("Позвонить")},
                       kSep3));
}

TEST_F(EditorUi, TheOtherKindsOnScreen) {
  TAddMessDlg d(context, "", true);
  d.show();
  click(d, "RadioButton1");
  click(d, "SpeedButton26");
  EXPECT_EQ(d.page(), kSimplePage);
  EXPECT_TRUE(find<QPushButton>(d, "SpeedButton1")->isEnabled());
  test::SaveScreenshot(d.grab().toImage(), "editor-simple");
  ExpectOperable(d);
  click(d, "SpeedButton24");
  asked.answerNext(3);  // the example operations
  click(d, "RadioButton2");
  click(d, "SpeedButton26");
  EXPECT_EQ(d.page(), kOperationPage);
  EXPECT_EQ(find<QComboBox>(d, "ComboBox20002")->count(), 6);
  EXPECT_EQ(find<QComboBox>(d, "ComboBox20002")->currentIndex(), -1);
  test::SaveScreenshot(d.grab().toImage(), "editor-accounting");
  ExpectOperable(d);
  click(d, "SpeedButton24");
  click(d, "RadioButton4");
  click(d, "SpeedButton26");
  type(d, "MaskEdit5", "10.12.2026");
  click(d, "SpeedButton26");
  EXPECT_FALSE(find<QWidget>(d, "Panel3")->isVisible());
  EXPECT_TRUE(find<QWidget>(d, "Panel4")->isVisible());
  EXPECT_EQ(find<QComboBox>(d, "ComboBox20003")->count(), 2);
  test::SaveScreenshot(d.grab().toImage(), "editor-action");
  ExpectOperable(d);
  // Choosing a command selects "Выполнить комманду".
  QComboBox* commands = find<QComboBox>(d, "ComboBox20003");
  commands->setCurrentIndex(1);
  emit commands->activated(1);
  EXPECT_TRUE(find<QRadioButton>(d, "RadioButton19")->isChecked());
  type(d, "maskedit3", "09:00");
  click(d, "SpeedButton1");
  EXPECT_EQ(d.saveMark(), TAddMessDlg::kSaved);
  EXPECT_EQ(GetField(t.read(t.data("mess.dat")).back(), kSep3, 3), "Term");
}

TEST_F(EditorUi, ViewModeCanLookButNeverSave) {
  const std::string line = test::Join({"1", "09.12.2026", "07:05", Ru("Запись")}, kSep3);
  TAddMessDlg d(context, line, false);
  d.show();
  EXPECT_EQ(d.windowTitle(), U("Просмотр записи"));
  EXPECT_EQ(d.page(), kSimplePage);
  EXPECT_EQ(find<QLineEdit>(d, "Edit1")->text(), U("Запись"));
  EXPECT_FALSE(find<QPushButton>(d, "SpeedButton1")->isEnabled());
  EXPECT_TRUE(find<QPushButton>(d, "SpeedButton24")->isEnabled());
  EXPECT_TRUE(find<QPushButton>(d, "SpeedButton4")->isEnabled());
  EXPECT_FALSE(find<QRadioButton>(d, "RadioButton1")->isEnabled());
  EXPECT_FALSE(find<QToolButton>(d, "SpeedButton14")->isEnabled());
  d.finish();
  EXPECT_EQ(d.saveMark(), 0);
  click(d, "SpeedButton24");
  EXPECT_EQ(d.page(), kKindPage);
  click(d, "SpeedButton26");
  EXPECT_FALSE(find<QPushButton>(d, "SpeedButton1")->isEnabled());
  EXPECT_FALSE(FileExists(t.data("Plan/nb202612.dat")));
}

TEST_F(EditorUi, AnEditedReminderOpensOnItsRecurrenceAndSavesTheSameLine) {
  const std::string line = test::Join({"3",
                                       test::Sub("3|" + Ru("средам")) + kSep1 +
                                           test::Sub("13|01.12.2026||31.12.2027") + kSep1 + test::Sub("22|08:30"),
                                       Ru("Планёрка")},
                                      kSep3);
  TAddMessDlg d(context, line, true);
  d.show();
  EXPECT_EQ(d.windowTitle(), U("Редактирование записи"));
  EXPECT_EQ(d.page(), kRecurrencePage);
  EXPECT_TRUE(find<QRadioButton>(d, "RadioButton8")->isChecked());
  EXPECT_EQ(find<QComboBox>(d, "ComboBox20001")->currentText(), U("средам"));
  EXPECT_TRUE(find<QRadioButton>(d, "RadioButton13")->isChecked());
  EXPECT_EQ(find<QLineEdit>(d, "maskedit2")->text(), "31.12.2027");
  click(d, "SpeedButton26");
  ASSERT_EQ(d.page(), kReminderPage);
  click(d, "SpeedButton1");
  EXPECT_EQ(d.saveMark(), TAddMessDlg::kSaved);
  EXPECT_EQ(t.read(t.data("mess.dat")), Lines{line});
}

TEST_F(EditorUi, AFailedSaveKeepsTheDialogOpenWithEverythingTyped) {
  ForceDir(t.data("mess.dat"));  // a folder where the store should be
  TAddMessDlg d(context, "", true);
  d.show();
  click(d, "RadioButton3");
  click(d, "SpeedButton26");
  type(d, "MaskEdit5", "10.12.2026");
  click(d, "SpeedButton26");
  type(d, "maskedit3", "09:30");
  type(d, "Edit2", "Чай");
  click(d, "SpeedButton1");
  EXPECT_EQ(d.saveMark(), 0);
  EXPECT_TRUE(d.isVisible());
  ASSERT_FALSE(asked.messages().empty());
  EXPECT_EQ(asked.messages().back().pictureKind, 3);
  EXPECT_NE(asked.messages().back().text.find(t.data("mess.dat")), std::string::npos);
  EXPECT_EQ(find<QLineEdit>(d, "Edit2")->text(), U("Чай"));
}

TEST_F(EditorUi, QuickFillsAndTheCalendar) {
  test::FixedClock clock(MakeDateTime(2026, 12, 9, 14, 35));
  TAddMessDlg d(context, "", true);
  d.show();
  click(d, "SpeedButton26");
  click(d, "SpeedButton14");
  EXPECT_EQ(find<QLineEdit>(d, "maskedit1")->text(), "09.12.2026");
  click(d, "SpeedButton21");
  EXPECT_EQ(find<QLineEdit>(d, "maskedit12")->text(), "14:35");
  asked.pickNextDate("24.12.2026");
  click(d, "SpeedButton15");
  EXPECT_EQ(find<QLineEdit>(d, "maskedit1")->text(), "24.12.2026");
  ASSERT_EQ(asked.dateRequests().size(), 1u);
  EXPECT_EQ(asked.dateRequests()[0].text, "09.12.2026");
  EXPECT_EQ(asked.dateRequests()[0].title, Ru("Календарь"));
}

// From the keyboard alone: the arrow keys choose the kind, Space steps on.
TEST_F(EditorUi, TheKeyboardAloneChoosesAndSteps) {
  TAddMessDlg d(context, "", true);
  d.show();
  d.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  QRadioButton* first = find<QRadioButton>(d, "RadioButton1");
  first->setFocus();
  QTest::keyClick(first, Qt::Key_Down);
  ASSERT_TRUE(d.focusWidget());
  QTest::keyClick(d.focusWidget(), Qt::Key_Down);
  EXPECT_TRUE(find<QRadioButton>(d, "RadioButton3")->isChecked());
  QPushButton* next = find<QPushButton>(d, "SpeedButton26");
  next->setFocus();
  QTest::keyClick(next, Qt::Key_Space);
  EXPECT_EQ(d.page(), kRecurrencePage);
  QLineEdit* date = find<QLineEdit>(d, "MaskEdit5");
  date->setFocus();
  QTest::keyClicks(date, "10.12.2026");
  QTest::keyClick(next, Qt::Key_Space);
  EXPECT_EQ(d.page(), kReminderPage);
}

// Typing goes where the page asks for it, Return goes on and finally saves,
// and closing with typed work asks first; "Отмена" keeps everything.
TEST_F(EditorUi, ReturnGoesOnAndClosingAsksBeforeTypedWorkIsLost) {
  TAddMessDlg d(context, "", true);
  d.show();
  d.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  find<QRadioButton>(d, "RadioButton3")->setChecked(true);
  QTest::keyClick(d.focusWidget(), Qt::Key_Return);
  EXPECT_EQ(d.page(), kRecurrencePage);
  type(d, "MaskEdit5", "10.12.2026");
  QTest::keyClick(d.focusWidget(), Qt::Key_Return);
  ASSERT_EQ(d.page(), kReminderPage);
  EXPECT_EQ(d.focusWidget(), find<QLineEdit>(d, "Edit2"));  // the reminder's text
  test::TypeText(d.focusWidget(), U("Позвонить маме"));
  EXPECT_EQ(find<QLineEdit>(d, "Edit2")->text(), U("Позвонить маме"));

  // Escape with typed work: asked; "Отмена" (and a dialog closed without an
  // answer) keeps the editor open with everything typed.
  asked.answerNext(kCloseCancel);
  QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(asked.messages().back().text, Ru("Сохранить изменения?"));
  EXPECT_EQ(asked.messages().back().button2, Ru("Да"));
  EXPECT_EQ(asked.messages().back().button3, Ru("Нет"));
  EXPECT_EQ(asked.messages().back().button4, Ru("Отмена"));
  asked.answerNext(0);
  find<QPushButton>(d, "SpeedButton4")->click();  // "Закрыть"
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(find<QLineEdit>(d, "Edit2")->text(), U("Позвонить маме"));
  // "Да" saves, the same as "Готово".
  type(d, "maskedit3", "09:00");
  asked.answerNext(kCloseSave);
  QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(d.saveMark(), TAddMessDlg::kSaved);
  EXPECT_FALSE(d.isVisible());
  ASSERT_EQ(t.read(t.data("mess.dat")).size(), 1u);
  EXPECT_EQ(GetField(t.read(t.data("mess.dat"))[0], kSep3, 3), Ru("Позвонить маме"));

  // Return on the last page saves; an untouched editor closes without a question.
  TAddMessDlg second(context, "", true);
  second.show();
  const std::size_t asks = asked.messages().size();
  second.reject();
  EXPECT_EQ(asked.messages().size(), asks);
  TAddMessDlg third(context, "", true);
  third.show();
  third.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&third));
  QTest::keyClick(third.focusWidget(), Qt::Key_Return);  // a diary note, the first kind
  ASSERT_EQ(third.page(), kSimplePage);
  EXPECT_EQ(third.focusWidget(), find<QLineEdit>(third, "Edit1"));
  test::TypeText(third.focusWidget(), U("Заметка"));
  type(third, "maskedit1", "09.12.2026");
  type(third, "maskedit12", "10:00");
  QTest::keyClick(third.focusWidget(), Qt::Key_Return);
  EXPECT_EQ(third.saveMark(), TAddMessDlg::kSaved);
  // "Нет" throws the typed work away.
  TAddMessDlg fourth(context, "", true);
  fourth.show();
  find<QRadioButton>(fourth, "RadioButton1")->setChecked(true);
  fourth.next();
  type(fourth, "Edit1", "x");
  asked.answerNext(kCloseDiscard);
  fourth.reject();
  EXPECT_FALSE(fourth.isVisible());
  EXPECT_NE(fourth.saveMark(), TAddMessDlg::kSaved);
}

// The recurrence page tells the next five occurrences as the schedule is
// changed, computed by the engine, or why there is none.
TEST_F(EditorUi, TheRecurrencePageShowsTheNextOccurrences) {
  test::FixedClock clock(MakeDateTime(2026, 12, 9, 10, 0));
  TAddMessDlg d(context, "", true);
  d.show();
  click(d, "RadioButton3");
  click(d, "SpeedButton26");
  QLabel* next = find<QLabel>(d, "NextOccurrences");
  EXPECT_EQ(next->text(), U("Вы не указали дату для одноразового события !"));
  type(d, "MaskEdit5", "10.12.2026");
  EXPECT_EQ(next->text(), U("Ближайшие, в 00:00: 10.12.2026"));  // the time, on the next page, is empty: 00:00
  click(d, "RadioButton8");                                      // weekly
  type(d, "maskedit4", "01.12.2026");
  const RecurrenceState r = d.state().recurrence;
  EXPECT_EQ(next->text(), FromCp1251(NextOccurrencesText(r, Now())));
  EXPECT_EQ(next->text().count(','), 5) << next->text().toStdString();
  test::SaveScreenshot(d.grab().toImage(), "editor-next-five");
  click(d, "RadioButton13");  // until
  type(d, "maskedit2", "05.12.2026");
  EXPECT_EQ(next->text(), U("Нет ни одного повторения"));
  EXPECT_TRUE(next->isVisible());
  const QRect label = next->geometry();
  EXPECT_FALSE(label.intersects(find<QWidget>(d, "Panel2")->geometry())) << "the line is under the range panel";
  test::SaveScreenshot(d.grab().toImage(), "editor-next-occurrences");
}

// "Настройки ..." of the operation page opens the accounting setup through
// the asking seam (the editor does not link the accounting windows), then
// reads the operations again.
TEST_F(EditorUi, TheSetupDialogIsOpenedThroughTheSeam) {
  TAddMessDlg d(context, "", true);
  d.show();
  asked.answerNext(3);  // the example operations
  click(d, "RadioButton2");
  click(d, "SpeedButton26");
  ASSERT_EQ(d.page(), kOperationPage);
  const Lines before = d.operations();
  t.write(t.data("mess-op.dat"), {before[0]});
  click(d, "SpeedButton19");
  ASSERT_EQ(asked.setupRequests().size(), 1u);
  EXPECT_EQ(asked.setupRequests()[0], t.root() + t.user());
  EXPECT_EQ(d.operations(), Lines{before[0]});  // read again after the dialog
}

// The root template's commands come with pictures the dialog can show.
TEST_F(EditorUi, TheTemplatesCommandsHaveTheirIcons) {
  const std::string source = std::string(KRAV_SOURCE_DIR) + "/data/root/";
  std::string programs;
  ASSERT_TRUE(LoadBytes(source + "programs.ini", programs));
  EXPECT_TRUE(SaveBytes(t.root() + "programs.ini", Utf8ToCp1251(programs)));
  ForceDir(t.root() + "Icons");
  for (const char* icon : {"calc.ico", "term.ico"}) {
    std::string bytes;
    ASSERT_TRUE(LoadBytes(source + "Icons/" + icon, bytes));
    EXPECT_TRUE(SaveBytes(t.root() + "Icons/" + icon, bytes));
  }
  TAddMessDlg d(context, "", true);
  ASSERT_EQ(d.commands().size(), 2u);
  QComboBox* list = find<QComboBox>(d, "ComboBox20003");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(d.commands()[static_cast<std::size_t>(i)].iconIndex, i);
    EXPECT_FALSE(list->itemIcon(i).isNull());
    EXPECT_FALSE(list->itemIcon(i).pixmap(16, 16).isNull());
  }
  EXPECT_EQ(list->itemText(0), U("Калькулятор"));
}

}  // namespace
}  // namespace krav::app
