// make_reports DIR [NAME...]: writes the benchmark reports (or only the named ones) as
// files into DIR. make_reports --phrases: prints the trigger phrases, one per line.

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/hostile_reports.h"
#include "scanner/scan_turn_report.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("Usage: make_reports DIR [NAME...]\n", stderr);
    return 64;
  }
  if (std::string_view(argv[1]) == "--phrases") {
    // One trigger phrase per line, for grep -F -f.
    for (const std::string_view phrase : talvorix::TriggerPhrases()) std::printf("%.*s\n", static_cast<int>(phrase.size()), phrase.data());
    return 0;
  }
  const std::string dir = argv[1];
  namespace b = talvorix::bench;
  // Made one at a time, so only one report is in memory.
  const std::pair<const char*, std::string (*)()> kReports[] = {
      {"ordinary-100mb.html", [] { return b::OrdinaryReport(100u << 20); }},
      {"ordinary-200mb.html", [] { return b::OrdinaryReport(200u << 20); }},
      {"unclosed-hermit-1m.html", [] { return b::UnclosedHermitReport(1'000'000); }},
      {"unclosed-hermit-2m.html", [] { return b::UnclosedHermitReport(2'000'000); }},
      {"many-puzzles-100k.html", [] { return b::ManyPuzzlesReport(100'000); }},
      {"many-puzzles-200k.html", [] { return b::ManyPuzzlesReport(200'000); }},
      {"riddle-dense-100mb.html", [] { return b::RiddleDenseReport(b::SampleReports(TALVORIX_SOURCE_DIR "/examples"), 100u << 20); }},
      {"riddle-dense-200mb.html", [] { return b::RiddleDenseReport(b::SampleReports(TALVORIX_SOURCE_DIR "/examples"), 200u << 20); }},
      {"single-line-50mb.html", [] { return b::SingleLineReport(50u << 20); }},
      {"single-line-100mb.html", [] { return b::SingleLineReport(100u << 20); }},
      {"nul-run-50mb.html", [] { return b::NulRunReport(50u << 20); }},
      {"nul-run-100mb.html", [] { return b::NulRunReport(100u << 20); }},
  };
  const auto wanted = [&](std::string_view name) {
    if (argc == 2) return true;
    for (int i = 2; i < argc; ++i)
      if (name == argv[i]) return true;
    return false;
  };
  for (const auto& [name, make] : kReports) {
    if (!wanted(name)) continue;
    const std::string bytes = make();
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "make_reports: cannot write %s/%s\n", dir.c_str(), name);
      return 1;
    }
  }
  return 0;
}
