// Writes seed inputs for the puzzle fuzz targets: every puzzle text that a scan of the
// given reports hands to a solver, and every sentence of the hermit texts.
// Usage: extract_seeds OUT_DIR REPORT...   (writes OUT_DIR/{hall,hermit,number}/)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "scanner/scan_turn_report.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& folder, const std::string& name, std::string_view bytes) {
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: extract_seeds OUT_DIR REPORT...\n");
    return 64;
  }
  const fs::path out = argv[1];
  int written = 0;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string report((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string stem = fs::path(argv[i]).stem().string();
    int n = 0;
    talvorix::PuzzleSolvers solvers{
        [&](std::string_view text, talvorix::PuzzleResult*, talvorix::PuzzleOutcome*) {
          Write(out / "hall", stem + "-" + std::to_string(++n), text);
          ++written;
          return true;
        },
        [&](std::string_view whole, talvorix::PuzzleResult*, talvorix::PuzzleOutcome*) {
          const std::string name = stem + "-" + std::to_string(++n);
          Write(out / "hermit", name, whole);
          std::size_t start = 0;
          for (int s = 1; start < whole.size(); ++s) {
            std::size_t stop = whole.find('.', start);
            if (stop == std::string_view::npos) stop = whole.size();
            Write(out / "number", name + "-" + std::to_string(s), whole.substr(start, stop - start));
            start = stop + 1;
          }
          ++written;
          return true;
        },
    };
    talvorix::ScanTurnReportText(report, solvers);
  }
  std::printf("%d puzzle texts written under %s\n", written, out.string().c_str());
  return 0;
}
