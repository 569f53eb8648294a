// The planner list and the trash list as table models over their plain
// values (no item per cell), and the roles the shared delegate draws from.
#pragma once

#include <QAbstractTableModel>

#include "app/logic/planner_list.h"
#include "app/logic/trash_list.h"

namespace krav::app {

enum ListRole {
  kKindRole = Qt::UserRole + 1,  // 1-5; 0 for a separator row
  kAmountRole,                   // the amount of an operation, right-aligned
  kHighlightRole,                // a row of the current record
  kSeparatorRole,                // a day separator row
};

class PlannerModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit PlannerModel(QObject* parent) : QAbstractTableModel(parent) {}
  void setList(PlannerList list);
  // Empties the list and hands back its lines for the next collection to
  // write over: the old and the new list never take memory at once.
  Lines releaseLines();
  const PlannerList& list() const { return list_; }
  // Makes the record of a row the current one; its rows are highlighted together.
  void setCurrentKey(const std::string& key);
  const std::string& currentKey() const { return currentKey_; }
  // Switches the mark of an entry row (never a separator or a kind 5 row).
  bool toggleMark(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  PlannerList list_;
  std::string currentKey_;
};

class TrashModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TrashModel(QObject* parent) : QAbstractTableModel(parent) {}
  void setRows(std::vector<TrashRow> rows);
  const std::vector<TrashRow>& rows() const { return rows_; }
  bool toggleMark(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  std::vector<TrashRow> rows_;
};

}  // namespace krav::app
