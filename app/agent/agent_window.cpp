#include "app/agent/agent_window.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/agent/owl_painter.h"
#include "app/kit/qt_text.h"
#include "platform/encoding.h"

namespace krav::app {

AgentWindow::AgentWindow(const AgentManifest& manifest)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool), manifest_(manifest) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(FromCp1251(manifest.name));
  setFixedSize(manifest.width, manifest.height);
  frames_.setInterval(40);
  connect(&frames_, &QTimer::timeout, this, &AgentWindow::tick);
  clock_.start();
}

void AgentWindow::showFigure() {
  show();
  frames_.start();
  if (const AgentAnimation* a = manifest_.find("Show")) play(*a);
}

Box AgentWindow::figureGeometry() const {
  const QRect g = geometry();
  return {g.x(), g.y(), g.width(), g.height()};
}

int AgentWindow::play(const AgentAnimation& animation) {
  current_ = animation;
  clock_.restart();
  frames_.start();
  update();
  return ++request_;
}

void AgentWindow::stop(int request) {
  if (request != request_ || !current_) return;
  current_.reset();
  clock_.restart();
  update();
}

QString AgentWindow::playing() const { return current_ ? QString::fromStdString(current_->name) : QString(); }

void AgentWindow::tick() {
  if (!isVisible()) {
    frames_.stop();
    return;
  }
  if (current_ && clock_.elapsed() >= current_->durationMs) {
    current_.reset();
    clock_.restart();
    nextBlinkMs_ = 3000 + (request_ * 977) % 4000;
  }
  // An idle owl blinks now and then.
  if (!current_ && clock_.elapsed() >= nextBlinkMs_) {
    current_ = AgentAnimation{"", Motion::Blink, 300};
    clock_.restart();
  }
  update();
}

QImage AgentWindow::still(const AgentAnimation& animation, double progress) const {
  QImage image(size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  PaintOwl(painter, QRectF(rect()), animation.motion, progress);
  return image;
}

void AgentWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!current_) {
    PaintOwl(painter, QRectF(rect()), Motion::Blink, -1);
    return;
  }
  const double t = std::min(1.0, static_cast<double>(clock_.elapsed()) / current_->durationMs);
  PaintOwl(painter, QRectF(rect()), current_->motion, t);
}

void AgentWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) dragFrom_ = e->globalPosition().toPoint() - pos();
}

void AgentWindow::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() & Qt::LeftButton) move(e->globalPosition().toPoint() - dragFrom_);
}

}  // namespace krav::app
