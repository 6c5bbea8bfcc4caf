#pragma once
// Finds the Hall and hermit puzzles of a turn report, solves them and collects the results.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/puzzle_result.h"
#include "scanner/examined_lines.h"  // TriggerPhrases
#include "scanner/report_file.h"

namespace talvorix {

/// Scans the report file at `path` (8-bit file name), opened once (ReportFile::Open) and
/// read up to the size it had then. A page saved in another form (UTF-8, UTF-16, other
/// spellings of the line-break tag) is read in the game's form first (saved_page.h), and
/// so is the page of a single-file save (single_file_save.h);
/// a report in the game's form is read exactly as it is. Returns -1, leaving `table` empty with count -1, when
/// the path is not a regular file that can be opened for reading, or when its size
/// exceeds `byteLimit` (then it is not read at all); otherwise fills `table` and returns
/// the number of records.
int32_t ScanTurnReport(const std::string& path, ResultTable* table,
                       std::optional<uint64_t> byteLimit = std::nullopt);

/// Scans a report that was opened already, as ScanTurnReport: nullopt (it could not be
/// opened) and a size over `byteLimit` give -1. The file is closed on return.
int32_t ScanReportFile(std::optional<ReportFile> file, ResultTable* table,
                       std::optional<uint64_t> byteLimit = std::nullopt);

/// Scans report bytes as the file would deliver them, in the game's form as they are.
/// A pure function of the bytes.
ResultTable ScanTurnReportText(std::string_view bytes);

/// Solves one complete puzzle text (read up to its first NUL, if it holds one) into
/// `result` and `outcome` (which kind, whether it has an answer); the bool says whether
/// the solve succeeded.
using PuzzleSolver = std::function<bool(std::string_view text, PuzzleResult* result, PuzzleOutcome* outcome)>;

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
