// The day grid of the pop-up calendar: the weekday names over six weeks;
// the day under the mouse is selected, a click or Enter picks it.
#pragma once

#include <QWidget>
#include <array>

#include "engine/dates.h"

namespace krav::app {

class DayGrid : public QWidget {
  Q_OBJECT
 public:
  explicit DayGrid(QWidget* parent);
  void setDays(const std::array<DayNumber, 42>& days);
  void select(DayNumber day);
  DayNumber selectedDay() const { return days_[selected_]; }
  DayNumber day(int row, int column) const { return days_[(row - 1) * 7 + column]; }
  // The cell of a point, or -1 outside the day rows.
  int cellAt(QPoint p) const;
  QRect cellRect(int row, int column) const;

 signals:
  void picked();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  std::array<DayNumber, 42> days_{};
  int selected_ = 0;
};

}  // namespace krav::app
