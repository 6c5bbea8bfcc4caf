#pragma once
// Report bytes for measuring the scan: ordinary pages and hostile ones.

#include <cstddef>
#include <string>

namespace talvorix::bench {

/// Ordinary report lines (HTML with game events, no riddle) up to about `bytes`.
std::string OrdinaryReport(std::size_t bytes);

/// A hermit puzzle that is opened, greeted and never closed: `lines` lines gathered.
std::string UnclosedHermitReport(std::size_t lines);

/// `count` small Hall riddles, one after the other.
std::string ManyPuzzlesReport(std::size_t count);

/// One line of `bytes` characters without a line feed.
std::string SingleLineReport(std::size_t bytes);

/// `bytes` NUL bytes without a line feed.
std::string NulRunReport(std::size_t bytes);

}  // namespace talvorix::bench
