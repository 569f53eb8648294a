#include "accounting/pie_chart.h"

#include <algorithm>
#include <cmath>

#include <QChart>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QSaveFile>

#include "platform/encoding.h"
#include "platform/files.h"

namespace krav::accounting {

namespace {

constexpr double kTilt = 0.55;  // the height of the tilted disc against its width
constexpr int kDepth = 12;      // the thickness of the disc in pixels
const QColor kBackground(0xBB, 0xDD, 0xFF);
const QColor kMark(0x97, 0xCB, 0xFF);

}  // namespace

// The pie is drawn flat by Qt Charts without labels, then laid down as a
// tilted disc with a darker edge under it; the labels with their
// percentages go on light-blue marks beside their slices.
bool SavePieChart(const std::vector<PieSlice>& slices, const std::string& bmpPath) {
  auto* series = new QPieSeries;
  double total = 0;
  for (const auto& s : slices) total += s.value;
  for (const auto& s : slices) {
    QPieSlice* slice = series->append(QString::fromStdString(Cp1251ToUtf8(s.label)), s.value);
    slice->setBorderWidth(0);
    slice->setPen(Qt::NoPen);
    slice->setLabelVisible(false);
  }
  constexpr double kPieSize = 0.9;
  series->setPieSize(kPieSize);

  const int flatHeight = static_cast<int>(kChartHeight / kTilt);
  QChart chart;
  chart.addSeries(series);
  chart.legend()->hide();
  chart.setBackgroundVisible(false);
  chart.setMargins(QMargins(0, 0, 0, 0));
  chart.layout()->setContentsMargins(0, 0, 0, 0);
  chart.setAnimationOptions(QChart::NoAnimation);
  chart.resize(kChartWidth, flatHeight - kDepth / kTilt);

  QGraphicsScene scene;
  scene.addItem(&chart);
  QImage top(kChartWidth, flatHeight, QImage::Format_ARGB32_Premultiplied);
  top.fill(Qt::transparent);
  {
    QPainter painter(&top);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(0, 0, kChartWidth, flatHeight - kDepth / kTilt),
                 QRectF(0, 0, kChartWidth, flatHeight - kDepth / kTilt));
  }
  const QRectF plot = chart.plotArea();
  scene.removeItem(&chart);

  QImage edge = top;
  {
    QPainter painter(&edge);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(edge.rect(), QColor(0, 0, 0, 80));
  }

  QImage image(kChartWidth, kChartHeight, QImage::Format_RGB32);
  image.fill(kBackground);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QRectF squashed(0, 0, kChartWidth, flatHeight * kTilt);
  for (int dy = kDepth; dy > 0; --dy) painter.drawImage(squashed.translated(0, dy), edge);
  painter.drawImage(squashed, top);

  // The marks: at the middle angle of each slice, a little outside the disc.
  const double radius = kPieSize * std::min(plot.width(), plot.height()) / 2;
  const QPointF centre(plot.center().x(), plot.center().y() * kTilt);
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  for (int i = 0; i < series->count(); ++i) {
    const QPieSlice* slice = series->slices().at(i);
    if (slice->value() <= 0) continue;
    const QString text = QStringLiteral("%1 %2%")
                             .arg(slice->label())
                             .arg(total > 0 ? 100.0 * slice->value() / total : 0, 0, 'f', 1);
    const double mid = (slice->startAngle() + slice->angleSpan() / 2) * M_PI / 180.0;
    const QPointF at(centre.x() + 1.1 * radius * std::sin(mid),
                     centre.y() - 1.1 * radius * kTilt * std::cos(mid) + (std::cos(mid) < 0 ? kDepth : 0));
    QRectF box = metrics.boundingRect(text).adjusted(-3, -1, 3, 1);
    box.moveCenter(at);
    if (std::sin(mid) > 0.2) box.moveLeft(std::max(box.left(), centre.x()));
    if (std::sin(mid) < -0.2) box.moveRight(std::min(box.right(), centre.x()));
    box.moveLeft(std::clamp(box.left(), 1.0, kChartWidth - box.width() - 1));
    box.moveTop(std::clamp(box.top(), 1.0, kChartHeight - box.height() - 1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kMark);
    painter.drawRect(box);
    painter.setPen(QColor(0x11, 0x11, 0x11));
    painter.drawText(box, Qt::AlignCenter, text);
  }
  painter.end();

  QSaveFile file(QString::fromStdString(FsPath(bmpPath)));
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "BMP")) return false;
  return file.commit();
}

}  // namespace krav::accounting
