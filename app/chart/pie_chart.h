// The savings pie chart of the report, drawn on an image with Qt's painter
// (no widgets, no screen) and saved as a bitmap.
#pragma once

#include <QImage>

#include "accounting/report.h"

namespace krav::app {

// The chart as a kChartWidth x kChartHeight picture. Painting on an image,
// it may run on any thread.
QImage PieChartImage(const std::vector<accounting::PieSlice>& slices);

// Needs a QGuiApplication for the labels' font (the offscreen platform
// does). Saves a kChartWidth x kChartHeight BMP; false when it could not be
// written.
[[nodiscard]] bool SavePieChart(const std::vector<accounting::PieSlice>& slices, const std::string& bmpPath);
// Saves a drawn chart the same way.
[[nodiscard]] bool SaveChartImage(const QImage& image, const std::string& bmpPath);

}  // namespace krav::app
