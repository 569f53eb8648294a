#include "app/logic/report_display.h"

#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

using accounting::FormatMoney;

ReportCellView C(std::string text, CellAlign align = CellAlign::Left) { return {std::move(text), align}; }
ReportCellView R(std::string text) { return {std::move(text), CellAlign::Right}; }
ReportCellView Span(std::string text, int columns, int rows = 1, CellAlign align = CellAlign::Left) {
  return {std::move(text), align, rows, columns};
}

ReportRowView Header(std::vector<ReportCellView> cells) { return {ReportRowKind::Header, std::move(cells)}; }
ReportRowView Data(std::vector<ReportCellView> cells) { return {ReportRowKind::Data, std::move(cells)}; }

// A label over all but the last column, then a figure.
ReportRowView Total(std::string label, int columns, std::string figure) {
  std::vector<ReportCellView> cells(static_cast<std::size_t>(columns));
  cells.front() = Span(std::move(label), columns - 1);
  cells.back() = R(std::move(figure));
  return Header(std::move(cells));
}

std::string NameAndCurrency(const std::string& name, const std::string& currency) {
  return name + " (" + currency + ")";
}

ReportTableView AccountTable(const accounting::ReportAccount& a, int number) {
  ReportTableView t;
  t.anchor = std::to_string(number);
  t.title = Ru("Операции по счету \"") + a.name + "\" (" + a.currency + ")";
  t.widths = {16, 48, 12, 12, 12};
  const auto centre = CellAlign::Centre;
  t.rows.push_back(Header({C(Ru("Дата и время"), centre), C(Ru("Описание операции"), centre),
                           Span(Ru("Обороты"), 2, 1, centre), {}, Span(Ru("Остаток на счете"), 1, 2, centre)}));
  t.rows.push_back(Header({{}, {}, C(Ru("Приход"), centre), C(Ru("Расход"), centre), {}}));
  if (!a.turnoverOnly) t.rows.push_back(Total(Ru("Остаток на начало периода"), 5, FormatMoney(a.opening)));
  t.rows.reserve(t.rows.size() + a.operations.size() + 2);
  for (const accounting::ReportOperation& op : a.operations)
    t.rows.push_back(Data({C(op.when, centre), C(op.description), R(op.rose ? FormatMoney(op.amount) : ""),
                           R(op.rose ? "" : FormatMoney(op.amount)),
                           R(a.turnoverOnly ? "" : FormatMoney(op.balance))}));
  t.rows.push_back(
      Header({Span(Ru("Обороты"), 2), {}, R(FormatMoney(a.income)), R(FormatMoney(a.expense)), {}}));
  if (!a.turnoverOnly) t.rows.push_back(Total(Ru("Остаток на конец периода"), 5, FormatMoney(a.closing)));
  return t;
}

ReportTableView SummaryTable(const std::vector<accounting::ReportSummaryRow>& rows) {
  ReportTableView t;
  t.anchor = "S";
  t.title = Ru("Сводная таблица по счетам за исключением сбережений");
  t.widths = {48, 18, 17, 17};
  const auto centre = CellAlign::Centre;
  t.rows.push_back(Header({Span(Ru("Название счета"), 1, 2, centre), Span(Ru("Обороты"), 2, 1, centre), {},
                           Span(Ru("Остаток на счете"), 1, 2, centre)}));
  t.rows.push_back(Header({{}, C(Ru("Приход"), centre), C(Ru("Расход"), centre), {}}));
  for (const auto& r : rows)
    t.rows.push_back(Data({C(NameAndCurrency(r.name, r.currency)), R(r.income ? FormatMoney(r.income) : ""),
                           R(r.expense ? FormatMoney(r.expense) : ""),
                           R(r.turnoverOnly ? "" : FormatMoney(r.closing))}));
  return t;
}

ReportTableView SavingsTable(const accounting::ReportSavings& s) {
  ReportTableView t;
  t.anchor = "R";
  t.title = Ru("Сбережения");
  t.widths = {48, 13, 13, 13, 13};
  const auto centre = CellAlign::Centre;
  t.rows.push_back(Header({Span(Ru("Название счета"), 1, 2, centre), Span(Ru("Обороты"), 2, 1, centre), {},
                           Span(Ru("Остаток на счете"), 2, 1, centre), {}}));
  t.rows.push_back(Header(
      {{}, C(Ru("Приход"), centre), C(Ru("Расход"), centre), C(Ru("Валюта"), centre), C(s.base, centre)}));
  t.rows.push_back(Total(Ru("Итого сбережений на начало периода"), 5, FormatMoney(s.startTotal)));
  for (const auto& r : s.rows) {
    std::string name = r.name + " (" + r.currency;
    if (r.rate != 1.0) name += " " + RealToFixed(r.rate, 2);
    name += ")";
    t.rows.push_back(Data({C(name), R(FormatMoney(r.income)), R(FormatMoney(r.expense)), R(FormatMoney(r.closing)),
                           R(FormatMoney(r.inBase))}));
  }
  t.rows.push_back(Total(Ru("Итого сбережений на конец периода"), 5, FormatMoney(s.endTotal)));
  const Kopecks d = s.change();
  t.rows.push_back(Total(Ru("Изменение за период"), 5, FormatMoney(d)));
  t.arrow = d > 0 ? ReportArrow::Up : d < 0 ? ReportArrow::Down : ReportArrow::None;
  t.chart = s.hasChart();
  return t;
}

}  // namespace

ReportPageView ReportForView(const accounting::AccountingReport& report) {
  ReportPageView page;
  page.heading = Ru("Отчет за период с ") + DateToText(report.start) + Ru(" по ") + DateToText(report.end);
  for (std::size_t i = 0; i < report.accounts.size(); ++i) {
    page.index.push_back({std::to_string(i + 1), Ru("Операции по счету \"") + report.accounts[i].name + "\""});
    page.tables.push_back(AccountTable(report.accounts[i], static_cast<int>(i + 1)));
  }
  // The index always names the summary and the savings, as the file's does.
  page.index.push_back({"S", Ru("Сводная таблица по счетам за исключением сбережений")});
  page.index.push_back({"R", Ru("Сбережения")});
  if (report.summary) page.tables.push_back(SummaryTable(*report.summary));
  if (report.savings) page.tables.push_back(SavingsTable(*report.savings));
  return page;
}

}  // namespace krav::app
