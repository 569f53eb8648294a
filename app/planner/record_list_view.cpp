#include "app/planner/record_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "app/frame/elided_tips.h"
#include "app/kit/colours.h"
#include "app/planner/list_models.h"

namespace krav::app {
namespace {

const QColor kSeparatorBack(213, 234, 255);
const QColor kCurrentBack(255, 225, 196);
const QColor kHeaderBack(147, 190, 226);

// Red, green and blue each times 0.9: a selected cell.
QColor Darker(const QColor& c) {
  return QColor(qRound(c.red() * 0.9), qRound(c.green() * 0.9), qRound(c.blue() * 0.9));
}

}  // namespace

QPixmap CheckBoxPicture(bool marked) {
  QPixmap pm(14, 14);
  pm.fill(Qt::transparent);
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(colours::kBandBlue, 1));
  g.setBrush(Qt::white);
  g.drawRect(QRectF(1.5, 1.5, 11, 11));
  if (marked) {
    g.setPen(QPen(QColor(0x1E, 0x88, 0x3C), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPolyline(QPolygonF({QPointF(4, 7), QPointF(6.5, 10), QPointF(11, 4)}));
  }
  return pm;
}

QPixmap KindPicture(int kind) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  switch (kind) {
    case 1:  // a note
      g.setPen(QPen(QColor(0x40, 0x70, 0xC0), 1));
      g.setBrush(QColor(0xF0, 0xF5, 0xFF));
      g.drawRect(QRectF(3.5, 1.5, 9, 13));
      for (int y = 5; y <= 11; y += 3) g.drawLine(QPointF(5, y), QPointF(11, y));
      break;
    case 2:  // a coin
      g.setPen(QPen(QColor(0x8A, 0x6A, 0x00), 1));
      g.setBrush(QColor(0xF2, 0xC9, 0x4C));
      g.drawEllipse(QRectF(2, 2, 12, 12));
      break;
    case 3:  // a bell
      g.setPen(QPen(QColor(0x9A, 0x60, 0x00), 1));
      g.setBrush(QColor(0xF0, 0xA8, 0x20));
      g.drawPath([] {
        QPainterPath p;
        p.moveTo(3, 12);
        p.cubicTo(5, 10, 4, 3, 8, 2.5);
        p.cubicTo(12, 3, 11, 10, 13, 12);
        p.closeSubpath();
        return p;
      }());
      g.drawEllipse(QPointF(8, 13.5), 1.5, 1.5);
      break;
    case 4:  // a start arrow
      g.setPen(Qt::NoPen);
      g.setBrush(QColor(0x90, 0x40, 0xB0));
      g.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
      break;
    case 5:  // a card of the address book
      g.setPen(QPen(QColor(0x2E, 0x7D, 0x32), 1));
      g.setBrush(QColor(0xE8, 0xF5, 0xE9));
      g.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 1.5, 1.5);
      g.setBrush(QColor(0x2E, 0x7D, 0x32));
      g.drawEllipse(QPointF(5, 7), 1.6, 1.6);
      break;
    default: break;
  }
  return pm;
}

void RecordListDelegate::paint(QPainter* g, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const bool separator = index.data(kSeparatorRole).toBool();
  QColor back = separator                             ? kSeparatorBack
                : index.data(kHighlightRole).toBool() ? kCurrentBack
                                                      : QColor(Qt::white);
  if (option.state & QStyle::State_Selected) back = Darker(back);
  const QRect r = option.rect;
  g->save();
  g->fillRect(r, back);
  g->setPen(option.palette.color(QPalette::WindowText));
  QFont font = option.font;
  if (separator) {
    if (index.column() == 0) {
      font.setBold(true);
      g->setFont(font);
      g->drawText(r.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    }
    g->restore();
    return;
  }
  g->setFont(font);
  const int kind = index.data(kKindRole).toInt();
  switch (index.column()) {
    case 0: {
      const QVariant check = index.data(Qt::CheckStateRole);
      if (check.isValid()) {
        const bool marked = check.toInt() == Qt::Checked;
        g->drawPixmap(r.left() + 3, r.top() + (marked ? 1 : 0) + 1, CheckBoxPicture(marked));
      }
      break;
    }
    case 1:
      g->drawPixmap(r.left() + 3, r.top() + 1, KindPicture(kind));
      g->drawText(QRect(r.left() + 25, r.top(), r.width() - 25, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                  index.data().toString());
      break;
    case 2: {
      const QString amount = index.data(kAmountRole).toString();
      g->drawText(r.adjusted(1, 0, -5, 0), Qt::AlignRight | Qt::AlignVCenter, amount);
      const int room = r.width() - 6 - (amount.isEmpty() ? 0 : g->fontMetrics().horizontalAdvance(amount) + 8);
      g->drawText(QRect(r.left() + 1, r.top(), room, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                  g->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, room));
      break;
    }
    default: break;
  }
  (void)trash_;
  g->restore();
}

RecordListView::RecordListView(bool trash, QWidget* parent) : QTableView(parent) {
  setItemDelegate(new RecordListDelegate(trash, this));
  setShowGrid(false);
  setFrameShape(QFrame::NoFrame);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setWordWrap(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Rows are chosen with the arrows; Tab leaves the list for the next control.
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(18);
  verticalHeader()->setDefaultSectionSize(18);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(0);
  horizontalHeader()->setSectionResizeMode(trash ? QHeaderView::Fixed : QHeaderView::Interactive);
  horizontalHeader()->setStyleSheet("QHeaderView::section { background: " + colours::Css(kHeaderBack) +
                                    "; color: " + colours::Css(colours::kBandBlue) +
                                    "; font-weight: bold; border: none; border-right: 1px solid white; }");
  ShowTipsForCutTexts(this);
}

void RecordListView::fitColumns() {
  if (!model()) return;
  const int w = viewport()->width();
  const int first = qRound((w - 20) * 30 / 100.0);
  setColumnWidth(0, 20);
  setColumnWidth(1, first);
  setColumnWidth(2, std::max(0, w - first - 20));
  for (int c = 3; c < model()->columnCount(); ++c) setColumnHidden(c, true);
}

void RecordListView::resizeEvent(QResizeEvent* e) {
  QTableView::resizeEvent(e);
  fitColumns();
}

void RecordListView::mousePressEvent(QMouseEvent* e) {
  QTableView::mousePressEvent(e);
  const QModelIndex i = indexAt(e->position().toPoint());
  if (i.isValid() && i.column() == 0) emit markRequested(i.row());
}

void RecordListView::mouseDoubleClickEvent(QMouseEvent* e) {
  const QModelIndex i = indexAt(e->position().toPoint());
  if (i.isValid()) emit openRequested(i.row());
}

void RecordListView::keyPressEvent(QKeyEvent* e) {
  const int row = currentIndex().isValid() ? currentIndex().row() : -1;
  switch (e->key()) {
    case Qt::Key_Space:
      if (row >= 0) emit markRequested(row);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (row >= 0) emit openRequested(row);
      return;
    case Qt::Key_Delete: emit deleteRequested(); return;
    default: QTableView::keyPressEvent(e);
  }
}

}  // namespace krav::app
