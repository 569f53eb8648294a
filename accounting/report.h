// The period report "Домашняя бухгалтерия": an index, one operations table
// per account that moved, the summary of the accounts other than savings,
// and the savings in the base currency with a pie chart. Written in cp1251
// to root + "Temp/buh.htm".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "accounting/balances.h"
#include "accounting/ledger_files.h"

namespace krav::accounting {

// Two decimals, a point, digit groups of three split by a blank.
std::string FormatMoney(Kopecks k);
std::string FormatMoneyText(std::string_view text);

// A user's text made safe inside HTML.
std::string EscapeHtml(std::string_view text);

struct PieSlice {
  std::string label;  // cp1251
  double value = 0;
};
// Draws the savings chart and saves it as a bitmap; false when it could not.
using ChartWriter = std::function<bool(const std::vector<PieSlice>& slices, const std::string& bmpPath)>;
constexpr int kChartWidth = 511;
constexpr int kChartHeight = 171;

enum class ReportResult {
  Written,    // the report is in Temp/buh.htm
  Cancelled,  // written, but a rate question was cancelled: show the error page
  Failed,     // nothing new was written: show the error page
};

// The start of the period of a page mode: 1-99 the last N days up to end,
// 100 the end date's month, 200 the chosen start.
DateTime ReportStart(DateTime end, int mode, DateTime chosenStart);

ReportResult BuildAccountingReport(const Ledger& ledger, DateTime start, DateTime end, Questions& questions,
                                   const ChartWriter& chart);

}  // namespace krav::accounting
