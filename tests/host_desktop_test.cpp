// The host's reminders window on the offscreen screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "host/desktop.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "support.h"

namespace krav::host {
namespace {

// A root with its user active, the host on it and the host's reminders window.
struct HostWindow {
  QApplication& app = test::TestApp();  // before any widget
  test::TempRoot t;
  const bool userActive = WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user());
  ShellHost host{t.root()};
  RemindersWindow window{host};
};

TEST(RemindersWindow, TheChosenReminderIsReadWholeBelowTheListAndMissedOnesAreOnlyTold) {
  HostWindow h;
  ASSERT_TRUE(h.userActive);
  RemindersWindow& window = h.window;
  const QString longText = QString(3000, QChar(u'ж'));
  window.showReminders({Reminder{"08.12.2026 14:35", longText, "x"}});
  window.addMissed({Reminder{"Пропущено: 08.12.2026 10:00", "tea", "y"}});
  EXPECT_LE(window.width(), 900);
  QTreeWidget* list = window.list();
  ASSERT_EQ(list->topLevelItemCount(), 1);  // addMissed shows the host's due list (empty here) and the missed one
  EXPECT_EQ(list->topLevelItem(0)->text(0), "Пропущено: 08.12.2026 10:00");
  window.showReminders({Reminder{"08.12.2026 14:35", longText, "x"}});
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(0)->toolTip(1), longText);
  EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
  EXPECT_EQ(window.text()->toPlainText(), longText);
  EXPECT_TRUE(window.text()->isReadOnly());
  EXPECT_EQ(window.text()->accessibleName(), "Текст напоминания");
  // Tab goes from the list to the pane and on to the buttons; Tab leaves the pane.
  EXPECT_TRUE(window.text()->tabChangesFocus());
  const auto nextByTab = [](QWidget* w) {
    do w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(w->window()));
    return w;
  };
  EXPECT_EQ(nextByTab(list), window.text());
  auto* afterText = qobject_cast<QPushButton*>(nextByTab(window.text()));
  ASSERT_TRUE(afterText);
  EXPECT_EQ(afterText->text(), "Отложить…");
  EXPECT_EQ(qobject_cast<QPushButton*>(nextByTab(afterText))->text(), "Понял");
  // Texts are shown as they are, never as markup.
  window.showReminders({Reminder{"08.12.2026 18:00", "<b>купить</b> хлеб & молоко", "z"}});
  EXPECT_EQ(window.text()->toPlainText(), "<b>купить</b> хлеб & молоко");
  window.showReminders({Reminder{"08.12.2026 14:35", longText, "x"}});
  EXPECT_EQ(list->topLevelItem(1)->text(0), "Пропущено: 08.12.2026 10:00");
  list->setCurrentItem(list->topLevelItem(1));
  QPushButton* later = nullptr;
  for (QPushButton* b : window.findChildren<QPushButton*>())
    if (b->text() == "Отложить…") later = b;
  ASSERT_TRUE(later);
  EXPECT_FALSE(later->isEnabled());
  EXPECT_EQ(window.text()->toPlainText(), "tea");
  list->setCurrentItem(list->topLevelItem(0));
  EXPECT_TRUE(later->isEnabled());
  QApplication::processEvents();
  test::SaveScreenshot(window.grab().toImage(), "host-reminders-window");
}

// A reminder that falls due while a person types elsewhere takes no key:
// the window is shown without being activated (the offscreen platform
// activates every window it shows, so that part is the window's own
// request), and Enter in the reminders window acknowledges nothing.
TEST(RemindersWindow, AFiringReminderTakesNoKeystroke) {
  HostWindow h;
  ASSERT_TRUE(h.userActive);
  RemindersWindow& window = h.window;
  window.showReminders({Reminder{"08.12.2026 14:35", "tea", "x"}});
  QApplication::processEvents();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
  for (QPushButton* b : window.findChildren<QPushButton*>()) {
    EXPECT_FALSE(b->isDefault()) << b->text().toStdString();
    EXPECT_FALSE(b->autoDefault()) << b->text().toStdString();
  }
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.list()->setFocus();
  QTest::keyClick(window.list(), Qt::Key_Return);
  EXPECT_TRUE(window.isVisible());  // not acknowledged
}

}  // namespace
}  // namespace krav::host
