// make_reports DIR: writes the benchmark reports as files into DIR.

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "bench/hostile_reports.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: make_reports DIR\n", stderr);
    return 64;
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
      {"single-line-50mb.html", [] { return b::SingleLineReport(50u << 20); }},
      {"single-line-100mb.html", [] { return b::SingleLineReport(100u << 20); }},
      {"nul-run-50mb.html", [] { return b::NulRunReport(50u << 20); }},
      {"nul-run-100mb.html", [] { return b::NulRunReport(100u << 20); }},
  };
  for (const auto& [name, make] : kReports) {
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
