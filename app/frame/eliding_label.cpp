#include "app/frame/eliding_label.h"

#include <QPainter>
#include <QStyle>

namespace krav::app {

ElidingLabel::ElidingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  updateTip();
}

void ElidingLabel::setText(const QString& text) {
  QLabel::setText(text);
  updateTip();
}

bool ElidingLabel::isCut() const { return fontMetrics().horizontalAdvance(text()) > contentsRect().width(); }

QSize ElidingLabel::minimumSizeHint() const {
  const QSize hint = QLabel::minimumSizeHint();
  return {
      fontMetrics().horizontalAdvance(QStringLiteral("…")) + contentsMargins().left() + contentsMargins().right(),
      hint.height()};
}

void ElidingLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect r = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
  style()->drawItemText(&painter, r, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                        foregroundRole());
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  updateTip();
}

void ElidingLabel::updateTip() { setToolTip(isCut() ? text() : QString()); }

}  // namespace krav::app
