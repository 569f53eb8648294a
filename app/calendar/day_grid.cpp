#include "app/calendar/day_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/kit/colours.h"
#include "app/logic/calendar_grid.h"

namespace krav::app {
namespace {
const QColor kFill(0xF0, 0xF8, 0xFF), kFrame(0x88, 0xB0, 0xFF);
const char* const kWeekdays[] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
}  // namespace

DayGrid::DayGrid(QWidget* parent) : QWidget(parent) {
  setFixedSize(kCalendarColumns * kCalendarCellWidth, kCalendarRows * kCalendarCellHeight);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void DayGrid::setDays(const std::array<DayNumber, 42>& days) {
  days_ = days;
  update();
}

void DayGrid::select(DayNumber day) {
  for (int i = 0; i < 42; ++i)
    if (days_[i] == day) selected_ = i;
  update();
}

QRect DayGrid::cellRect(int row, int column) const {
  return QRect(column * kCalendarCellWidth, row * kCalendarCellHeight, kCalendarCellWidth, kCalendarCellHeight);
}

int DayGrid::cellAt(QPoint p) const {
  if (p.x() < 0 || p.y() < 0 || p.x() >= width() || p.y() >= height()) return -1;
  const int row = p.y() / kCalendarCellHeight, column = p.x() / kCalendarCellWidth;
  return row == 0 ? -1 : (row - 1) * 7 + column;
}

void DayGrid::paintEvent(QPaintEvent*) {
  QPainter g(this);
  for (int c = 0; c < 7; ++c) {
    const QRect r = cellRect(0, c);
    g.fillRect(r, kFill);
    g.setPen(kFrame);
    g.drawLine(r.bottomLeft(), r.bottomRight());
    g.setPen(colours::kCalendarToday);
    g.drawText(r, Qt::AlignCenter, QString::fromUtf8(kWeekdays[c]));
  }
  for (int i = 0; i < 42; ++i) {
    const int row = 1 + i / 7, column = i % 7;
    const QRect r = cellRect(row, column);
    g.fillRect(r, Qt::white);
    if (i == selected_) {
      g.setPen(kFrame);
      g.setBrush(kFill);
      g.drawRect(r.adjusted(1, 1, -2, -2));
      g.setBrush(Qt::NoBrush);
    }
    const int dayOfMonth = DayToYmd(days_[i]).day;
    g.setPen(IsNeighbourDay(row, dayOfMonth) ? colours::kNeighbourDay : Qt::black);
    g.drawText(r, Qt::AlignCenter, QString::number(dayOfMonth).rightJustified(2, '0'));
  }
}

void DayGrid::mouseMoveEvent(QMouseEvent* e) {
  const int cell = cellAt(e->position().toPoint());
  if (cell >= 0 && cell != selected_) {
    selected_ = cell;
    update();
  }
}

void DayGrid::mousePressEvent(QMouseEvent* e) {
  const int cell = cellAt(e->position().toPoint());
  if (cell < 0) return;
  selected_ = cell;
  emit picked();
}

void DayGrid::keyPressEvent(QKeyEvent* e) {
  int next = selected_;
  switch (e->key()) {
    case Qt::Key_Left: next -= 1; break;
    case Qt::Key_Right: next += 1; break;
    case Qt::Key_Up: next -= 7; break;
    case Qt::Key_Down: next += 7; break;
    default: e->ignore(); return;  // Enter and Esc go to the pop-up
  }
  if (next >= 0 && next < 42) selected_ = next;
  update();
}

}  // namespace krav::app
