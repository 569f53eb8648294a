#include "app/dialogs/message_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace krav::app {
namespace {

void Sign(QPainter& g, const QString& text, const QColor& ink) {
  QFont font = g.font();
  font.setBold(true);
  font.setPixelSize(20);
  g.setFont(font);
  g.setPen(ink);
  g.drawText(QRectF(0, 1, 30, 30), Qt::AlignCenter, text);
}

}  // namespace

int PictureOfKind(int kind) {
  switch (kind) {
    case 1: return 1;
    case 2:
    case 5:
    case 7: return 2;
    case 3: return 3;
    case 4:
    case 6: return 4;
    default: return 0;
  }
}

QPixmap MessagePicture(int image) {
  QPixmap pixmap(30, 30);
  pixmap.fill(Qt::transparent);
  QPainter g(&pixmap);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x00, 0x00, 0x60), 1));
  switch (image) {
    case 1:
      g.setBrush(QColor(0x2E, 0x7D, 0xD2));
      g.drawEllipse(QRectF(1.5, 1.5, 27, 27));
      Sign(g, "i", Qt::white);
      break;
    case 2:
      g.setBrush(QColor(0x3C, 0xA5, 0x5C));
      g.drawEllipse(QRectF(1.5, 1.5, 27, 27));
      Sign(g, "?", Qt::white);
      break;
    case 3: {
      QPainterPath triangle;
      triangle.moveTo(15, 2);
      triangle.lineTo(28.5, 27.5);
      triangle.lineTo(1.5, 27.5);
      triangle.closeSubpath();
      g.setBrush(QColor(0xFF, 0xC1, 0x07));
      g.drawPath(triangle);
      g.translate(0, 2);
      Sign(g, "!", QColor(0x30, 0x20, 0x00));
      break;
    }
    case 4: {
      g.setBrush(QColor(0x00, 0x00, 0xA0));
      g.drawRoundedRect(QRectF(1.5, 1.5, 27, 27), 6, 6);
      QPainterPath star;
      for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 5.0 : 11.0, a = -M_PI / 2 + i * M_PI / 5;
        const QPointF p(15 + r * std::cos(a), 15.5 + r * std::sin(a));
        i ? star.lineTo(p) : star.moveTo(p);
      }
      star.closeSubpath();
      g.setPen(Qt::NoPen);
      g.setBrush(QColor(0xFF, 0xD5, 0x4F));
      g.drawPath(star);
      break;
    }
    default: break;
  }
  return pixmap;
}

}  // namespace krav::app
