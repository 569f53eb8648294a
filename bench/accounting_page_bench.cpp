// The accounting page over ten years of journals: choosing "За этот месяц"
// until the report shows in the view, against computing the balances of
// that month alone. Warm: the month balance files are current. Cold: none
// exist, against the cold computation of the same month.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "accounting/balances.h"
#include "accounting/report.h"
#include "app/accounting/accounting_page.h"
#include "app/accounting/report_view.h"
#include "app/chart/pie_chart.h"
#include "app/logic/accounting_questions.h"
#include "app/logic/preset_asking.h"
#include "engine/dates.h"
#include "ledger_data.h"
#include "platform/ini.h"

namespace {

using namespace krav;
using namespace krav::accounting;

QApplication& App() {
  static int argc = 1;
  static char name[] = "accounting_page_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Kept to the end of the process: destroyed among the exit handlers, it
  // would outlive the toolkit's own statics.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The last month of the ledger (functions: the date helpers are not ready
// during static initialisation).
DateTime End() { return MakeDateTime(bench::kLedgerFirstYear + bench::kLedgerYears - 1, 12, 31); }
DateTime MonthStart() { return MakeDateTime(bench::kLedgerFirstYear + bench::kLedgerYears - 1, 12, 1); }

app::ProgramContext Context(const Ledger& l) {
  (void)WriteIniString(l.root + "krav2000.ini", "Users", "Active", l.user);
  return app::ProgramContext::ForRoot(l.root);
}

void BalancesOfTheMonth(benchmark::State& state, bool cold) {
  const Ledger& l = bench::TenYearLedger();
  BalanceTable t;
  if (!cold && !ComputeBalances(l, End(), MakeDateTime(bench::kLedgerFirstYear, 1, 1), t))
    state.SkipWithError("failed");
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      bench::MakeLedgerCold(l);
      state.ResumeTiming();
    }
    if (!ComputeBalances(l, End(), MonthStart(), t)) state.SkipWithError("a month file could not be written");
  }
  state.counters["rows"] = static_cast<double>(t.rows.size());
}

void ThisMonthOnThePage(benchmark::State& state, bool cold) {
  App();
  const Ledger& l = bench::TenYearLedger();
  app::PresetAsking asked;  // the ledger is all roubles: nothing is asked
  const app::ScopedAsking scope(asked);
  app::AccountingPage page(Context(l), nullptr);
  page.resize(800, 600);
  page.show();
  BalanceTable warmUp;
  if (!cold && !ComputeBalances(l, End(), MakeDateTime(bench::kLedgerFirstYear, 1, 1), warmUp))
    state.SkipWithError("failed");
  const std::string end = DateToText(End());
  // The page builds on worker threads and posts each step back.
  const auto untilShown = [&page] {
    while (page.building()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  };
  for (auto _ : state) {
    state.PauseTiming();
    page.choosePeriod(5);  // leave the month's mode, so that choosing it is a change
    untilShown();
    if (cold) bench::MakeLedgerCold(l);
    state.ResumeTiming();
    page.choosePeriod(100);
    untilShown();
    // Shown means laid out and painted.
    QApplication::processEvents();
    page.repaint();
  }
  if (!page.showsReport() || !page.reportView()->table("1")) state.SkipWithError("the report was not shown");
  state.counters["builds"] = page.builds();
}

// The report file alone (balances, HTML and chart written), without the view.
void WarmReportFile(benchmark::State& state) {
  App();
  const Ledger& l = bench::TenYearLedger();
  BalanceTable warmUp;
  if (!ComputeBalances(l, End(), MakeDateTime(bench::kLedgerFirstYear, 1, 1), warmUp))
    state.SkipWithError("failed");
  app::PresetAsking asked;
  const app::ScopedAsking scope(asked);
  app::AccountingQuestions questions;
  const auto chart = [](const std::vector<PieSlice>& slices, const std::string& path) {
    return app::SavePieChart(slices, path);
  };
  for (auto _ : state)
    if (BuildAccountingReport(l, MonthStart(), End(), questions, chart) != ReportResult::Written)
      state.SkipWithError("the report was not written");
}

void WarmBalancesOfTheMonth(benchmark::State& s) { BalancesOfTheMonth(s, false); }
void WarmThisMonthOnThePage(benchmark::State& s) { ThisMonthOnThePage(s, false); }
void ColdBalancesOfTheMonth(benchmark::State& s) { BalancesOfTheMonth(s, true); }
void ColdThisMonthOnThePage(benchmark::State& s) { ThisMonthOnThePage(s, true); }

BENCHMARK(WarmBalancesOfTheMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(WarmReportFile)->Unit(benchmark::kMillisecond);
BENCHMARK(WarmThisMonthOnThePage)->Unit(benchmark::kMillisecond);
BENCHMARK(ColdBalancesOfTheMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(ColdThisMonthOnThePage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
