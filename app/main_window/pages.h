// The pages of the main window that show lists, each a PageFrame with its
// own header tools and the state it owns.
#pragma once

#include "app/main_window/page_frame.h"

namespace krav::app {

// Page 0: the planner list of a period.
class PlannerPage : public PageFrame {
  Q_OBJECT
 public:
  explicit PlannerPage(QWidget* parent);
  int periodLength() const { return periodLength_; }  // days after the first one

 private:
  int periodLength_ = 10;
};

// Page 1: the accounting report.
class AccountingPage : public PageFrame {
  Q_OBJECT
 public:
  explicit AccountingPage(QWidget* parent);
  // 1-99 the last N days, 100 the month, 200 a chosen start.
  int periodMode() const { return periodMode_; }

 private:
  int periodMode_ = 100;
};

// Page 2: the trash of deleted records.
class TrashPage : public PageFrame {
  Q_OBJECT
 public:
  explicit TrashPage(QWidget* parent);
};

// The trash button's picture: a bin with a lid, drawn here so that it never
// depends on a font having the symbol.
QIcon TrashBinIcon();

}  // namespace krav::app
