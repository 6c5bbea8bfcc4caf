// Scan throughput on ordinary and hostile reports. Each hostile shape runs at two
// sizes, the second twice the first, so the ratio of their times shows linearity.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/hostile_reports.h"
#include "scanner/scan_turn_report.h"

namespace talvorix::bench {
namespace {

void RunScan(benchmark::State& state, const std::string& report) {
  for (auto _ : state) {
    ResultTable table = ScanTurnReportText(report);
    benchmark::DoNotOptimize(table);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(report.size()));
}

void BM_ScanSampleSized(benchmark::State& state) {
  RunScan(state, OrdinaryReport(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ScanSampleSized)->Arg(4 << 10)->Unit(benchmark::kMicrosecond);

void BM_ScanOrdinary(benchmark::State& state) {
  RunScan(state, OrdinaryReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanOrdinary)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ScanUnclosedHermit(benchmark::State& state) {
  RunScan(state, UnclosedHermitReport(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ScanUnclosedHermit)->Arg(500'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_ScanManyPuzzles(benchmark::State& state) {
  RunScan(state, ManyPuzzlesReport(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ScanManyPuzzles)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_ScanSingleLine(benchmark::State& state) {
  RunScan(state, SingleLineReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanSingleLine)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_ScanNulRun(benchmark::State& state) {
  RunScan(state, NulRunReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanNulRun)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvorix::bench

BENCHMARK_MAIN();
