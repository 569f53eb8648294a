#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "app/calendar/day_grid.h"
#include "app/calendar/popup_calendar.h"
#include "app/logic/calendar_grid.h"
#include "platform/encoding.h"
#include "qt_support.h"
#include "support.h"

namespace krav::app {
namespace {

std::string Text(DayNumber d) { return DateToText(static_cast<double>(d)); }

TEST(CalendarGrid, AMonthStartingOnMondayShowsNoDayBefore) {
  ASSERT_EQ(IsoWeekday(MakeDateTime(2026, 6, 1)), 1);
  const auto days = MonthGridDays(2026, 6);
  EXPECT_EQ(Text(days[0]), "01.06.2026");
  EXPECT_EQ(Text(days[29]), "30.06.2026");
  // The last two rows hold the first twelve days of July.
  EXPECT_EQ(Text(days[30]), "01.07.2026");
  EXPECT_EQ(Text(days[41]), "12.07.2026");
  EXPECT_FALSE(IsNeighbourDay(1, 1));
  EXPECT_TRUE(IsNeighbourDay(5, 1));
  EXPECT_TRUE(IsNeighbourDay(6, 12));
  EXPECT_FALSE(IsNeighbourDay(5, 29));
}

TEST(CalendarGrid, AMonthStartsFromTheMondayBefore) {
  // December 2004 starts on a Wednesday.
  const auto days = MonthGridDays(2004, 12);
  EXPECT_EQ(Text(days[0]), "29.11.2004");
  EXPECT_EQ(Text(days[2]), "01.12.2004");
  EXPECT_TRUE(IsNeighbourDay(1, 29));
  EXPECT_EQ(CalendarMonthTitle(12), Ru("Декабрь"));
  EXPECT_EQ(CalendarYearTitle(2004), Ru("2004 г."));
}

TEST(CalendarGrid, MonthStepsCrossTheYear) {
  int y = 2004, m = 1;
  PreviousMonth(y, m);
  EXPECT_EQ(y * 100 + m, 200312);
  NextMonth(y, m);
  EXPECT_EQ(y * 100 + m, 200401);
  y = 2003, m = 12;
  NextMonth(y, m);
  EXPECT_EQ(y * 100 + m, 200401);
}

TEST(CalendarGrid, PlacementAtTheScreenEdges) {
  EXPECT_EQ(PlacePopup(100, 100, 178, 170, 1024, 768), (PopupPosition{100, 100}));
  EXPECT_EQ(PlacePopup(900, 100, 178, 170, 1024, 768), (PopupPosition{722, 100}));
  EXPECT_EQ(PlacePopup(100, 700, 178, 170, 1024, 768), (PopupPosition{100, 530}));
  EXPECT_EQ(PlacePopup(846, 598, 178, 170, 1024, 768), (PopupPosition{846, 598}));  // exactly fits
}

class Popup : public ::testing::Test {
 protected:
  void SetUp() override { test::TestApp(); }
  test::FixedClock clock{MakeDateTime(2026, 12, 9, 10, 0)};
};

TEST_F(Popup, OpensOnTheCallersDateAndPicks) {
  TPopupDlg p("15.01.2004", Ru("Календарь"));
  EXPECT_EQ(p.shownYear(), 2004);
  EXPECT_EQ(p.shownMonth(), 1);
  EXPECT_EQ(Text(p.selectedDay()), "15.01.2004");
  EXPECT_EQ(p.monthTitle(), QString::fromUtf8("Январь"));
  EXPECT_EQ(p.yearTitle(), QString::fromUtf8("2004 г."));
  p.previousMonth();
  EXPECT_EQ(p.shownYear() * 100 + p.shownMonth(), 200312);
  EXPECT_EQ(Text(p.selectedDay()), "01.12.2003");
  // The mouse over a day selects it; a click picks it.
  DayGrid* g = p.grid();
  const QRect cell = g->cellRect(3, 4);
  QMouseEvent move(QEvent::MouseMove, QPointF(cell.center()), g->mapToGlobal(QPointF(cell.center())), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(g, &move);
  EXPECT_EQ(p.selectedDay(), p.cellDay(3, 4));
  QTest::mouseClick(g, Qt::LeftButton, {}, cell.center());
  EXPECT_TRUE(p.closed());
  EXPECT_EQ(p.result(), Text(p.cellDay(3, 4)));
  p.dismiss();  // the closing's own dismissal does not undo the pick
  EXPECT_EQ(p.result(), Text(p.cellDay(3, 4)));
}

TEST_F(Popup, InvalidTextShowsTodayAndADismissalReturnsIt) {
  TPopupDlg p("31.02.2026", Ru("Календарь"));
  EXPECT_EQ(Text(p.selectedDay()), "09.12.2026");
  QTest::keyClick(&p, Qt::Key_Escape);
  EXPECT_TRUE(p.closed());
  EXPECT_EQ(p.result(), "31.02.2026");
}

TEST_F(Popup, EveryMonthOfTheYearBefore) {
  TPopupDlg p("09.12.2026", Ru("Календарь"));
  p.startYearEdit();
  p.yearSpin()->setValue(2025);
  for (int m = 1; m <= 12; ++m) {
    p.chooseMonth(m);
    EXPECT_EQ(p.shownYear(), 2025);
    EXPECT_EQ(p.shownMonth(), m);
    EXPECT_EQ(Text(p.selectedDay()), Text(YmdToDay(2025, m, 1)));
    // Row 2 column 0 always lies in the shown month; the first cell is a Monday.
    EXPECT_EQ(DayToYmd(p.cellDay(2, 0)).month, m);
    EXPECT_EQ(IsoWeekday(static_cast<double>(p.cellDay(1, 0))), 1);
    if (m == 1) test::SaveScreenshot(p.grab().toImage(), "calendar-january-2025");
  }
}

TEST_F(Popup, TheCallWaitsAndOtherHandlersKeepRunning) {
  // A timer of the program keeps ticking while the caller waits; on its
  // third tick it picks the selected day.
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks != 3) return;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<TPopupDlg*>(w); p && p->isVisible()) {
        test::SaveScreenshot(p->grab().toImage(), "calendar");
        QTest::keyClick(p, Qt::Key_Return);
      }
  });
  timer.start(5);
  EXPECT_EQ(PopupPickDate(100, 100, "05.03.2026", Ru("Календарь")), "05.03.2026");
  EXPECT_GE(ticks, 3);
  timer.stop();
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<TPopupDlg*>(w); p && p->isVisible()) p->close();
  });
  EXPECT_EQ(PopupPickDate(100, 100, "", Ru("Календарь")), "");
}

}  // namespace
}  // namespace krav::app
