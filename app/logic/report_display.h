// The report as the accounting page shows it: the heading with its index,
// then one table an account that moved, the summary and the savings, each
// with its title, the report's two header rows, its data rows and totals.
// Plain values (cp1251 texts); the page's views only map them to cells.
#pragma once

#include <string>
#include <vector>

#include "accounting/report.h"

namespace krav::app {

enum class ReportRowKind {
  Header,  // the header and total rows: "#BBDDFF", bold
  Data,    // an operation or an account: "#DDEEFF"
};

enum class CellAlign { Left, Centre, Right };

struct ReportCellView {
  std::string text;
  CellAlign align = CellAlign::Left;
  int rowSpan = 1, columnSpan = 1;  // a cell covered by another's span is empty
};

struct ReportRowView {
  ReportRowKind kind = ReportRowKind::Data;
  std::vector<ReportCellView> cells;  // one per column, covered cells included
};

// Which of the report's arrows goes before a figure.
enum class ReportArrow { None, Up, Down };

struct ReportTableView {
  std::string anchor;  // "1", "2", ... for the accounts, "S", "R"
  std::string title;
  std::vector<int> widths;  // percent of the table's width, one per column
  std::vector<ReportRowView> rows;
  // The savings' change: the arrow before the figure in the last row's last cell.
  ReportArrow arrow = ReportArrow::None;
  bool chart = false;  // the savings' pie chart follows the table
};

struct ReportIndexLink {
  std::string anchor, text;
};

struct ReportPageView {
  std::string heading;  // "Отчет за период с ... по ..."
  std::vector<ReportIndexLink> index;
  std::vector<ReportTableView> tables;
};

ReportPageView ReportForView(const accounting::AccountingReport& report);

}  // namespace krav::app
