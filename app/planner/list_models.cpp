#include "app/planner/list_models.h"

#include "app/kit/qt_text.h"
#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

void PlannerModel::setList(PlannerList list) {
  beginResetModel();
  list_ = std::move(list);
  endResetModel();
}

Lines PlannerModel::releaseLines() {
  beginResetModel();
  Lines lines = std::move(list_.lines);
  list_ = PlannerList{};
  endResetModel();
  return lines;
}

void PlannerModel::setCurrentKey(const std::string& key) {
  if (key == currentKey_) return;
  currentKey_ = key;
  if (!list_.rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 4), {kHighlightRole});
}

bool PlannerModel::toggleMark(int row) {
  if (row < 0 || row >= rowCount()) return false;
  PlannerRow& r = list_.rows[static_cast<std::size_t>(row)];
  if (r.separator() || list_.kind(r) == "5") return false;
  r.marked = !r.marked;
  emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
  return true;
}

int PlannerModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.rows.size());
}
int PlannerModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 5; }

QVariant PlannerModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const PlannerRow& r = list_.rows[static_cast<std::size_t>(index.row())];
  const int column = index.column();
  if (role == kSeparatorRole) return r.separator();
  if (r.separator()) {
    if ((role == Qt::DisplayRole || role == Qt::AccessibleTextRole) && column <= 1)
      return column == 0 ? FromCp1251(DateToLongText(DateToText(static_cast<double>(r.day)))) : QString();
    return {};
  }
  const std::string_view kind = list_.kind(r);
  switch (role) {
    case kKindRole: return TextToInt(kind);
    case kHighlightRole: return !currentKey_.empty() && list_.key(r) == currentKey_;
    case Qt::CheckStateRole:
      if (column != 0 || kind == "5") return {};
      return r.marked ? Qt::Checked : Qt::Unchecked;
    case kAmountRole: return column == 2 ? FromCp1251(RowAmount(list_.part(r, 2))) : QVariant();
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      if (column == 1)
        return FromCp1251(role == Qt::DisplayRole ? RowTime(list_.when(r)) : std::string(list_.when(r)));
      if (column == 2) {
        QString text = FromCp1251(RowDescription(list_.part(r, 2)));
        if (role == Qt::AccessibleTextRole && kind == "2") text += " " + FromCp1251(RowAmount(list_.part(r, 2)));
        return text;
      }
      if (column == 3 || column == 4) return FromCp1251(list_.part(r, column));
      return {};
    default: return {};
  }
}

QVariant PlannerModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == 1) return U("Дата и время");
  if (section == 2) return U("Описание");
  return QString();
}

Qt::ItemFlags PlannerModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.column() >= 3) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const PlannerRow& r = list_.rows[static_cast<std::size_t>(index.row())];
  if (index.column() == 0 && !r.separator() && list_.kind(r) != "5") f |= Qt::ItemIsUserCheckable;
  return f;
}

bool PlannerModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0) return false;
  const PlannerRow& r = list_.rows[static_cast<std::size_t>(index.row())];
  if (r.separator()) return false;
  if ((value.toInt() == Qt::Checked) == r.marked) return true;
  return toggleMark(index.row());
}

void TrashModel::setRows(std::vector<TrashRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

bool TrashModel::toggleMark(int row) {
  if (row < 0 || row >= rowCount()) return false;
  rows_[static_cast<std::size_t>(row)].marked = !rows_[static_cast<std::size_t>(row)].marked;
  emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
  return true;
}

int TrashModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}
int TrashModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant TrashModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const TrashRow& r = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case kKindRole: return r.kind;
    case kSeparatorRole:
    case kHighlightRole: return false;
    case Qt::CheckStateRole:
      if (index.column() != 0) return {};
      return r.marked ? Qt::Checked : Qt::Unchecked;
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      if (index.column() == 1) return FromCp1251(r.deletedAt);
      if (index.column() == 2) return FromCp1251(r.description);
      return {};
    default: return {};
  }
}

QVariant TrashModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == 1) return U("Дата и время удаления");
  if (section == 2) return U("Описание");
  return QString();
}

Qt::ItemFlags TrashModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.column() >= 3) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
  return f;
}

bool TrashModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0) return false;
  if ((value.toInt() == Qt::Checked) == rows_[static_cast<std::size_t>(index.row())].marked) return true;
  return toggleMark(index.row());
}

}  // namespace krav::app
