#include "scanner/scan_turn_report.h"

#include <string_view>
#include <utility>

#include "hall/hall_puzzle.h"
#include "hermit/hermit_puzzle.h"
#include "scanner/examined_lines.h"
#include "scanner/line_reader.h"
#include "scanner/puzzle_trackers.h"
#include "scanner/saved_page.h"
#include "scanner/saved_page_reader.h"
#include "scanner/single_file_save.h"

namespace talvorix {
namespace {

/// One report's scan: both trackers over the one gathered text, and the records kept.
class TurnReportScan {
 public:
  explicit TurnReportScan(const PuzzleSolvers& solvers) : solvers_(solvers) {}

  /// Runs the tests on one read. Their order decides how puzzles that overlap share the
  /// gathered text, so it is part of the behaviour.
  void TakeRead(std::string_view read) {
    const auto [line, found] = lines_.Next(read);
    const bool hasBreak = found.lineBreak;
    hermit_.Gather(line, gathered_);
    if (hermit_.Start(line, found.hermitStart, gathered_)) lines_.SwitchToSingleLines();
    if (hermit_.Closes(hasBreak)) HandOverHermit();
    hermit_.Advance(hasBreak, gathered_);
    if (hall_.TakeLine(line, hasBreak, gathered_)) HandOverHall();
    if (found.ancestor) {
      hall_.Arm();
      lines_.SwitchToSingleLines();
    }
  }

  ResultTable TakeTable() { return std::move(table_); }

 private:
  void HandOverHermit() {
    PuzzleResult result;
    PuzzleOutcome outcome;
    // A puzzle that cannot be read is dropped; the puzzles after it still count.
    if (solvers_.hermit(gathered_.text(), &result, &outcome)) table_.Append(result, outcome);
    gathered_.Release();
  }

  void HandOverHall() {
    PuzzleResult result;
    PuzzleOutcome outcome;
    solvers_.hall(gathered_.text(), &result, &outcome);  // kept whatever the solve says
    table_.Append(result, outcome);
    gathered_.Release();
  }

  const PuzzleSolvers& solvers_;
  ExaminedLines lines_;
  GatheredText gathered_;
  HallTracker hall_;
  HermitTracker hermit_;
  ResultTable table_;
};

ResultTable Scan(LineReader& reader, const PuzzleSolvers& solvers) {
  TurnReportScan scan(solvers);
  std::string_view read;
  for (bool atEnd = false; !atEnd;) {
    atEnd = reader.ReadLine(kReadLimit, &read);
    scan.TakeRead(read);
  }
  return scan.TakeTable();
}

}  // namespace

PuzzleSolvers EngineSolvers() {
  return {
      [](std::string_view text, PuzzleResult* result, PuzzleOutcome* outcome) {
        HallPuzzle puzzle(text);
        const bool solved = puzzle.Solve();
        *result = puzzle.result;
        *outcome = {puzzle.kind, solved && puzzle.answered};
        return solved;
      },
      [](std::string_view text, PuzzleResult* result, PuzzleOutcome* outcome) {
        HermitPuzzle puzzle(text);
        const bool solved = puzzle.Solve();
        *result = puzzle.result;
        *outcome = {puzzle.kind, solved};
        return solved;
      },
  };
}

ResultTable ScanTurnReportText(std::string_view bytes, const PuzzleSolvers& solvers) {
  LineReader reader(bytes);
  return Scan(reader, solvers);
}

ResultTable ScanTurnReportText(std::string_view bytes) { return ScanTurnReportText(bytes, EngineSolvers()); }

int32_t ScanReportFile(std::optional<ReportFile> file, ResultTable* table, std::optional<uint64_t> byteLimit) {
  // Only a regular file counts, and one too large for the caller is not read at all.
  if (!file || (byteLimit && file->size() > *byteLimit)) {
    table->SetUnreadable();
    return -1;
  }
  // A single-file save is read through its page's decoding, then as any saved page.
  if (const std::optional<SingleFilePage> single = FindSingleFilePage(*file)) {
    SingleFilePageBytes bytes(*file, *single);
    SavedPageReader page(bytes, DetectSavedPage(bytes, single->charset));
    LineReader reader(page);
    *table = Scan(reader, EngineSolvers());
    return table->count();
  }
  // A report in the game's own form is read as it is; a page saved by a browser or an
  // editor is read through its transcoding, so both give the same records.
  const SavedPageForm form = DetectSavedPage(*file);
  if (form.AsIs()) {
    LineReader reader(*file);
    *table = Scan(reader, EngineSolvers());
  } else {
    SavedPageReader page(*file, form);
    LineReader reader(page);
    *table = Scan(reader, EngineSolvers());
  }
  return table->count();
}

int32_t ScanTurnReport(const std::string& path, ResultTable* table, std::optional<uint64_t> byteLimit) {
  return ScanReportFile(ReportFile::Open(path), table, byteLimit);
}

}  // namespace talvorix