#include "bench/hostile_reports.h"

#include <array>
#include <fstream>
#include <iterator>
#include <string_view>

#include "core/cp1250.h"

namespace talvorix::bench {
namespace {

using namespace literals;

const std::array<std::string_view, 6> kOrdinaryLines = {
    u8"<P>Csapatod hajnalban kel útra a Ködös-völgyből. Az ösvény sáros, a lovak lassan haladnak.<BR>"_cp1250,
    u8"Délre elértek a Sziklakapuhoz, ahol a kovácsnál megjavíttatod a pajzsodat (3 arany).<BR>"_cp1250,
    u8"<P><B>Csata:</B> Három farkas támad rátok a fenyvesben. Mindet elkergetitek, egy sebesülés.<BR>"_cp1250,
    u8"<HR>"_cp1250,
    u8"<TR><TD>Gazdaság</TD><TD>12 arany adó, 4 zsák gabona</TD><TD>Népesség: 318</TD></TR>"_cp1250,
    u8"A hegyi úton hó esik. Két társad megfázott, pihenőt tartotok a menedékházban."_cp1250,
};

}  // namespace

std::string OrdinaryReport(std::size_t bytes) {
  std::string report;
  report.reserve(bytes + 128);
  for (std::size_t i = 0; report.size() < bytes; ++i) {
    report += kOrdinaryLines[i % kOrdinaryLines.size()];
    report += "\r\n";
  }
  return report;
}

std::string UnclosedHermitReport(std::size_t lines) {
  std::string report;
  report += u8"Rábukkansz a remete odújára.\r\n"_cp1250;
  report += u8"<BR> Üdvözöllek, ifjú galetki!\r\n"_cp1250;
  // No line holds a tag, so the puzzle never starts to close.
  for (std::size_t i = 0; i < lines; ++i) report += u8"Bori manó: A szám osztható hárommal.\r\n"_cp1250;
  return report;
}

std::string ManyPuzzlesReport(std::size_t count) {
  std::string report;
  const std::string_view puzzle =
      u8"Egy ős!\r\nKérdés:<BR>\r\nHa 3 favágó 2 hét alatt 12 fát vág ki, akkor 5 favágó 4 hét alatt hány fát vág ki?<BR>\r\n"_cp1250;
  report.reserve(count * puzzle.size());
  for (std::size_t i = 0; i < count; ++i) report += puzzle;
  return report;
}

std::vector<std::string> SampleReports(const std::string& examplesDir) {
  std::vector<std::string> samples;
  for (const char* name : {"fordulo-112.html", "fordulo-113.html", "fordulo-114.html"}) {
    std::ifstream in(examplesDir + "/" + name, std::ios::binary);
    samples.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return samples;
}

std::string RiddleDenseReport(std::span<const std::string> samples, std::size_t bytes) {
  std::string report;
  std::size_t total = 0;
  for (const std::string& sample : samples) total += sample.size();
  if (total == 0) return report;
  report.reserve(bytes + total);
  while (report.size() < bytes)
    for (const std::string& sample : samples) report += sample;
  return report;
}

std::string SingleLineReport(std::size_t bytes) {
  std::string report(bytes, 'a');
  for (std::size_t i = 100; i + 4 < bytes; i += 1000) report.replace(i, 4, "<BR>");
  return report;
}

std::string NulRunReport(std::size_t bytes) { return std::string(bytes, '\0'); }

}  // namespace talvorix::bench
