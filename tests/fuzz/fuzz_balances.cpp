// Balances and the HTML report over any journal: the input is one month's
// journal; the balances must add up whatever the lines hold.
#include <cstdint>
#include <string_view>

#include "accounting/balances.h"
#include "accounting/report.h"
#include "fuzz_support.h"
#include "platform/ini.h"

namespace {

struct FixedRate : krav::accounting::Questions {
  bool createExampleData() override { return false; }
  std::optional<std::string> askRate(const std::string&, const std::string&, const std::string&) override {
    return std::string("2.5");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace krav;
  using namespace krav::accounting;
  const Ledger ledger{fuzz::ScratchRoot(), "u"};
  static const bool ready = [&] {
    return WriteIniString(ledger.settingsFile(), kBuhSection, kFirstDateKey, "01.12.2026") &&
           WriteIniString(ledger.settingsFile(), kBuhSection, kBaseCurrencyKey, "RUB");
  }();
  if (!ready) return 0;
  // Cold each time: the month files of earlier inputs must not count.
  RemoveFile(ledger.balanceFile("01.11.2026"));
  (void)WriteIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, "01.12.2026");
  if (!SaveBytes(ledger.journalFile("01.12.2026"), std::string_view(reinterpret_cast<const char*>(data), size)))
    return 0;

  BalanceTable table;
  if (!ComputeBalances(ledger, MakeDateTime(2026, 12, 31), MakeDateTime(2026, 12, 1), table)) return 0;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const auto t = table.totals(c);
    KRAV_FUZZ_CHECK(t.income >= 0 && t.expense >= 0);
    KRAV_FUZZ_CHECK(t.closing == table.closing(c));
    for (std::size_t r = 0; r < table.rows.size(); ++r)
      KRAV_FUZZ_CHECK(table.balance(r, c) >= -kMoneyBound * static_cast<Kopecks>(table.rows.size() + 1) &&
                      table.balance(r, c) <= kMoneyBound * static_cast<Kopecks>(table.rows.size() + 1));
  }
  for (std::size_t r = 0; r < table.rowCount(); ++r)
    for (std::size_t c = 0; c < table.columnCount(); ++c) (void)table.cell(r, c);

  // The totals alone, from cold again, are the table's.
  RemoveFile(ledger.balanceFile("01.12.2026"));
  (void)WriteIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, "01.12.2026");
  std::vector<AccountBalance> alone;
  KRAV_FUZZ_CHECK(ComputeBalanceTotals(ledger, MakeDateTime(2026, 12, 31), MakeDateTime(2026, 12, 1), alone));
  KRAV_FUZZ_CHECK(alone.size() == table.columns.size());
  for (std::size_t c = 0; c < alone.size(); ++c) {
    const auto t = table.totals(c);
    KRAV_FUZZ_CHECK(alone[c].column.name == table.columns[c].name && alone[c].column.moved == table.columns[c].moved);
    KRAV_FUZZ_CHECK(alone[c].totals.opening == t.opening && alone[c].totals.income == t.income &&
                    alone[c].totals.expense == t.expense && alone[c].totals.closing == t.closing);
  }

  FixedRate rates;
  const auto noChart = [](const std::vector<PieSlice>&, const std::string&) { return true; };
  (void)BuildAccountingReport(ledger, MakeDateTime(2026, 12, 1), MakeDateTime(2026, 12, 31), rates, noChart);
  return 0;
}
