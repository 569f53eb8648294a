// The report as the accounting page shows it, from the report's value.
#include <gtest/gtest.h>

#include <set>

#include "app/logic/report_display.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

using accounting::AccountingReport;

AccountingReport Example() {
  AccountingReport r;
  r.start = MakeDateTime(2026, 12, 1);
  r.end = MakeDateTime(2026, 12, 31);
  accounting::ReportAccount cash{Ru("Наличные"), Ru("Рубли"), false, 100000, 95450, 0, 4550, {}};
  cash.operations = {{"08.12.2026 10:00", Ru("Хлеб"), 4550, false, 95450}};
  accounting::ReportAccount food{Ru("Продукты"), Ru("Рубли"), true, 0, 0, 4550, 0, {}};
  food.operations = {{"08.12.2026 10:00", Ru("Хлеб"), 4550, true, 4550}};
  r.accounts = {cash, food};
  r.summary = std::vector<accounting::ReportSummaryRow>{{Ru("Продукты"), Ru("Рубли"), true, 4550, 0, 4550},
                                                        {Ru("Карта"), Ru("Рубли"), false, 0, 0, 700}};
  accounting::ReportSavings s;
  s.base = Ru("Рубли");
  s.startTotal = 100000;
  s.endTotal = 95450;
  s.rows = {{Ru("Наличные"), Ru("Рубли"), 1.0, 0, 4550, 95450, 95450},
            {Ru("Валюта"), Ru("Доллары США"), 90.5, 0, 0, 0, 0}};
  s.slices = {{Ru("Наличные"), 954.5}, {Ru("Валюта"), 0}};
  r.savings = s;
  return r;
}

std::string Cell(const ReportTableView& t, std::size_t row, std::size_t column) {
  return Cp1251ToUtf8(t.rows.at(row).cells.at(column).text);
}

// Every cell is covered at most once, and every span stays inside the table.
void ExpectSpansFit(const ReportTableView& t) {
  std::set<std::pair<std::size_t, std::size_t>> covered;
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    ASSERT_EQ(t.rows[r].cells.size(), t.widths.size()) << t.anchor << " row " << r;
    for (std::size_t c = 0; c < t.rows[r].cells.size(); ++c) {
      const ReportCellView& cell = t.rows[r].cells[c];
      if (covered.count({r, c})) {
        EXPECT_TRUE(cell.text.empty()) << t.anchor << " " << r << "," << c;
        continue;
      }
      EXPECT_LE(r + static_cast<std::size_t>(cell.rowSpan), t.rows.size()) << t.anchor << " " << r << "," << c;
      EXPECT_LE(c + static_cast<std::size_t>(cell.columnSpan), t.widths.size()) << t.anchor << " " << r;
      for (int dr = 0; dr < cell.rowSpan; ++dr)
        for (int dc = 0; dc < cell.columnSpan; ++dc)
          if (dr || dc) {
            EXPECT_TRUE(covered.insert({r + dr, c + dc}).second) << t.anchor << " " << r << "," << c;
          }
    }
  }
}

TEST(ReportForView, TablesFollowTheReportWithItsFiguresAndRules) {
  const ReportPageView page = ReportForView(Example());
  EXPECT_EQ(Cp1251ToUtf8(page.heading), "Отчет за период с 01.12.2026 по 31.12.2026");
  ASSERT_EQ(page.index.size(), 4u);
  EXPECT_EQ(page.index[0].anchor, "1");
  EXPECT_EQ(Cp1251ToUtf8(page.index[1].text), "Операции по счету \"Продукты\"");
  EXPECT_EQ(page.index[3].anchor, "R");
  ASSERT_EQ(page.tables.size(), 4u);
  for (const auto& t : page.tables) ExpectSpansFit(t);

  // A balance account: opening, the operation with its balance, turnover, closing.
  const ReportTableView& cash = page.tables[0];
  EXPECT_EQ(Cp1251ToUtf8(cash.title), "Операции по счету \"Наличные\" (Рубли)");
  ASSERT_EQ(cash.rows.size(), 6u);
  EXPECT_EQ(Cell(cash, 2, 0), "Остаток на начало периода");
  EXPECT_EQ(Cell(cash, 2, 4), "1 000.00");
  EXPECT_EQ(Cell(cash, 3, 2), "");
  EXPECT_EQ(Cell(cash, 3, 3), "45.50");
  EXPECT_EQ(Cell(cash, 3, 4), "954.50");
  EXPECT_EQ(Cell(cash, 5, 4), "954.50");
  EXPECT_EQ(cash.rows[3].kind, ReportRowKind::Data);
  EXPECT_EQ(cash.rows[3].cells[4].align, CellAlign::Right);

  // A turnover account: no opening or closing row, an empty balance column.
  const ReportTableView& food = page.tables[1];
  ASSERT_EQ(food.rows.size(), 4u);
  EXPECT_EQ(Cell(food, 2, 2), "45.50");
  EXPECT_EQ(Cell(food, 2, 4), "");
  EXPECT_EQ(Cell(food, 3, 0), "Обороты");

  // The summary leaves a total of 0.00 empty; the savings show it.
  const ReportTableView& summary = page.tables[2];
  EXPECT_EQ(summary.anchor, "S");
  EXPECT_EQ(Cell(summary, 3, 1), "");
  EXPECT_EQ(Cell(summary, 3, 3), "7.00");
  EXPECT_EQ(Cell(summary, 2, 3), "");  // a turnover account has no balance
  const ReportTableView& savings = page.tables[3];
  EXPECT_EQ(Cell(savings, 1, 4), "Рубли");
  EXPECT_EQ(Cell(savings, 3, 1), "0.00");
  EXPECT_EQ(Cell(savings, 4, 0), "Валюта (Доллары США 90.50)");
  EXPECT_EQ(Cell(savings, 6, 0), "Изменение за период");
  EXPECT_EQ(Cell(savings, 6, 4), "-45.50");
  EXPECT_EQ(savings.arrow, ReportArrow::Down);
  EXPECT_TRUE(savings.chart);
}

TEST(ReportForView, AnEmptyPeriodKeepsTheFixedLinksAndNoChangeHasNoArrow) {
  AccountingReport r = Example();
  r.accounts.clear();
  r.summary.reset();
  r.savings->endTotal = r.savings->startTotal;
  r.savings->slices.resize(1);
  const ReportPageView page = ReportForView(r);
  ASSERT_EQ(page.index.size(), 2u);
  EXPECT_EQ(page.index[0].anchor, "S");
  ASSERT_EQ(page.tables.size(), 1u);
  EXPECT_EQ(page.tables[0].arrow, ReportArrow::None);
  EXPECT_FALSE(page.tables[0].chart);
  EXPECT_EQ(Cell(page.tables[0], 6, 4), "0.00");
}

}  // namespace
}  // namespace krav::app
