// The accounting report on the page: a scrolling column with the heading
// and its index of links, then each table of the report under its title
// strip, the savings' chart last. Each table is a table view of its own over
// a model of the report's rows; the tables are as tall as their rows, so
// that the column scrolls and not each table.
#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QScrollArea>
#include <QTableView>
#include <memory>

#include "app/logic/report_display.h"

class QLabel;
class QVBoxLayout;

namespace krav::app {

class ReportTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  ReportTableModel(ReportTableView table, QImage arrow, QObject* parent);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  const ReportTableView& table() const { return table_; }

 private:
  ReportTableView table_;
  QImage arrow_;
};

class ReportTable : public QTableView {
  Q_OBJECT
 public:
  ReportTable(ReportTableModel* model, QWidget* parent);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
  ReportTableModel* reportModel() const { return model_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void fitColumns();
  ReportTableModel* model_;
  std::vector<int> needs_;  // per column, the least width its texts need
};

class ReportView : public QScrollArea {
  Q_OBJECT
 public:
  explicit ReportView(QWidget* parent);
  // Replaces what is shown; the pictures are read from the root's Help folder.
  void showReport(const ReportPageView& page, const QImage& chart, const std::string& root);
  // The same in two steps: the views are built while the report's files
  // are still being written, and shown (with the chart) once they are.
  void prepare(const ReportPageView& page, const std::string& root);
  void showPrepared(const QImage& chart);
  void dropPrepared();
  const ReportPageView& page() const { return shown_.page; }
  // The table of an anchor of the index ("1", "S", "R"); null when the report has none.
  ReportTable* table(const std::string& anchor) const;
  QLabel* indexLabel() const { return shown_.index; }
  QLabel* chartLabel() const { return shown_.chart; }
  // Brings a table into view and gives it the focus; false when there is none.
  bool goTo(const std::string& anchor);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A report's column of views; the shown one belongs to the scroll area.
  struct Built {
    ReportPageView page;
    std::unique_ptr<QWidget> column;  // until shown
    QLabel* index = nullptr;
    QLabel* chart = nullptr;
    std::vector<std::pair<std::string, ReportTable*>> tables;
  };
  Built shown_;
  std::unique_ptr<Built> next_;
};

}  // namespace krav::app
