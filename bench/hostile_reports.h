#pragma once
// Report bytes for measuring the scan: ordinary pages and hostile ones.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace talvorix::bench {

/// Ordinary report lines (HTML with game events, no riddle) up to about `bytes`.
std::string OrdinaryReport(std::size_t bytes);

/// A hermit puzzle that is opened, greeted and never closed: `lines` lines gathered.
std::string UnclosedHermitReport(std::size_t lines);

/// `count` small Hall riddles, one after the other.
std::string ManyPuzzlesReport(std::size_t count);

/// The bundled sample reports in `examplesDir`; a file that cannot be read is empty.
std::vector<std::string> SampleReports(const std::string& examplesDir);

/// Whole turn reports (`samples`) back to back, round and round, up to about `bytes`:
/// an archive as dense in riddles as the reports themselves.
std::string RiddleDenseReport(std::span<const std::string> samples, std::size_t bytes);

/// One line of `bytes` characters without a line feed.
std::string SingleLineReport(std::size_t bytes);

/// `bytes` NUL bytes without a line feed.
std::string NulRunReport(std::size_t bytes);

}  // namespace talvorix::bench
