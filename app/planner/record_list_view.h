// The grid of the planner list and of the trash: a table view drawn by the
// planner's cell drawing (check boxes and kind pictures of our own, day
// separators, the current record's rows highlighted, amounts right-aligned),
// with marking by a press on column 0 or Space, opening by a double click or
// Enter, and deleting the marked rows by Delete.
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

namespace krav::app {

class RecordListDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  // `trash`: column 1 shows the whole deletion date and time.
  RecordListDelegate(bool trash, QObject* parent) : QStyledItemDelegate(parent), trash_(trash) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex&) override {
    return false;  // marks change only as the view says
  }

 private:
  bool trash_;
};

class RecordListView : public QTableView {
  Q_OBJECT
 public:
  RecordListView(bool trash, QWidget* parent);
  // Column 0 20 pixels, column 1 30 % of the rest, column 2 the remainder.
  void fitColumns();

 signals:
  void markRequested(int row);
  void openRequested(int row);
  void deleteRequested();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
};

// The pictures of the lists, drawn here: the check boxes and the kinds 1-5.
QPixmap CheckBoxPicture(bool marked);
QPixmap KindPicture(int kind);

}  // namespace krav::app
