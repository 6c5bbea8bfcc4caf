// Scan throughput on the sample report and on large ordinary and hostile reports. Each
// large shape runs at two sizes, the second twice the first, so the ratio of their
// times shows whether the scan stays linear. The saved-page figures scan one 100 MB
// report from files, as the game sends it and as browsers and editors save it, also as
// a single file.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "bench/hostile_reports.h"
#include "core/cp1250.h"
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

/// The bundled sample reports back to back: a riddle in about every kilobyte.
void BM_ScanRiddleDense(benchmark::State& state) {
  const std::vector<std::string> samples = SampleReports(std::string(TALVORIX_SOURCE_DIR) + "/examples");
  for (const std::string& sample : samples)
    if (sample.empty()) state.SkipWithError("cannot read the sample reports");
  RunScan(state, RiddleDenseReport(samples, static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanRiddleDense)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ScanSingleLine(benchmark::State& state) {
  RunScan(state, SingleLineReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanSingleLine)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ScanNulRun(benchmark::State& state) {
  RunScan(state, NulRunReport(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_ScanNulRun)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

/// The forms of one saved report.
enum class SavedForm { kWindows1250, kUtf8, kUtf8LowerCaseTags, kUtf16Le, kSingleFile };

std::string Respelt(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

std::string Utf16Le(std::string_view utf8Text) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + 2 * utf8Text.size());
  for (std::size_t i = 0; i < utf8Text.size();) {
    const auto lead = static_cast<unsigned char>(utf8Text[i]);
    char32_t unit = lead;
    std::size_t length = 1;
    if (lead >= 0xE0) {  // the ordinary report's characters are all below U+10000
      unit = ((lead & 0x0Fu) << 12) | ((utf8Text[i + 1] & 0x3Fu) << 6) | (utf8Text[i + 2] & 0x3Fu);
      length = 3;
    } else if (lead >= 0xC0) {
      unit = ((lead & 0x1Fu) << 6) | (utf8Text[i + 1] & 0x3Fu);
      length = 2;
    }
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
    i += length;
  }
  return bytes;
}

/// A single-file save of a Windows-1250 page as a browser writes it: tags in lower case,
/// the page part quoted-printable in lines of at most 76 with soft line breaks.
std::string SingleFileSave(std::string_view page) {
  constexpr std::string_view kBoundary = "----MultipartBoundary--OJnVP7jwI1cc0WzLLiH4dQbtL5so5znEVFDtREOfQD----";
  std::string bytes = "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"";
  bytes += kBoundary;
  bytes += "\"\r\n\r\n\r\n--";
  bytes += kBoundary;
  bytes += "\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
  bytes.reserve(bytes.size() + page.size() * 3 / 2);
  std::size_t width = 0;
  for (std::size_t i = 0; i < page.size(); ++i) {
    const auto byte = static_cast<unsigned char>(page[i]);
    if (byte == '\r' && i + 1 < page.size() && page[i + 1] == '\n') {
      bytes += "\r\n";
      ++i;
      width = 0;
      continue;
    }
    const bool plain = byte >= 0x20 && byte < 0x7F && byte != '=';
    if (width + (plain ? 1 : 3) > 75) {
      bytes += "=\r\n";
      width = 0;
    }
    if (plain) {
      bytes.push_back(static_cast<char>(byte));
    } else {
      constexpr std::string_view kHex = "0123456789ABCDEF";
      bytes += {'=', kHex[byte >> 4], kHex[byte & 0xF]};
    }
    width += plain ? 1 : 3;
  }
  bytes += "\r\n--";
  bytes += kBoundary;
  bytes += "--\r\n";
  return bytes;
}

/// The 100 MB ordinary report in `form`, written to a file once per run of the program.
const std::string& SavedReportFile(SavedForm form) {
  struct Files {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("talvorix-bench-" + std::to_string(::getpid()));
    std::string paths[5];
    ~Files() {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  };
  static Files files;
  std::string& path = files.paths[static_cast<int>(form)];
  if (!path.empty()) return path;
  const std::string report = OrdinaryReport(std::size_t{100} << 20);
  std::string bytes;
  switch (form) {
    case SavedForm::kWindows1250: bytes = report; break;
    case SavedForm::kUtf8: bytes = Cp1250ToUtf8(report); break;
    case SavedForm::kUtf8LowerCaseTags: bytes = Cp1250ToUtf8(Respelt(report, "<BR>", "<br>")); break;
    case SavedForm::kUtf16Le: bytes = Utf16Le(Cp1250ToUtf8(report)); break;
    case SavedForm::kSingleFile: bytes = SingleFileSave(Respelt(report, "<BR>", "<br>")); break;
  }
  std::filesystem::create_directories(files.dir);
  path = (files.dir / ("report-" + std::to_string(static_cast<int>(form)) + ".html")).string();
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

/// Scans the report file as the CLI and the dialogs do. Bytes per second count the
/// file's bytes, so the times, not the rates, compare the forms.
void BM_ScanSavedReport(benchmark::State& state) {
  const std::string& path = SavedReportFile(static_cast<SavedForm>(state.range(0)));
  for (auto _ : state) {
    ResultTable table;
    benchmark::DoNotOptimize(ScanTurnReport(path, &table));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ScanSavedReport)
    ->ArgName("form")
    ->Arg(static_cast<int>(SavedForm::kWindows1250))
    ->Arg(static_cast<int>(SavedForm::kUtf8))
    ->Arg(static_cast<int>(SavedForm::kUtf8LowerCaseTags))
    ->Arg(static_cast<int>(SavedForm::kUtf16Le))
    ->Arg(static_cast<int>(SavedForm::kSingleFile))
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvorix::bench

BENCHMARK_MAIN();
