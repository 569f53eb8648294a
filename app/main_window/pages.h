// The pages of the main window that show lists, each a PageFrame with its
// own header tools and the state it owns.
#pragma once

#include "app/frame/page_frame.h"

// Page 1, the accounting report, is AccountingPage (app/accounting).

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
