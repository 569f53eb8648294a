#include "app/main_window/pages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/kit/colours.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

PlannerPage::PlannerPage(QWidget* parent)
    : PageFrame("Caption20001", U("Планировщик : основная"), U("Нет данных"), parent) {
  PageHeader* h = header();
  h->addTool("SpeedButton26", U("↔"), U("Диапазон"));
  h->addTool("SpeedButton27", U("▦"), U("Календарь"));
  h->addTool("SpeedButton28", U("●"), U("Сегодня"), 5);
  h->addTool("SpeedButton2", U("✕"), U("Удалить записи"), 5);
  h->addTool("SpeedButton1", U("✎"), U("Открыть запись"));
  h->addTool("SpeedButton7", U("+"), U("Добавить запись"));
}

TrashPage::TrashPage(QWidget* parent)
    : PageFrame("Caption20009", U("Планировщик : корзина"), U("Список пуст"), parent) {
  PageHeader* h = header();
  h->addTool("SpeedButton30", TrashBinIcon(), U("Очистить корзину"));
  h->addTool("SpeedButton29", U("✕"), U("Удалить отмеченные"));
}

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
