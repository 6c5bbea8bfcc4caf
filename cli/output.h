#pragma once
// How the command-line front end prints a report's results (UTF-8).

#include <string>
#include <string_view>

#include "cli/checked_output.h"
#include "core/puzzle_result.h"

namespace talvorix {

/// Every record as the dialog shows it: "[k/N]" and the title, the text, and
/// "Megoldás : " with the answer; or the notice for a report without puzzles.
/// A table with count -1 gives the empty string. Control characters of a field (C0
/// but the tab and the line feed, DEL, and the code page's undefined bytes) are
/// written as \xHH.
std::string FormatRecords(const ResultTable& table);

/// FormatRecords written to `out` one record at a time; false, having stopped, when a
/// write failed (out.error() tells why).
bool WriteRecords(CheckedOutput& out, const ResultTable& table);

/// One JSON object on one line: {"path", "count", "records": [{"text", "answer", "title",
/// "kind", "solved"}]}; "kind" is KindName of the record's outcome, "solved" whether it
/// has an answer.
std::string FormatJsonLine(std::string_view path, const ResultTable& table);

/// FormatJsonLine and a line feed written to `out` one record at a time, so the
/// output never holds more than one record; false, having stopped, when a write failed.
bool WriteJsonLine(CheckedOutput& out, std::string_view path, const ResultTable& table);

/// How reports follow one another on the output.
struct ReportLayout {
  bool json = false;     // one JSON line per report instead of text blocks
  bool headers = false;  // text: each block opens with "==> PATH <=="
  /// For a reader that takes each report as it comes (--watch): a text block ends with
  /// an empty line, and each block, its notice included, is handed to the system at
  /// once. Otherwise an empty line stands between text blocks, and the stream's buffer
  /// decides when they leave.
  bool live = false;
};

/// Prints reports one after another, each as a block: with `json` its JSON line
/// (WriteJsonLine, the path as ArgumentAsUtf8 gives it), else the header and the
/// records (WriteRecords). A report that could not be read (count -1) has no records:
/// "talvorix-cli: PATH: Nincs ilyen fájl" goes to standard error instead, as every
/// notice of the program does. Shown paths are escaped (EscapeControlBytes).
class ReportPrinter {
 public:
  ReportPrinter(CheckedOutput& out, const ReportLayout& layout) : out_(out), layout_(layout) {}

  /// Prints one report's block; false, having stopped, when a write failed
  /// (out.error() tells why).
  bool Print(std::string_view path, const ResultTable& table);

 private:
  CheckedOutput& out_;
  ReportLayout layout_;
  bool first_ = true;
};

/// A path (or any argument) as it may reach a terminal: each control byte (0x00-0x1F
/// and 0x7F), and each C1 control in UTF-8 (C2 80 to C2 9F), becomes \xHH in
/// lower-case hex. Everything else stays as it is: other bytes from 0x80 up (names in
/// any encoding) and the backslash, the separator of Windows paths.
std::string EscapeControlBytes(std::string_view bytes);

}  // namespace talvorix
