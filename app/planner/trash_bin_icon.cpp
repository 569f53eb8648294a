#include "app/planner/trash_bin_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/kit/colours.h"

namespace krav::app {

QIcon TrashBinIcon() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(colours::kBandBlue, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  g.setBrush(Qt::NoBrush);
  // The lid and its handle.
  g.drawLine(QPointF(6, 9), QPointF(26, 9));
  g.drawRect(QRectF(12.5, 5, 7, 4));
  // The bin, narrowing to its foot, with three ribs.
  QPainterPath bin;
  bin.moveTo(8, 11);
  bin.lineTo(10, 28);
  bin.lineTo(22, 28);
  bin.lineTo(24, 11);
  g.drawPath(bin);
  for (double x : {12.5, 16.0, 19.5}) g.drawLine(QPointF(x, 14), QPointF(x + (x - 16) * 0.1, 25));
  return QIcon(pm);
}

}  // namespace krav::app
