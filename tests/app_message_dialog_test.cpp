#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/dialogs/dialog_asking.h"
#include "app/dialogs/message_dialog.h"
#include "app/logic/accounting_questions.h"
#include "app/logic/preset_asking.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "qt_support.h"
#include "support.h"

namespace krav::app {
namespace {

const char* const kCharacter =
    "KRAV-AGENT 1\nname=Owl\nsize=100x140\nanimation=Show appear 900\nanimation=Think think 2000\n";

class MessageDialog : public ::testing::Test {
 protected:
  void SetUp() override { test::TestApp(); }
  test::TempRoot t;

  // Runs `inside` from within the dialog's modal loop.
  static void During(std::function<void()> inside) { QTimer::singleShot(0, std::move(inside)); }
  static void Press(TMdlg& d, int number) {
    During([&d, number] { d.button(number)->click(); });
  }
  static int Question(TMdlg& d, int kind = 2) {
    return d.ShowMessageDialog(Ru("Вопрос"), Ru("Удалить запись?"), "", kind, Ru("Нет@2"), Ru("Да@1"), "");
  }
};

TEST_F(MessageDialog, EachButtonGivesItsNumber) {
  TMdlg d(t.root());
  for (int b = 1; b <= 4; ++b) {
    Press(d, b);
    EXPECT_EQ(d.ShowMessageDialog("T", "text", "1", 1, "4", "3", "2"), b);
    EXPECT_FALSE(d.isVisible());
  }
}

TEST_F(MessageDialog, CaptionsStopAtTheAtSignAndEmptyTextsHideButtons) {
  TMdlg d(t.root());
  During([&] {
    EXPECT_TRUE(d.button(1)->isHidden());
    EXPECT_TRUE(d.button(2)->isHidden());
    EXPECT_EQ(d.button(3)->text(), QString::fromUtf8("Да"));
    EXPECT_EQ(d.button(4)->text(), QString::fromUtf8("Нет"));
    EXPECT_FALSE(d.button(4)->isHidden());
    // "Да" stands left of "Нет".
    EXPECT_LT(d.button(3)->geometry().right(), d.button(4)->geometry().left());
    EXPECT_EQ(d.shownPicture(), 2);
    EXPECT_TRUE(d.inputLine()->isHidden());
    d.button(3)->click();
  });
  EXPECT_EQ(Question(d), 3);
}

TEST_F(MessageDialog, ClosingWithoutAButtonAndASecondCallAreNo) {
  TMdlg d(t.root());
  During([&] { QTest::keyClick(&d, Qt::Key_Escape); });
  EXPECT_EQ(Question(d), 0);
  During([&] { d.close(); });
  EXPECT_EQ(Question(d), 0);
  // A reply of an earlier call does not stick.
  Press(d, 3);
  EXPECT_EQ(Question(d), 3);
  int nested = -1;
  During([&] {
    nested = Question(d);
    d.button(4)->click();
  });
  EXPECT_EQ(Question(d), 4);
  EXPECT_EQ(nested, 0);
}

// The keyboard answers: Enter presses the default button, which has the
// focus; Escape is a "no" (0). Where "Да" destroys for good, Enter is "Нет".
TEST_F(MessageDialog, EnterPressesTheDefaultButtonAndEscapeSaysNo) {
  TMdlg d(t.root());
  auto enter = [&] { During([&] { QTest::keyClick(d.focusWidget() ? d.focusWidget() : &d, Qt::Key_Return); }); };
  enter();
  EXPECT_EQ(d.ShowMessageDialog(Ru("Заметка"), Ru("Готово."), "", 3, Ru("Понял"), "", ""),
            4);  // the single button
  enter();
  EXPECT_EQ(Question(d), 3);  // "Да"
  During([&] {
    EXPECT_TRUE(d.button(3)->hasFocus());
    EXPECT_TRUE(d.button(3)->isDefault());
    QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
  });
  EXPECT_EQ(Question(d), 0);
  enter();
  EXPECT_EQ(d.ShowMessageDialog(Ru("Очищение корзины"), Ru("Очистить?"), "", 3, Ru("Нет@2"), Ru("Да@1"), "", 4),
            4);
  // An input line keeps the typing, and Enter still answers.
  During([&] {
    EXPECT_TRUE(d.inputLine()->hasFocus());
    QTest::keyClicks(d.inputLine(), "12");
    QTest::keyClick(d.inputLine(), Qt::Key_Return);
  });
  EXPECT_EQ(d.ShowMessageDialog(Ru("Курс"), Ru("Курс?"), "", 7, Ru("Отмена"), Ru("Готово"), "", 3), 3);
  EXPECT_EQ(d.inputText(), "12");
}

// The balloon and the character appear beside the window that asked, and
// inside its screen, wherever that window stands.
TEST_F(MessageDialog, TheBalloonAppearsBesideTheWindowThatAsked) {
  ASSERT_TRUE(SaveBytes(t.root() + "agent.acs", kCharacter));
  QWidget asking;
  asking.resize(300, 200);
  asking.show();
  TMdlg d(t.root(), &asking);
  ASSERT_TRUE(d.agent().available());
  const QRect area = asking.screen()->availableGeometry();
  for (const QPoint at : {QPoint(20, 20), QPoint(area.width() - 310, area.height() - 210)}) {
    asking.move(at);
    asking.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&asking));
    During([&] {
      const Box c = d.agent().geometry();
      const QRect figure(c.left, c.top, c.width, c.height), balloon = d.frameGeometry();
      const QRect window = asking.frameGeometry();
      EXPECT_TRUE(area.contains(figure)) << c.left << "," << c.top;
      EXPECT_TRUE(area.contains(balloon));
      EXPECT_FALSE(figure.intersects(window));
      // Beside the window: within its height band, next to one of its edges.
      EXPECT_LT(std::min(std::abs(figure.left() - window.right()), std::abs(window.left() - figure.right())), 20);
      d.button(4)->click();
    });
    Question(d);
  }
}

// A long title is never cut (it read «…домашняя бухгалтери» in the About balloon).
TEST_F(MessageDialog, TheWholeTitleFitsItsBand) {
  TMdlg d(t.root());
  During([&] {
    const QLabel* caption = d.findChild<QLabel*>("Caption20002");
    ASSERT_TRUE(caption);
    EXPECT_GE(caption->width(), caption->fontMetrics().horizontalAdvance(caption->text()) + 8);
    test::SaveScreenshot(d.grab().toImage(), "message-long-title");
    d.button(4)->click();
  });
  d.ShowMessageDialog(Ru("Кравитор 2000: планировщик и домашняя бухгалтерия"), Ru("Версия 2.0"), "", 4,
                      Ru("Понял@3"), "", "");
}

TEST(MessageLayout, DefaultButtonsAndPlacesBesideAWindow) {
  const std::string yes = Ru("Да");
  EXPECT_EQ(DefaultButtonOf({"", "", "", Ru("Понял")}, 0, yes), 4);
  EXPECT_EQ(DefaultButtonOf({"", "", yes, Ru("Нет")}, 0, yes), 3);
  EXPECT_EQ(DefaultButtonOf({"", "", yes, Ru("Нет")}, 4, yes), 4);
  EXPECT_EQ(DefaultButtonOf({"", "", yes, Ru("Нет")}, 2, yes), 3);  // a hidden choice falls back
  EXPECT_EQ(DefaultButtonOf({"", "a", "b", "c"}, 0, yes), 0);
  const Box area{0, 0, 1000, 700};
  EXPECT_EQ(CharacterBesideWindow({100, 100, 300, 200}, 100, 140, area), (Point{408, 160}));
  EXPECT_EQ(CharacterBesideWindow({850, 100, 140, 200}, 100, 140, area), (Point{742, 160}));  // no room right
  EXPECT_EQ(CharacterBesideWindow({0, 0, 990, 60}, 100, 140, area), (Point{0, 0}));           // kept inside
  EXPECT_EQ(KeptInside({950, 650, 100, 100}, area), (Box{900, 600, 100, 100}));
  EXPECT_EQ(KeptInside({-5, -5, 2000, 10}, area), (Box{0, 0, 2000, 10}));
}

TEST_F(MessageDialog, KindSevenKeepsItsInputBetweenCalls) {
  TMdlg d(t.root());
  During([&] {
    EXPECT_FALSE(d.inputLine()->isHidden());
    EXPECT_EQ(d.shownPicture(), 2);
    QTest::keyClicks(d.inputLine(), "92.50");
    d.button(3)->click();
  });
  EXPECT_EQ(d.ShowMessageDialog(Ru("Курс"), Ru("Укажите курс"), "", 7, Ru("Отменить"), Ru("Готово"), ""), 3);
  EXPECT_EQ(d.inputText(), "92.50");
  During([&] {
    EXPECT_EQ(d.inputLine()->text(), "92.50");
    d.button(4)->click();
  });
  d.ShowMessageDialog(Ru("Курс"), Ru("Укажите курс"), "", 7, Ru("Отменить"), Ru("Готово"), "");
  // A later message without the input line hides it and leaves its text.
  During([&] {
    EXPECT_TRUE(d.inputLine()->isHidden());
    d.button(4)->click();
  });
  d.ShowMessageDialog("", Ru("Готово"), "", 3, Ru("Понял@3"), "", "");
  EXPECT_EQ(d.inputText(), "92.50");
}

TEST_F(MessageDialog, SizeFollowsTheText) {
  TMdlg d(t.root());
  During([&] {
    EXPECT_EQ(d.width(), d.textLabel()->width() + 135 > 210 ? d.textLabel()->width() + 135 : 210);
    EXPECT_EQ(d.height(), 180);
    d.button(4)->click();
  });
  d.ShowMessageDialog("", "Ok", "", 3, Ru("Понял@3"), "", "");
  const std::string longText(200, 'w');
  During([&] {
    EXPECT_EQ(d.textLabel()->width(), 280);
    EXPECT_TRUE(d.textLabel()->wordWrap());
    EXPECT_EQ(d.width(), 415);
    EXPECT_GE(d.height(), 180);
    d.button(4)->click();
  });
  d.ShowMessageDialog("", longText + " " + longText, "", 3, Ru("Понял@3"), "", "");
}

TEST_F(MessageDialog, WithoutACharacterThereIsNoPointer) {
  TMdlg d(t.root());
  EXPECT_FALSE(d.agent().available());
  d.move(123, 77);
  Press(d, 4);
  Question(d);
  EXPECT_EQ(d.pointer(), 0);
  EXPECT_EQ(d.pos(), QPoint(123, 77));
}

TEST_F(MessageDialog, TheBalloonPointsAtTheCharacter) {
  ASSERT_TRUE(SaveBytes(t.root() + "agent.acs", kCharacter));
  EXPECT_TRUE(SaveBytes(t.root() + "agent.ini", "[Commandes]\r\n2=Think\r\n"));
  TMdlg d(t.root());
  ASSERT_TRUE(d.agent().available());
  const Box c = d.agent().geometry();
  During([&] {
    // The fresh character stands in the bottom right corner: the dialog is
    // above it, right-aligned.
    EXPECT_EQ(d.pointer(), 13);
    EXPECT_EQ(d.x() + d.width(), c.left + c.width);
    EXPECT_EQ(d.y() + d.height(), c.top);
    // The window is shaped as the balloon: corners cut, the pointer kept.
    EXPECT_FALSE(d.mask().contains(QPoint(2, 2)));
    EXPECT_TRUE(d.mask().contains(QPoint(d.width() / 2, d.height() / 2)));
    EXPECT_TRUE(d.mask().contains(QPoint(d.width() - 71, d.height() - 6)));
    EXPECT_FALSE(d.mask().contains(QPoint(60, d.height() - 6)));
    d.button(4)->click();
  });
  Question(d);
}

TEST_F(MessageDialog, PicturesOfEveryKind) {
  ASSERT_TRUE(SaveBytes(t.root() + "agent.acs", kCharacter));
  TMdlg d(t.root());
  const int expected[] = {0, 1, 2, 3, 4, 2, 4, 2};
  for (int kind = 1; kind <= 7; ++kind) {
    During([&, kind] {
      EXPECT_EQ(d.shownPicture(), expected[kind]) << kind;
      test::SaveScreenshot(d.grab().toImage(), QString("message-kind-%1").arg(kind));
      d.button(4)->click();
    });
    d.ShowMessageDialog(Ru("Заголовок сообщения"),
                        Ru("Текст сообщения, достаточно длинный, чтобы его пришлось переносить на вторую строку."),
                        "", kind, Ru("Понял@3"), kind == 2 || kind == 7 ? Ru("Да") : "", "");
  }
}

TEST_F(MessageDialog, TheProgramWideFunctionUsesTheOneDialog) {
  EXPECT_EQ(ShowMessageDialog("", "x", "", 3, "Ok", "", ""), 0);  // no dialog yet
  TMdlg d(t.root());
  EXPECT_EQ(TMdlg::instance(), &d);
  Press(d, 4);
  EXPECT_EQ(ShowMessageDialog("", "x", "", 3, "Ok", "", ""), 4);
}

TEST(AccountingQuestions, OnlyTheirYesButtonCounts) {
  PresetAsking asked;
  const ScopedAsking scope(asked);
  AccountingQuestions q;
  asked.answerNext(3);
  EXPECT_TRUE(q.createExampleData());
  asked.answerNext(0);  // closed with Esc or by the window manager
  EXPECT_FALSE(q.createExampleData());
  asked.answerNext(4);
  EXPECT_FALSE(q.createExampleData());
  asked.answerNext(3, "91.25");
  EXPECT_EQ(q.askRate("USD", "01.03.2026", "?"), std::optional<std::string>("91.25"));
  asked.answerNext(0, "91.25");
  EXPECT_EQ(q.askRate("USD", "01.03.2026", "?"), std::nullopt);
  asked.answerNext(4);
  EXPECT_EQ(q.askRate("USD", "01.03.2026", "?"), std::nullopt);
  ASSERT_EQ(asked.messages().size(), 6u);
  EXPECT_EQ(asked.messages()[0].pictureKind, 2);
  EXPECT_EQ(asked.messages()[0].button3, Ru("Да"));
  EXPECT_EQ(asked.messages()[0].button4, Ru("Нет"));
  EXPECT_EQ(asked.messages()[3].pictureKind, 7);
  EXPECT_EQ(asked.messages()[3].text, "?");
  EXPECT_EQ(asked.messages()[3].button3, Ru("Готово"));
  EXPECT_EQ(asked.unusedAnswers(), 0u);
}

// The program's asking service drives the real dialog: the pressed button
// and, for picture kind 7, the input line's text come back.
TEST_F(MessageDialog, TheDialogAskingServiceReturnsButtonAndInput) {
  TMdlg d(t.root());
  DialogAsking asking;
  Press(d, 3);
  EXPECT_EQ(asking.message({"t", "x", 2, "", "", Ru("Да"), Ru("Нет")}).button, 3);
  During([&] {
    EXPECT_FALSE(d.inputLine()->isHidden());
    d.inputLine()->setText("91.25");
    d.button(3)->click();
  });
  const MessageReply r = asking.message({"t", "rate?", 7, "", "", Ru("Готово"), Ru("Отменить")});
  EXPECT_EQ(r.button, 3);
  EXPECT_EQ(r.input, "91.25");
  During([&] { d.close(); });
  EXPECT_EQ(asking.message({"t", "rate?", 7, "", "", Ru("Готово"), Ru("Отменить")}).button, 0);
}

}  // namespace
}  // namespace krav::app
