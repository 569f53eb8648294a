#include "app/chart/pie_chart.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "platform/encoding.h"
#include "platform/files.h"

namespace krav::app {

namespace {

using accounting::kChartHeight;
using accounting::kChartWidth;

constexpr double kTilt = 0.55;    // the height of the tilted disc against its width
constexpr int kDepth = 12;        // the thickness of the disc in pixels
constexpr double kPieSize = 0.9;  // the disc's share of the room it has
const QColor kBackground(0xBB, 0xDD, 0xFF);
const QColor kMark(0x97, 0xCB, 0xFF);
// The slices' colours, in turn.
const QColor kSliceColours[] = {QColor(0x20, 0x9F, 0xDF), QColor(0x99, 0xCA, 0x53), QColor(0xF6, 0xA6, 0x25),
                                QColor(0x6D, 0x5F, 0xD5), QColor(0xBF, 0x59, 0x3E), QColor(0x3E, 0xB8, 0x9A),
                                QColor(0xE0, 0x5A, 0x9B), QColor(0x8C, 0x8C, 0x8C)};

}  // namespace

// The pie is drawn flat, then laid down as a tilted disc with a darker edge
// under it; the labels with their percentages go on light-blue marks beside
// their slices. Slices run clockwise from twelve o'clock.
QImage PieChartImage(const std::vector<accounting::PieSlice>& slices) {
  double total = 0;
  for (const auto& s : slices) total += std::max(0.0, s.value);

  const int flatHeight = static_cast<int>(kChartHeight / kTilt);
  const QRectF plot(0, 0, kChartWidth, flatHeight - kDepth / kTilt);
  const double radius = kPieSize * std::min(plot.width(), plot.height()) / 2;
  const QRectF disc(plot.center().x() - radius, plot.center().y() - radius, 2 * radius, 2 * radius);

  QImage top(kChartWidth, flatHeight, QImage::Format_ARGB32_Premultiplied);
  top.fill(Qt::transparent);
  struct Drawn {
    QString label;
    double value, start, span;  // degrees clockwise from twelve o'clock
  };
  std::vector<Drawn> drawn;
  {
    QPainter painter(&top);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    double start = 0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
      const double value = std::max(0.0, slices[i].value);
      const double span = total > 0 ? 360.0 * value / total : 0;
      drawn.push_back({QString::fromStdString(Cp1251ToUtf8(slices[i].label)), value, start, span});
      if (span > 0) {
        painter.setBrush(kSliceColours[i % std::size(kSliceColours)]);
        // drawPie counts sixteenths of a degree from three o'clock, anticlockwise.
        painter.drawPie(disc, static_cast<int>(std::lround((90.0 - start) * 16)),
                        -static_cast<int>(std::lround(span * 16)));
      }
      start += span;
    }
  }

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
  const QPointF centre(plot.center().x(), plot.center().y() * kTilt);
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  for (const Drawn& slice : drawn) {
    if (slice.value <= 0) continue;
    const QString text =
        QStringLiteral("%1 %2%").arg(slice.label).arg(total > 0 ? 100.0 * slice.value / total : 0, 0, 'f', 1);
    const double mid = (slice.start + slice.span / 2) * M_PI / 180.0;
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
  return image;
}

bool SavePieChart(const std::vector<accounting::PieSlice>& slices, const std::string& bmpPath) {
  return SaveChartImage(PieChartImage(slices), bmpPath);
}

bool SaveChartImage(const QImage& image, const std::string& bmpPath) {
  QSaveFile file(QString::fromStdString(FsPath(bmpPath)));
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "BMP")) return false;
  return file.commit();
}

}  // namespace krav::app
