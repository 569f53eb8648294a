#include "app/accounting/setup_model.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/kit/colours.h"
#include "app/kit/qt_text.h"
#include "app/kit/row_icons.h"

namespace krav::app {

SetupListModel::SetupListModel(Kind kind, SetupLists& lists, QObject* parent)
    : QAbstractTableModel(parent), kind_(kind), lists_(lists) {
  icon_ = kind == Kind::Accounts ? AccountIcon() : kind == Kind::Operations ? OperationIcon() : CurrencyIcon();
}

void SetupListModel::reload() {
  beginResetModel();
  endResetModel();
}

int SetupListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  switch (kind_) {
    case Kind::Operations: return static_cast<int>(lists_.operations.size());
    case Kind::Accounts: return static_cast<int>(lists_.accounts.size());
    case Kind::Currencies: return static_cast<int>(lists_.currencies.size());
  }
  return 0;
}

int SetupListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kind_ == Kind::Currencies ? 1 : 3;
}

QVariant SetupListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const std::size_t row = static_cast<std::size_t>(index.row());
  if (role == Qt::DecorationRole && index.column() == 0) return icon_;
  if (kind_ == Kind::Currencies && role == Qt::CheckStateRole)
    return lists_.currencies[row] == lists_.base ? Qt::Checked : Qt::Unchecked;
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  switch (kind_) {
    case Kind::Operations: {
      const OperationRow& o = lists_.operations[row];
      return FromCp1251(index.column() == 0 ? o.name : index.column() == 1 ? o.incomeName : o.expenseName);
    }
    case Kind::Accounts: {
      const AccountRow& a = lists_.accounts[row];
      return FromCp1251(index.column() == 0 ? a.name : index.column() == 1 ? a.currency : a.type);
    }
    case Kind::Currencies: return FromCp1251(lists_.currencies[row]);
  }
  return {};
}

QVariant SetupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kOperations[] = {"Название операции", "Приход", "Расход"};
  static const char* const kAccounts[] = {"Название", "Валюта", "Тип счета"};
  if (kind_ == Kind::Currencies || section < 0 || section > 2) return {};
  return QString::fromUtf8(kind_ == Kind::Operations ? kOperations[section] : kAccounts[section]);
}

Qt::ItemFlags SetupListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (kind_ == Kind::Currencies && index.isValid()) f |= Qt::ItemIsUserCheckable;
  return f;
}

bool SetupListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (kind_ != Kind::Currencies || role != Qt::CheckStateRole || !index.isValid()) return false;
  std::vector<bool> checked;
  for (const auto& c : lists_.currencies) checked.push_back(c == lists_.base);
  checked[static_cast<std::size_t>(index.row())] = value.toInt() == Qt::Checked;
  if (onCheck_) onCheck_(std::move(checked));
  emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, 0), {Qt::CheckStateRole});
  return true;
}

}  // namespace krav::app
