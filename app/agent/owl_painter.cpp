#include "app/agent/owl_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace krav::app {
namespace {

const QColor kFeathers(0x8B, 0x5A, 0x2B), kBelly(0xE8, 0xC9, 0x96), kDark(0x3B, 0x25, 0x12);
const QColor kBeak(0xF2, 0x9B, 0x1D), kEye(0xFF, 0xFF, 0xF4), kPupil(0x1B, 0x1B, 0x2F);

double Ease(double t) { return 1 - std::pow(1 - std::clamp(t, 0.0, 1.0), 3); }

struct Pose {
  double scale = 1, lift = 0, tilt = 0;  // whole figure
  double leftWing = 0, rightWing = 0;    // degrees, raised outwards
  double lid = 0;                        // 0 open .. 1 closed
  double eyeSize = 1;
  QPointF look{0, 0};  // pupils, in eye radii
  QString bubble;      // a sign above the head
  double bubbleAlpha = 0;
};

Pose PoseFor(Motion m, double t) {
  Pose p;
  if (t < 0) return p;
  const double wave = std::sin(t * 2 * M_PI * 3);
  switch (m) {
    case Motion::Appear: p.scale = Ease(t * 1.2) + 0.08 * std::sin(std::clamp(t, 0.0, 1.0) * M_PI); break;
    case Motion::Wave: p.rightWing = 55 + 25 * wave; break;
    case Motion::Nod: p.tilt = 8 * std::sin(t * 2 * M_PI * 2); break;
    case Motion::Blink: p.lid = std::max(0.0, 1 - std::abs(t - 0.5) * 6); break;
    case Motion::Hop: p.lift = 14 * std::abs(std::sin(t * 2 * M_PI)); break;
    case Motion::Think:
      p.look = {-0.35, -0.4};
      p.bubble = "?";
      p.bubbleAlpha = std::min(1.0, t * 4);
      p.leftWing = 20;
      break;
    case Motion::Surprise:
      p.eyeSize = 1 + 0.25 * std::min(1.0, t * 5);
      p.bubble = "!";
      p.bubbleAlpha = std::min(1.0, t * 5);
      p.lift = 6 * std::max(0.0, std::sin(std::min(1.0, t * 3) * M_PI));
      break;
    case Motion::Explain:
      p.leftWing = 60 + 10 * wave;
      p.look = {0.35 * std::sin(t * 2 * M_PI * 2), 0};
      break;
    case Motion::Sleep:
      p.lid = 1;
      p.bubble = "z";
      p.bubbleAlpha = std::sin(t * M_PI);
      break;
  }
  return p;
}

void Wing(QPainter& g, double x, double y, double w, double h, double raise, bool left) {
  g.save();
  g.translate(x, y);
  g.rotate(left ? raise : -raise);
  g.setBrush(kDark);
  g.drawEllipse(QRectF(-w / 2, 0, w, h));
  g.restore();
}

}  // namespace

void PaintOwl(QPainter& g, const QRectF& area, Motion motion, double progress) {
  const Pose p = PoseFor(motion, progress);
  // One unit of the figure, which is 100 units wide and 160 high with its sign.
  const double u = std::min(area.width() / 100.0, area.height() / 160.0);
  g.save();
  g.setRenderHint(QPainter::Antialiasing);
  g.translate(area.center().x(), area.bottom() - 4 * u - p.lift * u);
  g.scale(p.scale * u, p.scale * u);
  g.rotate(p.tilt);
  g.setPen(Qt::NoPen);

  // Body, belly, wings and feet; the origin is between the feet.
  Wing(g, -34, -70, 20, 46, 12 + p.leftWing, true);
  Wing(g, 34, -70, 20, 46, 12 + p.rightWing, false);
  g.setBrush(kFeathers);
  g.drawEllipse(QRectF(-38, -92, 76, 90));
  g.setBrush(kBelly);
  g.drawEllipse(QRectF(-24, -56, 48, 52));
  g.setPen(QPen(kFeathers.darker(130), 1.6));
  for (int row = 0; row < 3; ++row)
    for (int i = -1; i <= 1; ++i)
      g.drawArc(QRectF(i * 11 - 5 + (row % 2) * 5, -46 + row * 12, 10, 8), 200 * 16, 140 * 16);
  g.setPen(Qt::NoPen);
  g.setBrush(kBeak);
  for (int side : {-1, 1}) g.drawEllipse(QRectF(side * 12 - 7, -6, 14, 7));

  // Head with ear tufts.
  QPainterPath tufts;
  tufts.moveTo(-34, -104);
  tufts.lineTo(-22, -132);
  tufts.lineTo(-10, -108);
  tufts.moveTo(34, -104);
  tufts.lineTo(22, -132);
  tufts.lineTo(10, -108);
  g.setBrush(kDark);
  g.drawPath(tufts);
  g.setBrush(kFeathers);
  g.drawEllipse(QRectF(-40, -124, 80, 62));

  // Eyes, lids and beak.
  for (int side : {-1, 1}) {
    const QPointF c(side * 17, -96);
    const double r = 13 * p.eyeSize;
    g.setBrush(kBelly);
    g.drawEllipse(c, r + 4, r + 4);
    g.setBrush(kEye);
    g.drawEllipse(c, r, r);
    g.setBrush(kPupil);
    g.drawEllipse(c + QPointF(p.look.x() * r, p.look.y() * r), r * 0.45, r * 0.45);
    g.setBrush(Qt::white);
    g.drawEllipse(c + QPointF(p.look.x() * r - r * 0.15, p.look.y() * r - r * 0.2), r * 0.13, r * 0.13);
    if (p.lid > 0) {
      g.setBrush(kFeathers);
      g.drawChord(QRectF(c.x() - r - 1, c.y() - r - 1, 2 * r + 2, 2 * r + 2), 0, 180 * 16);
      if (p.lid > 0.5) g.drawChord(QRectF(c.x() - r - 1, c.y() - r - 1, 2 * r + 2, 2 * r + 2), 180 * 16, 180 * 16);
      g.setPen(QPen(kDark, 2));
      g.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
      g.setPen(Qt::NoPen);
    }
  }
  QPainterPath beak;
  beak.moveTo(-6, -88);
  beak.lineTo(6, -88);
  beak.lineTo(0, -74);
  beak.closeSubpath();
  g.setBrush(kBeak);
  g.drawPath(beak);

  if (!p.bubble.isEmpty() && p.bubbleAlpha > 0) {
    QColor ink = kPupil;
    ink.setAlphaF(std::clamp(p.bubbleAlpha, 0.0, 1.0));
    QFont font = g.font();
    font.setBold(true);
    font.setPixelSize(26);
    g.setFont(font);
    g.setPen(ink);
    g.drawText(QRectF(24, -150, 30, 30), Qt::AlignCenter, p.bubble);
  }
  g.restore();
}

}  // namespace krav::app
