// The report file: the value of report.h written as the HTML page the
// program has always written, cp1251, one element group per line.
#include "accounting/report.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "shell/paths.h"

namespace krav::accounting {
namespace {

const char* const kTitleColour = "#0000A0";
const char* const kHeaderColour = "#BBDDFF";
const char* const kDataColour = "#DDEEFF";

std::string Font(const std::string& text, bool bold = false, bool white = false) {
  std::string out = "<font face=\"Arial\" size=\"2\"";
  if (white) out += " color=\"#FFFFFF\"";
  out += ">";
  out += bold ? "<b>" + text + "</b>" : text;
  return out + "</font>";
}

struct Cell {
  std::string text;
  std::string attrs;  // width, colspan, align ...
};

// One table row of cells in one colour.
std::string Row(const char* colour, std::initializer_list<Cell> cells, const std::string& rowAttrs = "",
                bool bold = false) {
  std::string out = "<tr" + rowAttrs + ">";
  for (const auto& c : cells)
    out += "<td" + c.attrs + " bgcolor=\"" + colour + "\">" + Font(c.text.empty() ? "&nbsp;" : c.text, bold) +
           "</td>";
  return out + "</tr>";
}

std::string TitleRow(int span, const std::string& width, const std::string& height, const std::string& anchor,
                     const std::string& text) {
  return "<tr><td width=\"" + width + "\" colspan=\"" + std::to_string(span) + "\"" +
         (height.empty() ? std::string() : " height=\"" + height + "\"") + " bgcolor=\"" + kTitleColour + "\">" +
         Font("<a name=\"" + anchor + "\"></a>" + text, true, true) + "</td></tr>";
}

std::string TableOpen(const std::string& height = "") {
  return "<table border=\"0\" cellpadding=\"0\" cellspacing=\"1\" style=\"border-collapse: collapse\" "
         "bordercolor=\"#111111\" width=\"100%\" id=\"AutoNumber1\"" +
         (height.empty() ? std::string() : " height=\"" + height + "\"") + ">";
}

std::string W(const char* width, const char* more = "") { return std::string(" width=\"") + width + "\"" + more; }

std::string Quoted(const std::string& name) { return "\"" + EscapeHtml(name) + "\""; }

std::string NameAndCurrency(const std::string& name, const std::string& currency) {
  return EscapeHtml(name) + " (" + EscapeHtml(currency) + ")";
}

void AccountSection(Lines& html, const ReportAccount& a, int number) {
  html.push_back(TableOpen("98"));
  html.push_back(TitleRow(5, "101%", "18", std::to_string(number),
                          Ru("Операции по счету ") + Quoted(a.name) + " (" + EscapeHtml(a.currency) + ")"));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Дата и время"), W("16%")},
                      {Ru("Описание операции"), W("48%")},
                      {Ru("Обороты"), W("24%", " colspan=\"2\"")},
                      {Ru("Остаток на счете"), W("12%", " rowspan=\"2\" height=\"38\"")}},
                     " height=\"34\" align=\"center\"", true));
  html.push_back(Row(kHeaderColour,
                     {{"", W("16%")}, {"", W("48%")}, {Ru("Приход"), W("12%")}, {Ru("Расход"), W("12%")}},
                     " height=\"3\" align=\"center\"", true));
  if (!a.turnoverOnly)
    html.push_back(Row(kHeaderColour,
                       {{Ru("Остаток на начало периода"), W("88%", " colspan=\"4\"")},
                        {FormatMoney(a.opening), W("12%", " align=\"right\"")}},
                       "", true));
  for (const ReportOperation& op : a.operations)
    html.push_back(Row(kDataColour,
                       {{EscapeHtml(op.when), W("16%", " align=\"center\"")},
                        {EscapeHtml(op.description), W("48%")},
                        {op.rose ? FormatMoney(op.amount) : "", W("12%", " align=\"right\"")},
                        {op.rose ? "" : FormatMoney(op.amount), W("12%", " align=\"right\"")},
                        {a.turnoverOnly ? "" : FormatMoney(op.balance), W("12%", " align=\"right\"")}},
                       " height=\"19\""));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Обороты"), W("64%", " colspan=\"2\"")},
                      {FormatMoney(a.income), W("12%", " align=\"right\"")},
                      {FormatMoney(a.expense), W("12%", " align=\"right\"")},
                      {"", W("12%")}},
                     "", true));
  if (!a.turnoverOnly)
    html.push_back(Row(kHeaderColour,
                       {{Ru("Остаток на конец периода"), W("88%", " colspan=\"4\"")},
                        {FormatMoney(a.closing), W("12%", " align=\"right\"")}},
                       "", true));
  html.push_back("</table><br>");
}

void SummaryTable(Lines& html, const std::vector<ReportSummaryRow>& rows) {
  html.push_back(TableOpen());
  html.push_back(TitleRow(4, "100%", "", "S", Ru("Сводная таблица по счетам за исключением сбережений")));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Название счета"), W("48%", " rowspan=\"2\"")},
                      {Ru("Обороты"), W("35%", " colspan=\"2\"")},
                      {Ru("Остаток на счете"), W("17%", " rowspan=\"2\"")}},
                     " align=\"center\"", true));
  html.push_back(
      Row(kHeaderColour, {{Ru("Приход"), W("18%")}, {Ru("Расход"), W("17%")}}, " align=\"center\"", true));
  for (const ReportSummaryRow& r : rows)
    html.push_back(Row(kDataColour, {{NameAndCurrency(r.name, r.currency), W("48%")},
                                     {r.income ? FormatMoney(r.income) : "", W("18%", " align=\"right\"")},
                                     {r.expense ? FormatMoney(r.expense) : "", W("17%", " align=\"right\"")},
                                     {r.turnoverOnly ? "" : FormatMoney(r.closing), W("17%", " align=\"right\"")}}));
  html.push_back("</table><br>");
}

void SavingsTable(Lines& html, const ReportSavings& s, bool withChart) {
  html.push_back(TableOpen("136"));
  html.push_back(TitleRow(5, "102%", "18", "R", Ru("Сбережения")));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Название счета"), W("48%", " rowspan=\"2\"")},
                      {Ru("Обороты"), W("28%", " colspan=\"2\"")},
                      {Ru("Остаток на счете"), W("26%", " colspan=\"2\"")}},
                     " align=\"center\"", true));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Приход"), W("13%")},
                      {Ru("Расход"), W("13%")},
                      {Ru("Валюта"), W("13%")},
                      {EscapeHtml(s.base), W("13%")}},
                     " align=\"center\"", true));
  auto totalRow = [&](const std::string& label, const std::string& value) {
    html.push_back(Row(kHeaderColour, {{label, W("89%", " colspan=\"4\"")}, {value, W("13%", " align=\"right\"")}},
                       "", true));
  };
  totalRow(Ru("Итого сбережений на начало периода"), FormatMoney(s.startTotal));
  for (const ReportSavingsRow& r : s.rows) {
    std::string name = EscapeHtml(r.name) + " (" + EscapeHtml(r.currency);
    if (r.rate != 1.0) name += " " + RealToFixed(r.rate, 2);
    name += ")";
    html.push_back(Row(kDataColour,
                       {{name, W("48%")},
                        {FormatMoney(r.income), W("13%", " align=\"right\"")},
                        {FormatMoney(r.expense), W("13%", " align=\"right\"")},
                        {FormatMoney(r.closing), W("13%", " align=\"right\"")},
                        {FormatMoney(r.inBase), W("13%", " align=\"right\"")}},
                       " height=\"19\""));
  }
  totalRow(Ru("Итого сбережений на конец периода"), FormatMoney(s.endTotal));
  const Kopecks d = s.change();
  std::string arrow;
  if (d > 0) arrow = "<img border=\"0\" src=\"../Help/up.bmp\" width=\"10\" height=\"11\"> ";
  if (d < 0) arrow = "<img border=\"0\" src=\"../Help/down.bmp\" width=\"10\" height=\"11\"> ";
  totalRow(Ru("Изменение за период"), arrow + FormatMoney(d));
  if (withChart)
    html.push_back(
        "<tr><td width=\"102%\" colspan=\"5\" height=\"19\" bgcolor=\"#BBDDFF\"><img border=\"0\" "
        "src=\"diagr.bmp\" align=\"right\" width=\"" +
        std::to_string(kChartWidth) + "\" height=\"" + std::to_string(kChartHeight) + "\"></td></tr>");
  html.push_back("</table>");
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) out += ' ';  // separators and line ends
        else out += c;
    }
  }
  return out;
}

Lines AccountingReportHtml(const AccountingReport& report, bool withChart) {
  Lines html = {
      "<html>",
      "<head>",
      "<meta http-equiv=\"Content-Language\" content=\"ru\">",
      "<meta name=\"GENERATOR\" content=\"Microsoft FrontPage 5.0\">",
      "<meta name=\"ProgId\" content=\"FrontPage.Editor.Document\">",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">",
      "<title>" + Ru("Домашняя бухгалтерия") + "</title>",
      "</head>",
      "<body topmargin=\"5\" leftmargin=\"0\" link=\"#0099FF\" vlink=\"#0099FF\" alink=\"#0000A0\">",
  };
  std::string index;
  for (std::size_t i = 0; i < report.accounts.size(); ++i)
    index += "<a href=\"#" + std::to_string(i + 1) + "\">" + Ru("Операции по счету ") +
             Quoted(report.accounts[i].name) + "</a><br>";
  index += "<a href=\"#S\">" + Ru("Сводная таблица по счетам за исключением сбережений") + "</a><br>";
  index += "<a href=\"#R\">" + Ru("Сбережения") + "</a>";
  html.push_back(
      "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" "
      "bordercolor=\"#111111\" width=\"100%\" id=\"AutoNumber2\" height=\"111\">");
  html.push_back(
      "<tr><td width=\"9%\" rowspan=\"2\" align=\"center\" valign=\"top\"><img border=\"0\" "
      "src=\"../Help/buh.jpg\" width=\"50\" height=\"46\"></td><td width=\"91%\"><b><font face=\"Arial\">" +
      Ru("Отчет за период с ") + DateToText(report.start) + Ru(" по ") + DateToText(report.end) +
      "</font></b></td></tr>");
  html.push_back("<tr><td width=\"91%\"><font size=\"2\">" + index + "</font></td></tr>");
  html.push_back("</table><br>");

  for (std::size_t i = 0; i < report.accounts.size(); ++i)
    AccountSection(html, report.accounts[i], static_cast<int>(i + 1));
  if (report.summary) SummaryTable(html, *report.summary);
  if (report.savings) SavingsTable(html, *report.savings, withChart);
  html.push_back("</body>");
  html.push_back("</html>");
  return html;
}

bool WriteAccountingReport(const std::string& root, const AccountingReport& report, const ChartWriter& chart) {
  ForceDir(shell::TempDir(root));
  const bool withChart = report.savings && report.savings->hasChart() && chart &&
                         chart(report.savings->slices, shell::ChartFile(root));
  return SaveLines(shell::ReportFile(root), AccountingReportHtml(report, withChart));
}

}  // namespace krav::accounting
