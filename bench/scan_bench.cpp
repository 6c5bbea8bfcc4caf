// Scan throughput on the sample report and on large ordinary and hostile reports. Each
// large shape runs at two sizes, the second twice the first, so the ratio of their
// times shows whether the scan stays linear.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
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

void BM_ScanSampleReport(benchmark::State& state) {
  std::ifstream in(std::string(TALVORIX_SOURCE_DIR) + "/examples/fordulo-112.html", std::ios::binary);
  const std::string report((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (report.empty()) state.SkipWithError("cannot read examples/fordulo-112.html");
  RunScan(state, report);
}
BENCHMARK(BM_ScanSampleReport)->Unit(benchmark::kMicrosecond);

void BM_ScanSampleSized(benchmark::State& state) {
  RunScan(state, OrdinaryReport(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ScanSampleSized)->Arg(4 << 10)->Unit(benchmark::kMicrosecond);

void BM_ScanOrdinary(benchmark::State& state) {
  RunScan(state, OrdinaryReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanOrdinary)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_ScanUnclosedHermit(benchmark::State& state) {
  RunScan(state, UnclosedHermitReport(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ScanUnclosedHermit)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);

void BM_ScanManyPuzzles(benchmark::State& state) {
  RunScan(state, ManyPuzzlesReport(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ScanManyPuzzles)->Arg(100'000)->Arg(200'000)->Unit(benchmark::kMillisecond);

void BM_ScanSingleLine(benchmark::State& state) {
  RunScan(state, SingleLineReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanSingleLine)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ScanNulRun(benchmark::State& state) {
  RunScan(state, NulRunReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanNulRun)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvorix::bench

BENCHMARK_MAIN();
