#include "app/kit/row_icons.h"

#include <QPainter>
#include <QPixmap>

namespace krav::app {
namespace {

QPixmap Canvas() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  return pm;
}

}  // namespace

QIcon AccountIcon() {
  QPixmap pm = Canvas();
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x5A, 0x3A, 0x10), 1));
  g.setBrush(QColor(0xB8, 0x7A, 0x30));
  g.drawRoundedRect(QRectF(1.5, 4.5, 13, 9), 2, 2);
  g.setBrush(QColor(0xE0, 0xB0, 0x60));
  g.drawRoundedRect(QRectF(9.5, 7.5, 5, 3), 1, 1);
  return QIcon(pm);
}

QIcon OperationIcon() {
  QPixmap pm = Canvas();
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x1E, 0x88, 0x3C), 2, Qt::SolidLine, Qt::RoundCap));
  g.drawLine(QPointF(2, 5), QPointF(13, 5));
  g.drawLine(QPointF(13, 5), QPointF(10, 2));
  g.setPen(QPen(QColor(0xC0, 0x28, 0x28), 2, Qt::SolidLine, Qt::RoundCap));
  g.drawLine(QPointF(14, 11), QPointF(3, 11));
  g.drawLine(QPointF(3, 11), QPointF(6, 14));
  return QIcon(pm);
}

QIcon CurrencyIcon() {
  QPixmap pm = Canvas();
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x8A, 0x6A, 0x00), 1));
  g.setBrush(QColor(0xF2, 0xC9, 0x4C));
  g.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  g.setPen(QPen(QColor(0x8A, 0x6A, 0x00), 1.4));
  g.drawEllipse(QRectF(5, 5, 6, 6));
  return QIcon(pm);
}

}  // namespace krav::app
