#include "accounting/report.h"

#include <cmath>

#include "engine/text.h"
#include "platform/ini.h"

namespace krav::accounting {
namespace {

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
ReportAccount AccountOf(const BalanceTable& t, Entry& e) {
  const auto& col = t.columns[e.column];
  ReportAccount a;
  a.name = col.name;
  a.currency = col.currency;
  a.turnoverOnly = col.type == TurnoverType();
  a.opening = t.openingBalance(e.column);
  a.closing = t.closing(e.column);
  const BalanceTable::Totals totals = t.totals(e.column);
  a.income = e.income = totals.income;
  a.expense = e.expense = totals.expense;
  Kopecks before = a.opening;
  a.operations.reserve(t.rowsOf[e.column].size());
  for (const std::uint32_t i : t.rowsOf[e.column]) {
    const BalanceTable::Row& r = t.rows[i];
    const Kopecks after = t.balance(i, e.column);
    if (before == after) continue;
    const bool rose = after > before;
    a.operations.push_back({r.when(), std::string(r.description()), rose ? AddMoney(after, -before) : AddMoney(before, -after), rose,
                            after});
    before = after;
  }
  return a;
}

std::vector<ReportSummaryRow> SummaryOf(const BalanceTable& t, const std::vector<Entry>& entries) {
  std::vector<ReportSummaryRow> rows;
  for (const auto& e : entries) {
    const auto& col = t.columns[e.column];
    if (col.type == SavingsType()) continue;
    rows.push_back({col.name, col.currency, col.type == TurnoverType(), e.income, e.expense, t.closing(e.column)});
  }
  return rows;
}

// Both totals use the start date's rates; the rows use the end date's. A
// cancelled question (rate 0) cuts the pass that asked it short; the other
// pass still runs. False when a question was cancelled.
bool SavingsOf(const Ledger& ledger, const BalanceTable& t, const std::vector<Entry>& entries, DateTime start,
               DateTime end, Questions& questions, ReportSavings& out) {
  out.base = ReadIniString(ledger.settingsFile(), kBuhSection, kBaseCurrencyKey, DefaultBaseCurrency());
  auto rate = [&](const std::string& currency, DateTime day) {
    if (currency == out.base) return 1.0;
    return AskCurrencyRate(ledger, questions, out.base, currency, DateToText(day));
  };
  bool cancelled = false;
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
    out.startTotal = AddMoney(out.startTotal, Times(o, rs));
    out.endTotal = AddMoney(out.endTotal, Times(c, re));
  }
  for (const auto& entry : entries) {
    const auto& col = t.columns[entry.column];
    if (col.type != SavingsType()) continue;
    const Kopecks c = t.closing(entry.column);
    const double r = c != 0 ? rate(col.currency, end) : 1.0;
    if (r == 0) {
      cancelled = true;
      break;
    }
    const Kopecks inBase = Times(c, r);
    out.rows.push_back({col.name, col.currency, r, entry.income, entry.expense, c, inBase});
    out.slices.push_back({col.name, static_cast<double>(inBase) / 100.0});
  }
  return !cancelled;
}

}  // namespace

std::string FormatMoney(Kopecks k) { return GroupThousands(MoneyText(k), " "); }

std::string FormatMoneyText(std::string_view text) {
  const Reading<Kopecks> k = ReadMoney(text);
  return k ? FormatMoney(*k) : std::string(text);
}

DateTime ReportStart(DateTime end, int mode, DateTime chosenStart) {
  if (mode >= 1 && mode <= 99) return static_cast<double>(DayOf(end) - mode + 1);
  if (mode == 100) {
    const Ymd v = DayToYmd(DayOf(end));
    return static_cast<double>(YmdToDay(v.year, v.month, 1));
  }
  return chosenStart;
}

AccountingReport ComposeAccountingReport(const Ledger& ledger, const BalanceTable& t, DateTime start, DateTime end,
                                         Questions& questions) {
  AccountingReport report;
  report.start = start;
  report.end = end;
  // The moved accounts first, then the others, each in the table's order.
  std::vector<Entry> entries;
  for (std::size_t c = 0; c < t.columns.size(); ++c)
    if (t.columns[c].moved) entries.push_back({c});
  const std::size_t moved = entries.size();
  for (std::size_t c = 0; c < t.columns.size(); ++c)
    if (!t.columns[c].moved) entries.push_back({c});

  for (std::size_t i = 0; i < moved; ++i) report.accounts.push_back(AccountOf(t, entries[i]));
  bool anyOther = false, anySavings = false;
  for (const auto& e : entries) (t.columns[e.column].type == SavingsType() ? anySavings : anyOther) = true;
  if (anyOther) report.summary = SummaryOf(t, entries);
  if (anySavings) {
    report.savings.emplace();
    report.ratesComplete = SavingsOf(ledger, t, entries, start, end, questions, *report.savings);
  }
  return report;
}

bool ComputeAccountingReport(const Ledger& ledger, DateTime start, DateTime end, Questions& questions,
                             AccountingReport& report, std::string* error) {
  BalanceTable t;
  if (!ComputeBalances(ledger, end, start, t, error)) return false;
  report = ComposeAccountingReport(ledger, t, start, end, questions);
  return true;
}

ReportResult BuildAccountingReport(const Ledger& ledger, DateTime start, DateTime end, Questions& questions,
                                   const ChartWriter& chart) {
  AccountingReport report;
  if (!ComputeAccountingReport(ledger, start, end, questions, report)) return ReportResult::Failed;
  if (!WriteAccountingReport(ledger.root, report, chart)) return ReportResult::Failed;
  return report.ratesComplete ? ReportResult::Written : ReportResult::Cancelled;
}

}  // namespace krav::accounting
