// One of the setup dialog's three lists as a table model over SetupLists:
// the operations (name, income, expense), the accounts (name, currency,
// type word) or the currencies (one column, the base currency checked).
// Each row carries its picture.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>

#include "app/logic/accounting_setup.h"

namespace krav::app {

class SetupListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum class Kind { Operations, Accounts, Currencies };
  SetupListModel(Kind kind, SetupLists& lists, QObject* parent);

  // Called when the user ticks or clears a currency's box: the check state
  // of every row after the click.
  void setCheckHandler(std::function<void(std::vector<bool>)> handler) { onCheck_ = std::move(handler); }
  // Tells the views that the lists changed.
  void reload();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  Kind kind_;
  SetupLists& lists_;
  QIcon icon_;
  std::function<void(std::vector<bool>)> onCheck_;
};

}  // namespace krav::app
