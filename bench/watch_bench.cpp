// What watching a big download folder costs: one whole listing of a folder of 100,000
// other files and a few reports, one look at a single file named by a notification,
// and the settling decision over many reports.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "watch/folder_listing.h"
#include "watch/folder_watch.h"

namespace {

namespace fs = std::filesystem;

/// A folder of `others` files that are not reports and `reports` reports, made once per
/// shape and removed at exit.
const fs::path& BigFolder(int others, int reports) {
  static std::map<std::pair<int, int>, fs::path> made;
  static struct Cleanup {
    ~Cleanup() {
      for (const auto& [shape, path] : made) fs::remove_all(path);
    }
  } cleanup;
  fs::path& path = made[{others, reports}];
  if (!path.empty()) return path;
  path = fs::temp_directory_path() /
         ("talvorix-watch-bench-" + std::to_string(getpid()) + "-" + std::to_string(others) + "-" + std::to_string(reports));
  fs::create_directories(path);
  for (int i = 0; i < others; ++i) std::ofstream(path / ("kep-" + std::to_string(i) + ".jpg")) << "x";
  for (int i = 0; i < reports; ++i) std::ofstream(path / ("fordulo-" + std::to_string(i) + ".html")) << "<HTML>";
  return path;
}

void BM_ListFolder(benchmark::State& state) {
  const std::string folder = BigFolder(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::size_t found = 0;
  for (auto _ : state) {
    const auto listing = talvorix::ListFolder(folder);
    found = listing ? listing->size() : 0;
    benchmark::DoNotOptimize(found);
  }
  state.counters["reports"] = static_cast<double>(found);
  state.SetItemsProcessed(state.iterations() * (state.range(0) + state.range(1)));
}
BENCHMARK(BM_ListFolder)->Args({100'000, 10})->Args({10'000, 10})->Unit(benchmark::kMillisecond);

void BM_StatNamedFile(benchmark::State& state) {
  const std::string folder = BigFolder(100'000, 10);
  for (auto _ : state) benchmark::DoNotOptimize(talvorix::StatFolderFile(folder, "fordulo-5.html"));
}
BENCHMARK(BM_StatNamedFile)->Unit(benchmark::kMicrosecond);

void BM_SettleLook(benchmark::State& state) {
  std::vector<talvorix::FolderEntry> listing;
  for (int i = 0; i < state.range(0); ++i) listing.push_back({"fordulo-" + std::to_string(i) + ".html", 100, i});
  talvorix::ReportSettler settler;
  settler.Start(listing, 0, 1'000'000);
  int64_t now = 1000;
  for (auto _ : state) {
    settler.Update(listing, now);
    int64_t wakeIn = 0;
    benchmark::DoNotOptimize(settler.Next(now, &wakeIn));
    now += 250;
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SettleLook)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
