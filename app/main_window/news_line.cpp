#include "app/main_window/news_line.h"

#include "app/kit/colours.h"

#include <QMouseEvent>
#include <QPainter>

namespace krav::app {

NewsLine::NewsLine(QWidget* parent) : QWidget(parent) {
  setObjectName("RunLabel");
  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, &NewsLine::step);
  timer_.start();
}

void NewsLine::setNewsText(const QString& text) {
  text_ = text;
  offset_ = width();
  atRightEdge_ = true;
  update();
}

void NewsLine::setOffset(int offset) {
  offset_ = offset;
  atRightEdge_ = false;
  update();
}

void NewsLine::step() {
  if (dragX_ >= 0 || !isVisible()) return;  // paused while dragged or hidden
  atRightEdge_ = false;
  offset_ -= 3;
  if (offset_ + fontMetrics().horizontalAdvance(text_) < 0) offset_ = width();
  update();
}

void NewsLine::resizeEvent(QResizeEvent*) {
  // Until it starts moving, a new text waits at the right edge.
  if (atRightEdge_) offset_ = width();
}

void NewsLine::paintEvent(QPaintEvent*) {
  QPainter g(this);
  g.fillRect(rect(), colours::kNewsBack);
  g.setPen(Qt::white);
  g.drawText(QRect(offset_, 0, fontMetrics().horizontalAdvance(text_) + 4, height()), Qt::AlignVCenter, text_);
}

void NewsLine::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) dragX_ = e->position().toPoint().x();
}

void NewsLine::mouseMoveEvent(QMouseEvent* e) {
  if (dragX_ < 0) return;
  const int x = e->position().toPoint().x();
  offset_ += x - dragX_;
  dragX_ = x;
  atRightEdge_ = false;
  update();
}

void NewsLine::mouseReleaseEvent(QMouseEvent*) { dragX_ = -1; }

}  // namespace krav::app
