// The savings pie chart, drawn without a screen and saved as a bitmap.
#pragma once

#include "accounting/report.h"

namespace krav::accounting {

// Needs a QApplication (the offscreen platform does). Saves a
// kChartWidth x kChartHeight BMP; false when it could not be written.
[[nodiscard]] bool SavePieChart(const std::vector<PieSlice>& slices, const std::string& bmpPath);

}  // namespace krav::accounting
