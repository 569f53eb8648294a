#include "accounting/pie_chart.h"

#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QSaveFile>

#include "platform/encoding.h"
#include "platform/files.h"

namespace krav::accounting {

bool SavePieChart(const std::vector<PieSlice>& slices, const std::string& bmpPath) {
  auto* series = new QPieSeries;
  for (const auto& s : slices) {
    QPieSlice* slice = series->append(QString::fromStdString(Cp1251ToUtf8(s.label)), s.value);
    slice->setBorderWidth(0);
    slice->setPen(Qt::NoPen);
    slice->setLabelVisible(true);
    slice->setLabelColor(QColor(0x11, 0x11, 0x11));
  }
  double total = 0;
  for (const auto& s : slices) total += s.value;
  for (QPieSlice* slice : series->slices())
    slice->setLabel(QStringLiteral("%1 %2%").arg(slice->label()).arg(total > 0 ? 100.0 * slice->value() / total : 0, 0, 'f', 1));
  series->setPieSize(0.6);

  QChart chart;
  chart.addSeries(series);
  chart.legend()->hide();
  chart.setBackgroundBrush(QColor(0xBB, 0xDD, 0xFF));
  chart.setBackgroundRoundness(0);
  chart.setMargins(QMargins(0, 0, 0, 0));
  chart.setAnimationOptions(QChart::NoAnimation);
  chart.resize(kChartWidth, kChartHeight);

  QGraphicsScene scene;
  scene.addItem(&chart);
  QImage image(kChartWidth, kChartHeight, QImage::Format_RGB32);
  image.fill(QColor(0xBB, 0xDD, 0xFF));
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(0, 0, kChartWidth, kChartHeight), QRectF(0, 0, kChartWidth, kChartHeight));
  }
  scene.removeItem(&chart);

  QSaveFile file(QString::fromStdString(FsPath(bmpPath)));
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "BMP")) return false;
  return file.commit();
}

}  // namespace krav::accounting
