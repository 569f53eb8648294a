// ComputeBalances over ten years of journals, 1,000 operations a month on
// 12 accounts: cold (no month balance files) and warm (a report of the last
// month with the cache valid); the baseline reads all the journal files.
// Cold runs twice: for the whole ten years (every row kept) and for the last
// month, the usual first report; and once more with the month files already
// in place, which leaves out creating them.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "accounting/balances.h"
#include "engine/text.h"
#include "generate.h"
#include "ledger_data.h"
#include "platform/encoding.h"
#include "platform/ini.h"

namespace {

using namespace krav;
using namespace krav::accounting;

constexpr int kYears = bench::kLedgerYears, kFirstYear = bench::kLedgerFirstYear;

const Ledger& Data() { return bench::TenYearLedger(); }

void ReadJournalsBaseline(benchmark::State& state) {
  const Ledger& l = Data();
  for (auto _ : state) {
    std::size_t n = 0;
    std::vector<std::string> fields;
    for (int y = kFirstYear; y < kFirstYear + kYears; ++y)
      for (int m = 1; m <= 12; ++m) {
        Lines lines;
        LoadLines(l.journalFile("01." + PadLeft(std::to_string(m), "00") + "." + std::to_string(y)), lines);
        for (const auto& line : lines) {
          SplitByChar(line, fields, kSep3);
          n += fields.size();
        }
      }
    benchmark::DoNotOptimize(n);
  }
}

// A computation from the first journal month with no month files, for the
// period from `start` to the end of the ten years.
void Cold(benchmark::State& state, DateTime start) {
  const Ledger& l = Data();
  BalanceTable t;
  for (auto _ : state) {
    state.PauseTiming();
    bench::MakeLedgerCold(l);
    state.ResumeTiming();
    if (!ComputeBalances(l, MakeDateTime(kFirstYear + kYears - 1, 12, 31), start, t))
      state.SkipWithError("a month balance file could not be written");
  }
  state.counters["rows"] = static_cast<double>(t.rows.size());
}

void ColdComputation(benchmark::State& state) { Cold(state, MakeDateTime(kFirstYear, 1, 1)); }

// The usual first report: the last month, with no valid month balance file.
void ColdLastMonth(benchmark::State& state) { Cold(state, MakeDateTime(kFirstYear + kYears - 1, 12, 1)); }

// The cold walk of the ten years with the month files already holding its
// balances (a change marked and then undone): every file is compared and
// none is written, so this is the computation without creating 120 files.
void ColdFilesInPlace(benchmark::State& state) {
  const Ledger& l = Data();
  BalanceTable t;
  bench::MakeLedgerCold(l);
  const DateTime end = MakeDateTime(kFirstYear + kYears - 1, 12, 31), start = MakeDateTime(kFirstYear, 1, 1);
  if (!ComputeBalances(l, end, start, t)) state.SkipWithError("a month balance file could not be written");
  for (auto _ : state) {
    state.PauseTiming();
    if (!WriteIniString(l.settingsFile(), kBuhSection, kLastChangesKey, "01.01.2017"))
      state.SkipWithError("the settings could not be written");
    state.ResumeTiming();
    if (!ComputeBalances(l, end, start, t)) state.SkipWithError("a month balance file could not be written");
  }
  state.counters["rows"] = static_cast<double>(t.rows.size());
}

void WarmLastMonth(benchmark::State& state) {
  const Ledger& l = Data();
  BalanceTable t;
  if (!WriteIniString(l.settingsFile(), kBuhSection, kLastChangesKey, "01.01.2017"))
    state.SkipWithError("the settings could not be written");
  if (!ComputeBalances(l, MakeDateTime(kFirstYear + kYears - 1, 12, 31), MakeDateTime(kFirstYear, 1, 1), t))
    state.SkipWithError("a month balance file could not be written");
  for (auto _ : state)
    if (!ComputeBalances(l, MakeDateTime(kFirstYear + kYears - 1, 12, 31),
                         MakeDateTime(kFirstYear + kYears - 1, 12, 1), t))
      state.SkipWithError("a month balance file could not be written");
  state.counters["rows"] = static_cast<double>(t.rows.size());
}

// Many accounts, each moved once: 20,000 accounts and 20,000 operations in
// one month. The table's memory must grow with their sum, not their product.
void ManyAccounts(benchmark::State& state) {
  constexpr int kMany = 20000;
  const Ledger l{bench::ScratchDir("krav-bench-many"), "bench"};
  ForceDir(l.dataDir() + "Plan");
  {
    std::ofstream out(FsPath(l.journalFile("01.03.2026")), std::ios::binary);
    for (int i = 0; i < kMany; ++i)
      out << "2" << kSep3 << PadLeft(std::to_string(1 + i % 28), "00") << ".03.2026" << kSep3 << "12:00" << kSep3
          << "op " << kSep3 << "op" << kSep1 << AccountReference({"a" + std::to_string(i), "RUB", SavingsType()})
          << kSep1 << Ru("[Нет]") << kSep2 << kSep2 << Ru("Нет") << kSep3 << kSep3 << "10.00\r\n";
  }
  if (!WriteIniString(l.settingsFile(), kBuhSection, kFirstDateKey, "01.03.2026"))
    state.SkipWithError("the settings could not be written");
  BalanceTable t;
  bench::ResetPeakMemory();
  const double before = bench::PeakMemoryMb();
  for (auto _ : state)
    if (!ComputeBalances(l, MakeDateTime(2026, 3, 31), MakeDateTime(2026, 3, 1), t))
      state.SkipWithError("a month balance file could not be written");
  state.counters["columns"] = static_cast<double>(t.columns.size());
  state.counters["peak_MB_growth"] = bench::PeakMemoryMb() - before;
  bench::RemoveRoot(FsPath(l.root));
}

BENCHMARK(ReadJournalsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(ColdComputation)->Unit(benchmark::kMillisecond);
BENCHMARK(ColdLastMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(ColdFilesInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(WarmLastMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(ManyAccounts)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
