// The range collection over generated stores, as lines and kept compactly,
// against the baseline of loading the same files and splitting every line
// at #3. The peak memory of a case is the process's since the case began:
// run a case alone (--benchmark_filter) for its own figure.
#include <benchmark/benchmark.h>

#include <map>

#include "engine/collect.h"
#include "engine/text.h"
#include "generate.h"

namespace {

using namespace krav;

constexpr int kJournalLines = 10000;

const std::string& Root(int records) {
  static std::map<int, std::string> roots;
  auto& r = roots[records];
  if (r.empty()) r = bench::MakeRoot(records, kJournalLines);
  return r;
}

void Baseline(benchmark::State& state) {
  const std::string& root = Root(static_cast<int>(state.range(0)));
  const std::string dir = root + "Users/bench/";
  std::vector<std::string> fields;
  for (auto _ : state) {
    std::size_t n = 0;
    for (const char* file : {"mess.dat", "Plan/nb202612.dat"}) {
      Lines lines;
      LoadLines(dir + file, lines);
      for (const auto& l : lines) {
        SplitByChar(l, fields, kSep3);
        n += fields.size();
      }
    }
    benchmark::DoNotOptimize(n);
  }
}

void Collect(benchmark::State& state) {
  const std::string& root = Root(static_cast<int>(state.range(0)));
  const DayNumber first = YmdToDay(2026, 12, 1);
  const DayNumber last = first + state.range(1) - 1;
  Lines out;
  bench::ResetPeakMemory();
  for (auto _ : state) {
    CollectRange(out, static_cast<double>(first), static_cast<double>(last), root, "bench", {true, false});
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["occurrences"] = static_cast<double>(out.size());
  state.counters["peak_MB"] = bench::PeakMemoryMb();
}

// The same collection kept as (record, day, minute): what messctl collect
// lists, and the room a month of a million records takes.
void CollectCompact(benchmark::State& state) {
  const std::string& root = Root(static_cast<int>(state.range(0)));
  const DayNumber first = YmdToDay(2026, 12, 1);
  const DayNumber last = first + state.range(1) - 1;
  Occurrences list;
  bench::ResetPeakMemory();
  for (auto _ : state) {
    CollectOccurrences(list, static_cast<double>(first), static_cast<double>(last), root, "bench", {true, false});
    benchmark::DoNotOptimize(list.entries.data());
  }
  state.counters["occurrences"] = static_cast<double>(list.size());
  state.counters["peak_MB"] = bench::PeakMemoryMb();
}

BENCHMARK(Baseline)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Collect)
    ->Args({1000, 1})
    ->Args({1000, 31})
    ->Args({100000, 1})
    ->Args({100000, 31})
    ->Args({1000000, 1})
    ->Args({1000000, 31})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CollectCompact)->Args({100000, 31})->Args({1000000, 31})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
