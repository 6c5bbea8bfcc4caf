#pragma once
// Finds the Hall and hermit puzzles of a turn report, solves them and collects the results.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/puzzle_result.h"

namespace talvorix {

/// Scans the report file at `path` (8-bit file name). Returns -1, leaving `table`
/// empty with count -1, when the path is not a regular file that can be opened for
/// reading; otherwise fills `table` and returns the number of records.
int32_t ScanTurnReport(const std::string& path, ResultTable* table);

/// Scans report bytes as the file would deliver them. A pure function of the bytes.
ResultTable ScanTurnReportText(std::string_view bytes);

/// Scans a report from a file that the caller has opened for reading (binary mode)
/// and still owns; for platforms that open files by names of their own kind.
ResultTable ScanTurnReportFile(std::FILE* file);

/// Scans the report at `path` with the file that `open` opens for reading (binary
/// mode), called only once the path is known to name a regular file; closes it. -1,
/// as ScanTurnReport, when it is not one or `open` gives nullptr. For platforms that
/// open files by names of their own kind.
int32_t ScanRegularFile(const std::filesystem::path& path, const std::function<std::FILE*()>& open,
                        ResultTable* table);

/// The phrases that arm a Hall puzzle or start a hermit puzzle, in Windows-1250.
std::vector<std::string_view> TriggerPhrases();

/// Solves one complete puzzle text (a writable NUL-terminated buffer and its size
/// with the NUL) into `result`; the bool says whether the solve succeeded.
using PuzzleSolver = std::function<bool(char* text, int32_t size, PuzzleResult* result)>;

/// The solvers a scan hands its puzzle texts to.
struct PuzzleSolvers {
  PuzzleSolver hall;
  PuzzleSolver hermit;
};

/// The Hall and hermit puzzles of the engine.
PuzzleSolvers EngineSolvers();

/// Scans report bytes with the given solvers (tests watch the puzzle texts this way).
ResultTable ScanTurnReportText(std::string_view bytes, const PuzzleSolvers& solvers);

}  // namespace talvorix
