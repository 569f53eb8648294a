// The plug-in's acting check with nothing due over a large today list, and
// its reload over a large store; the baseline is loading the store and
// splitting every line at #3, as for the collection.
#include <benchmark/benchmark.h>

#include "engine/text.h"
#include "generate.h"
#include "platform/ini.h"
#include "plugin/dorvik.h"

namespace {

using namespace krav;

// A today list of 10,000 occurrences, none of them in the checked minute.
dorvik::DorvikState TodayList() {
  dorvik::DorvikState s;
  s.root = "/nonexistent/";
  s.user = "bench";
  for (int i = 0; i < 10000; ++i) {
    std::string line = "3";
    line += kSep3;
    line += "01.01.2000 12:00";
    line += kSep4;
    line += "text " + std::to_string(i);
    line += kSep4;
    line += std::to_string(i);
    line += kSep4;
    line += "/nonexistent/Users/bench/mess.dat";
    s.today.push_back(line);
  }
  return s;
}

void ActingCheckNothingDue(benchmark::State& state) {
  auto s = TodayList();
  for (auto _ : state) {
    s.lastMinute.clear();  // every iteration checks the list
    dorvik::ActingCheck(s);
  }
}

void Reload(benchmark::State& state) {
  static const std::string root = bench::MakeRoot(100000, 10000);
  dorvik::DorvikState s;
  s.root = root;
  s.user = "bench";
  for (auto _ : state) dorvik::Reload(s);
  state.counters["today"] = static_cast<double>(s.today.size());
}

void LoadAndSplitBaseline(benchmark::State& state) {
  static const std::string root = bench::MakeRoot(100000, 10000);
  std::vector<std::string> fields;
  for (auto _ : state) {
    Lines lines;
    LoadLines(root + "Users/bench/mess.dat", lines);
    for (const auto& l : lines) SplitByChar(l, fields, kSep3);
    benchmark::DoNotOptimize(fields.data());
  }
}

BENCHMARK(ActingCheckNothingDue)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadAndSplitBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(Reload)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
