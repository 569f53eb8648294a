#include "app/frame/elided_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace krav::app {
namespace {

class CutTextTips : public QObject {
 public:
  explicit CutTextTips(QAbstractItemView* view) : QObject(view), view_(view) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = view_->indexAt(help->pos());
    const QString text = index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
    const QRect cell = view_->visualRect(index);
    // The room the text has: the cell less its picture, its check box and margins.
    int room = cell.width() - 8;
    if (!index.data(Qt::DecorationRole).isNull()) room -= view_->iconSize().width() + 4;
    if (index.data(Qt::CheckStateRole).isValid()) room -= 20;
    if (!text.isEmpty() && view_->fontMetrics().horizontalAdvance(text) > room)
      QToolTip::showText(help->globalPos(), text, view_->viewport(), cell);
    else QToolTip::hideText();
    return true;
  }

 private:
  QAbstractItemView* view_;
};

}  // namespace

void ShowTipsForCutTexts(QAbstractItemView* view) { view->viewport()->installEventFilter(new CutTextTips(view)); }

}  // namespace krav::app
