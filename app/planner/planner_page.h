// Page 0 of the main window, "Планировщик : основная": the occurrences of a
// period, grouped by day, with adding, opening, marking and deleting
// entries and the choice of the period.
#pragma once

#include "app/frame/page_frame.h"
#include "app/logic/planner_list.h"
#include "app/logic/program_context.h"

class QLabel;
class QLineEdit;
class QMenu;

namespace krav::app {

class PlannerModel;
class RecordListView;

class PlannerPage : public PageFrame {
  Q_OBJECT
 public:
  PlannerPage(const ProgramContext& context, QWidget* parent);

  int periodLength() const { return periodLength_; }  // days after the first one
  const std::string& startText() const { return startText_; }
  PlannerModel* model() const { return model_; }
  RecordListView* view() const { return view_; }
  QMenu* periodMenu() const { return menu_; }

  void refill();  // rebuild the list from the record files
  void setStart(const std::string& text);
  void setPeriodLength(int days);
  void today();      // "Сегодня"
  void pickStart();  // "Календарь"
  void openRow(int row);
  void addEntry();
  void deleteMarked();
  // "Быстрая запись": the field, what it understood, and its save (Return).
  QLineEdit* quickEdit() const { return quickEdit_; }
  QString quickHint() const { return quickHint_->text(); }
  bool saveQuickEntry();

 signals:
  // An entry was added, replaced or deleted.
  void recordsChanged();
  // Entries went into the trash.
  void trashChanged();

 private:
  void changed();
  void tell(const std::string& text);

  ProgramContext context_;
  std::string startText_;
  int periodLength_ = 10;
  PlannerModel* model_;
  RecordListView* view_;
  QMenu* menu_;
  QLineEdit* quickEdit_;
  QLabel* quickHint_;
};

}  // namespace krav::app
