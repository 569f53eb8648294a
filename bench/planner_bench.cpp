// The planner list of 31 days over 100,000 records: rebuilding the page
// (collection, sort, day separators, the model and the view) against
// CollectRange of the same range, and the memory the page takes against the
// size of the collected occurrence lines.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QApplication>
#include <algorithm>

#include "app/logic/preset_asking.h"
#include "app/planner/list_models.h"
#include "app/planner/planner_page.h"
#include "engine/collect.h"
#include "generate.h"
#include "platform/ini.h"

namespace {

using namespace krav;

constexpr int kRecords = 100000, kDays = 31;

const std::string& Root() {
  static const std::string root = [] {
    std::string r = bench::MakeRoot(kRecords, 10000);
    (void)WriteIniString(r + "krav2000.ini", "Users", "Active", "bench");
    (void)WriteIniBool(r + "Users/bench/krav2000.ini", "Messages", "AutoDel", false);
    return r;
  }();
  return root;
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "planner_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Kept to the end of the process: destroyed among the exit handlers, it
  // would outlive the toolkit's own statics.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

DayNumber First() { return YmdToDay(2026, 12, 1); }

void CollectTheMonth(benchmark::State& state) {
  Lines out;
  for (auto _ : state) {
    CollectRange(out, static_cast<double>(First()), static_cast<double>(First() + kDays - 1), Root(), "bench",
                 {true, false});
    benchmark::DoNotOptimize(out.data());
  }
  std::size_t bytes = 0;
  for (const auto& l : out) bytes += l.size();
  state.counters["rows"] = static_cast<double>(out.size());
  state.counters["lines_MB"] = static_cast<double>(bytes) / 1e6;
}

void RebuildThePlannerList(benchmark::State& state) {
  App();
  app::PresetAsking asked;
  const app::ScopedAsking scope(asked);
  const app::ProgramContext context = app::ProgramContext::ForRoot(Root());
  // Heap bytes in use: what the page holds, whatever the allocator keeps.
  const auto inUse = [] { return static_cast<double>(mallinfo2().uordblks) / 1e6; };
  const double before = inUse();
  double most = 0;
  auto* page = new app::PlannerPage(context, nullptr);
  page->resize(800, 600);
  page->show();
  page->setPeriodLength(kDays - 1);
  for (auto _ : state) {
    page->setStart("01.12.2026");
    QApplication::processEvents();
    state.PauseTiming();
    most = std::max(most, inUse() - before);
    state.ResumeTiming();
  }
  std::size_t bytes = 0;
  for (const auto& l : page->model()->list().lines) bytes += l.size();
  state.counters["rows"] = static_cast<double>(page->model()->rowCount());
  state.counters["page_MB"] = most;
  state.counters["lines_MB"] = static_cast<double>(bytes) / 1e6;
  delete page;
}

BENCHMARK(CollectTheMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(RebuildThePlannerList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
