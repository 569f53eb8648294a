#include "accounting/report.h"

#include <cmath>

#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
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

// An amount in another currency; a product beyond the ledger's range stops at its end.
Kopecks Times(Kopecks k, double rate) {
  const double x = static_cast<double>(k) * rate;
  constexpr double kEnd = 9.2e18;
  if (!(x < kEnd)) return x > 0 ? static_cast<Kopecks>(kEnd) : 0;
  if (x < -kEnd) return -static_cast<Kopecks>(kEnd);
  return static_cast<Kopecks>(std::llround(x));
}

struct Entry {
  std::size_t column;
  Kopecks income = 0, expense = 0;
};

// The operations of one moved account; fills in its totals.
void AccountSection(Lines& html, const BalanceTable& t, int number, Entry& e) {
  const auto& col = t.columns[e.column];
  const bool turnoverOnly = col.type == TurnoverType();
  html.push_back(TableOpen("98"));
  html.push_back(TitleRow(5, "101%", "18", std::to_string(number),
                          Ru("Операции по счету ") + Quoted(col.name) + " (" + EscapeHtml(col.currency) + ")"));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Дата и время"), W("16%")},
                      {Ru("Описание операции"), W("48%")},
                      {Ru("Обороты"), W("24%", " colspan=\"2\"")},
                      {Ru("Остаток на счете"), W("12%", " rowspan=\"2\" height=\"38\"")}},
                     " height=\"34\" align=\"center\"", true));
  html.push_back(Row(kHeaderColour,
                     {{"", W("16%")}, {"", W("48%")}, {Ru("Приход"), W("12%")}, {Ru("Расход"), W("12%")}},
                     " height=\"3\" align=\"center\"", true));
  if (!turnoverOnly)
    html.push_back(Row(kHeaderColour,
                       {{Ru("Остаток на начало периода"), W("88%", " colspan=\"4\"")},
                        {FormatMoney(t.openingBalance(e.column)), W("12%", " align=\"right\"")}},
                       "", true));
  const BalanceTable::Totals totals = t.totals(e.column);
  e.income = totals.income;
  e.expense = totals.expense;
  Kopecks before = t.openingBalance(e.column);
  for (const std::uint32_t i : t.rowsOf[e.column]) {
    const BalanceTable::Row& r = t.rows[i];
    const Kopecks after = t.balance(i, e.column);
    if (before == after) continue;
    const bool rose = after > before;
    const Kopecks amount = rose ? AddMoney(after, -before) : AddMoney(before, -after);
    before = after;
    html.push_back(Row(kDataColour,
                       {{EscapeHtml(r.when), W("16%", " align=\"center\"")},
                        {EscapeHtml(r.description), W("48%")},
                        {rose ? FormatMoney(amount) : "", W("12%", " align=\"right\"")},
                        {rose ? "" : FormatMoney(amount), W("12%", " align=\"right\"")},
                        {turnoverOnly ? "" : FormatMoney(after), W("12%", " align=\"right\"")}},
                       " height=\"19\""));
  }
  html.push_back(Row(kHeaderColour,
                     {{Ru("Обороты"), W("64%", " colspan=\"2\"")},
                      {FormatMoney(e.income), W("12%", " align=\"right\"")},
                      {FormatMoney(e.expense), W("12%", " align=\"right\"")},
                      {"", W("12%")}},
                     "", true));
  if (!turnoverOnly)
    html.push_back(Row(kHeaderColour,
                       {{Ru("Остаток на конец периода"), W("88%", " colspan=\"4\"")},
                        {FormatMoney(t.closing(e.column)), W("12%", " align=\"right\"")}},
                       "", true));
  html.push_back("</table><br>");
}

void SummaryTable(Lines& html, const BalanceTable& t, const std::vector<Entry>& entries) {
  html.push_back(TableOpen());
  html.push_back(TitleRow(4, "100%", "", "S", Ru("Сводная таблица по счетам за исключением сбережений")));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Название счета"), W("48%", " rowspan=\"2\"")},
                      {Ru("Обороты"), W("35%", " colspan=\"2\"")},
                      {Ru("Остаток на счете"), W("17%", " rowspan=\"2\"")}},
                     " align=\"center\"", true));
  html.push_back(
      Row(kHeaderColour, {{Ru("Приход"), W("18%")}, {Ru("Расход"), W("17%")}}, " align=\"center\"", true));
  for (const auto& e : entries) {
    const auto& col = t.columns[e.column];
    if (col.type == SavingsType()) continue;
    html.push_back(Row(kDataColour, {{EscapeHtml(col.name) + " (" + EscapeHtml(col.currency) + ")", W("48%")},
                                     {e.income ? FormatMoney(e.income) : "", W("18%", " align=\"right\"")},
                                     {e.expense ? FormatMoney(e.expense) : "", W("17%", " align=\"right\"")},
                                     {col.type == TurnoverType() ? "" : FormatMoney(t.closing(e.column)),
                                      W("17%", " align=\"right\"")}}));
  }
  html.push_back("</table><br>");
}

// False when a rate question was cancelled.
bool SavingsTable(Lines& html, const Ledger& ledger, const BalanceTable& t, const std::vector<Entry>& entries,
                  DateTime start, DateTime end, Questions& questions, const ChartWriter& chart) {
  const std::string base =
      ReadIniString(ledger.settingsFile(), kBuhSection, kBaseCurrencyKey, DefaultBaseCurrency());
  bool cancelled = false;
  auto rate = [&](const std::string& currency, DateTime day) {
    if (currency == base) return 1.0;
    return AskCurrencyRate(ledger, questions, base, currency, DateToText(day));
  };
  html.push_back(TableOpen("136"));
  html.push_back(TitleRow(5, "102%", "18", "R", Ru("Сбережения")));
  html.push_back(Row(kHeaderColour,
                     {{Ru("Название счета"), W("48%", " rowspan=\"2\"")},
                      {Ru("Обороты"), W("28%", " colspan=\"2\"")},
                      {Ru("Остаток на счете"), W("26%", " colspan=\"2\"")}},
                     " align=\"center\"", true));
  html.push_back(Row(
      kHeaderColour,
      {{Ru("Приход"), W("13%")}, {Ru("Расход"), W("13%")}, {Ru("Валюта"), W("13%")}, {EscapeHtml(base), W("13%")}},
      " align=\"center\"", true));
  Kopecks s = 0, e = 0;
  for (const auto& entry : entries) {
    const auto& col = t.columns[entry.column];
    if (col.type != SavingsType()) continue;
    const Kopecks o = t.openingBalance(entry.column), c = t.closing(entry.column);
    const double rs = o != 0 ? rate(col.currency, start) : 1.0;
    if (rs == 0) {
      cancelled = true;
      break;
    }
    const double re = rate(col.currency, start);
    if (re == 0) {
      cancelled = true;
      break;
    }
    s = AddMoney(s, Times(o, rs));
    e = AddMoney(e, Times(c, re));
  }
  auto totalRow = [&](const std::string& label, const std::string& value) {
    html.push_back(Row(kHeaderColour, {{label, W("89%", " colspan=\"4\"")}, {value, W("13%", " align=\"right\"")}},
                       "", true));
  };
  totalRow(Ru("Итого сбережений на начало периода"), FormatMoney(s));
  std::vector<PieSlice> slices;
  for (const auto& entry : entries) {
    const auto& col = t.columns[entry.column];
    if (col.type != SavingsType()) continue;
    const Kopecks c = t.closing(entry.column);
    const double r = c != 0 ? rate(col.currency, end) : 1.0;
    if (r == 0) {
      cancelled = true;
      break;
    }
    std::string name = EscapeHtml(col.name) + " (" + EscapeHtml(col.currency);
    if (r != 1.0) name += " " + RealToFixed(r, 2);
    name += ")";
    html.push_back(Row(kDataColour,
                       {{name, W("48%")},
                        {FormatMoney(entry.income), W("13%", " align=\"right\"")},
                        {FormatMoney(entry.expense), W("13%", " align=\"right\"")},
                        {FormatMoney(c), W("13%", " align=\"right\"")},
                        {FormatMoney(Times(c, r)), W("13%", " align=\"right\"")}},
                       " height=\"19\""));
    slices.push_back({col.name, static_cast<double>(Times(c, r)) / 100.0});
  }
  totalRow(Ru("Итого сбережений на конец периода"), FormatMoney(e));
  const Kopecks d = e - s;
  std::string arrow;
  if (d > 0) arrow = "<img border=\"0\" src=\"../Help/up.bmp\" width=\"10\" height=\"11\"> ";
  if (d < 0) arrow = "<img border=\"0\" src=\"../Help/down.bmp\" width=\"10\" height=\"11\"> ";
  totalRow(Ru("Изменение за период"), arrow + FormatMoney(d));
  if (slices.size() > 1 && chart) {
    ForceDir(shell::TempDir(ledger.root));
    if (chart(slices, shell::ChartFile(ledger.root)))
      html.push_back(
          "<tr><td width=\"102%\" colspan=\"5\" height=\"19\" bgcolor=\"#BBDDFF\"><img border=\"0\" "
          "src=\"diagr.bmp\" align=\"right\" width=\"" +
          std::to_string(kChartWidth) + "\" height=\"" + std::to_string(kChartHeight) + "\"></td></tr>");
  }
  html.push_back("</table>");
  return !cancelled;
}

}  // namespace

std::string FormatMoney(Kopecks k) { return GroupThousands(MoneyText(k), " "); }

std::string FormatMoneyText(std::string_view text) {
  const Reading<Kopecks> k = ReadMoney(text);
  return k ? FormatMoney(*k) : std::string(text);
}

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

DateTime ReportStart(DateTime end, int mode, DateTime chosenStart) {
  if (mode >= 1 && mode <= 99) return static_cast<double>(DayOf(end) - mode + 1);
  if (mode == 100) {
    const Ymd v = DayToYmd(DayOf(end));
    return static_cast<double>(YmdToDay(v.year, v.month, 1));
  }
  return chosenStart;
}

ReportResult BuildAccountingReport(const Ledger& ledger, DateTime start, DateTime end, Questions& questions,
                                   const ChartWriter& chart) {
  BalanceTable t;
  if (!ComputeBalances(ledger, end, start, t)) return ReportResult::Failed;

  std::vector<Entry> entries;
  for (std::size_t c = 0; c < t.columns.size(); ++c)
    if (t.columns[c].moved) entries.push_back({c});
  const std::size_t moved = entries.size();
  for (std::size_t c = 0; c < t.columns.size(); ++c)
    if (!t.columns[c].moved) entries.push_back({c});

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
  for (std::size_t i = 0; i < moved; ++i)
    index += "<a href=\"#" + std::to_string(i + 1) + "\">" + Ru("Операции по счету ") +
             Quoted(t.columns[entries[i].column].name) + "</a><br>";
  index += "<a href=\"#S\">" + Ru("Сводная таблица по счетам за исключением сбережений") + "</a><br>";
  index += "<a href=\"#R\">" + Ru("Сбережения") + "</a>";
  html.push_back(
      "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" "
      "bordercolor=\"#111111\" width=\"100%\" id=\"AutoNumber2\" height=\"111\">");
  html.push_back(
      "<tr><td width=\"9%\" rowspan=\"2\" align=\"center\" valign=\"top\"><img border=\"0\" "
      "src=\"../Help/buh.jpg\" width=\"50\" height=\"46\"></td><td width=\"91%\"><b><font face=\"Arial\">" +
      Ru("Отчет за период с ") + DateToText(start) + Ru(" по ") + DateToText(end) + "</font></b></td></tr>");
  html.push_back("<tr><td width=\"91%\"><font size=\"2\">" + index + "</font></td></tr>");
  html.push_back("</table><br>");

  for (std::size_t i = 0; i < moved; ++i) AccountSection(html, t, static_cast<int>(i + 1), entries[i]);
  bool anyOther = false, anySavings = false;
  for (const auto& e : entries) (t.columns[e.column].type == SavingsType() ? anySavings : anyOther) = true;
  if (anyOther) SummaryTable(html, t, entries);
  bool complete = true;
  if (anySavings) complete = SavingsTable(html, ledger, t, entries, start, end, questions, chart);
  html.push_back("</body>");
  html.push_back("</html>");

  ForceDir(shell::TempDir(ledger.root));
  if (!SaveLines(shell::ReportFile(ledger.root), html)) return ReportResult::Failed;
  return complete ? ReportResult::Written : ReportResult::Cancelled;
}

}  // namespace krav::accounting
