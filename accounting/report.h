// The period report "Домашняя бухгалтерия": an index, one operations table
// per account that moved, the summary of the accounts other than savings,
// and the savings in the base currency with a pie chart.
//
// The report is a value first (ComposeAccountingReport: the balances' figures
// with every currency rate already resolved through the questions), and only
// then a file (WriteAccountingReport: cp1251 HTML in root + "Temp/buh.htm"
// and the chart's bitmap beside it). The accounting page shows the value.
#pragma once

#include <functional>
#include <optional>
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

// One operation that moved an account: the amount it rose or fell by and
// the balance after it. Texts are cp1251, as the journal holds them.
struct ReportOperation {
  std::string when, description;
  Kopecks amount = 0;
  bool rose = false;
  Kopecks balance = 0;
};

// The section of an account that moved in the period; its number in the
// index is its place in AccountingReport::accounts, counted from 1.
struct ReportAccount {
  std::string name, currency;
  bool turnoverOnly = false;  // "Обороты": no opening, closing or balance column
  Kopecks opening = 0, closing = 0, income = 0, expense = 0;
  std::vector<ReportOperation> operations;
};

// A row of the summary of the accounts other than savings.
struct ReportSummaryRow {
  std::string name, currency;
  bool turnoverOnly = false;
  Kopecks income = 0, expense = 0, closing = 0;
};

// A savings account at the end of the period, in its currency and in the
// base currency at `rate`.
struct ReportSavingsRow {
  std::string name, currency;
  double rate = 1;
  Kopecks income = 0, expense = 0, closing = 0, inBase = 0;
};

struct ReportSavings {
  std::string base;  // the base currency's name
  Kopecks startTotal = 0, endTotal = 0;
  std::vector<ReportSavingsRow> rows;
  std::vector<PieSlice> slices;  // the chart has more than one, or is left out
  Kopecks change() const { return AddMoney(endTotal, -startTotal); }
  bool hasChart() const { return slices.size() > 1; }
};

struct AccountingReport {
  DateTime start = 0, end = 0;
  std::vector<ReportAccount> accounts;               // the moved ones, in the balance table's order
  std::optional<std::vector<ReportSummaryRow>> summary;  // when some account is no saving
  std::optional<ReportSavings> savings;                  // when some account is a saving
  // False when a rate question was cancelled: the savings are cut short
  // and the page shows the error page instead.
  bool ratesComplete = true;
};

// The start of the period of a page mode: 1-99 the last N days up to end,
// 100 the end date's month, 200 the chosen start.
DateTime ReportStart(DateTime end, int mode, DateTime chosenStart);

// The report of a computed balance table. Asks the rates the savings need
// (from the rate file, else through `questions`), in the order the savings
// table lists them; a cancel cuts the pass that asked it short.
AccountingReport ComposeAccountingReport(const Ledger& ledger, const BalanceTable& table, DateTime start,
                                         DateTime end, Questions& questions);

// ComputeBalances and ComposeAccountingReport; false, with the balances'
// `error`, when the balances could not be computed.
[[nodiscard]] bool ComputeAccountingReport(const Ledger& ledger, DateTime start, DateTime end, Questions& questions,
                                           AccountingReport& report, std::string* error = nullptr);

// The report file's lines, cp1251; the chart's row only `withChart`.
Lines AccountingReportHtml(const AccountingReport& report, bool withChart);

// Creates Temp, draws the chart into Temp/diagr.bmp when the savings have
// one, and writes Temp/buh.htm. False when the report could not be saved.
[[nodiscard]] bool WriteAccountingReport(const std::string& root, const AccountingReport& report,
                                         const ChartWriter& chart);

enum class ReportResult {
  Written,    // the report is in Temp/buh.htm
  Cancelled,  // written, but a rate question was cancelled: show the error page
  Failed,     // nothing new was written: show the error page
};

// Computes, composes and writes the report of [start, end].
ReportResult BuildAccountingReport(const Ledger& ledger, DateTime start, DateTime end, Questions& questions,
                                   const ChartWriter& chart);

}  // namespace krav::accounting
