// Page 2 of the main window, "Планировщик : корзина": the last 100 deleted
// lines, oldest first; viewing one read-only, deleting marked ones for good
// and emptying the trash.
#pragma once

#include "app/frame/page_frame.h"
#include "app/logic/program_context.h"

namespace krav::app {

class RecordListView;
class TrashModel;

class TrashPage : public PageFrame {
  Q_OBJECT
 public:
  TrashPage(const ProgramContext& context, QWidget* parent);
  TrashModel* model() const { return model_; }
  RecordListView* view() const { return view_; }

  void refill();
  void viewRow(int row);
  void deleteMarked();   // SpeedButton29
  void emptyTrash();     // SpeedButton30
  void restoreMarked();  // "Восстановить", Insert

 signals:
  // Lines went back to the record files.
  void recordsRestored();

 private:
  ProgramContext context_;
  TrashModel* model_;
  RecordListView* view_;
};

}  // namespace krav::app
