// The pop-up calendar every date button opens: a small borderless window
// beside the button, closed by picking a day or dismissed by Esc, its close
// button or a click elsewhere. The caller waits in a nested event loop, so
// the rest of the program keeps running meanwhile.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "engine/dates.h"

class QLabel;
class QSpinBox;
class QToolButton;
class QMenu;

namespace krav::app {

class DayGrid;

class TPopupDlg : public QWidget {
  Q_OBJECT
 public:
  // `text` is the caller's date text (cp1251); it is returned on a dismissal.
  TPopupDlg(const std::string& text, const std::string& title);

  // Shows the month of a day with that day selected.
  void showMonth(int year, int month, int selectedDay);
  int shownYear() const { return year_; }
  int shownMonth() const { return month_; }
  DayNumber selectedDay() const;
  DayNumber cellDay(int row, int column) const;  // rows 1-6
  QString monthTitle() const;
  QString yearTitle() const;

  void pick();     // close with the selected day
  void dismiss();  // close with the caller's text
  void previousMonth();
  void nextMonth();
  void chooseMonth(int month);
  void startYearEdit();
  void setYear(int year);
  bool closed() const { return closed_; }
  std::string result() const { return result_; }
  QSpinBox* yearSpin() const { return spin_; }
  DayGrid* grid() const { return grid_; }

 signals:
  void finished();

 protected:
  void keyPressEvent(QKeyEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void changeEvent(QEvent*) override;
  void closeEvent(QCloseEvent*) override;
  bool eventFilter(QObject*, QEvent*) override;

 private:
  void finish(const std::string& result);
  void stepMonth(int step);

  std::string original_;
  std::string result_;
  bool closed_ = false;
  int year_ = 2000, month_ = 1;
  QLabel* monthLabel_;
  QLabel* yearLabel_;
  QSpinBox* spin_;
  QMenu* months_;
  DayGrid* grid_;
};

// Opens the pop-up with its top-left corner at (x, y) (pulled back at the
// screen's edges) and waits; returns the picked date as DD.MM.YYYY, or
// `text` unchanged when dismissed.
std::string PopupPickDate(int x, int y, const std::string& text, const std::string& title);

}  // namespace krav::app
