// The savings pie chart of the report, drawn on an image with Qt's painter
// (no widgets, no screen) and saved as a bitmap.
#pragma once

#include "accounting/report.h"

namespace krav::app {

// Needs a QGuiApplication for the labels' font (the offscreen platform
// does). Saves a kChartWidth x kChartHeight BMP; false when it could not be
// written.
[[nodiscard]] bool SavePieChart(const std::vector<accounting::PieSlice>& slices, const std::string& bmpPath);

}  // namespace krav::app
