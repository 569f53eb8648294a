// The agent's figure on the desktop: a frameless, translucent window that
// stays on top and plays the character's animations. It can be dragged.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "app/logic/agent_character.h"

namespace krav::app {

class AgentWindow : public QWidget, public AgentView {
  Q_OBJECT
 public:
  explicit AgentWindow(const AgentManifest& manifest);

  bool isShown() const override { return isVisible(); }
  void showFigure() override;
  void hideFigure() override { hide(); }
  Box figureGeometry() const override;
  void moveFigure(int left, int top) override { move(left, top); }
  int play(const AgentAnimation& animation) override;
  void stop(int request) override;

  // The animation playing now, empty when idle.
  QString playing() const;
  // Draws the figure at a moment of an animation, for pictures of it.
  QImage still(const AgentAnimation& animation, double progress) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  void tick();

  AgentManifest manifest_;
  QTimer frames_;
  QElapsedTimer clock_;
  std::optional<AgentAnimation> current_;
  int request_ = 0;
  qint64 nextBlinkMs_ = 4000;
  QPoint dragFrom_;
};

}  // namespace krav::app
