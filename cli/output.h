#pragma once
// How the command-line front end prints a report's results (UTF-8).

#include <string>
#include <string_view>

#include "scanner/puzzle_result.h"

namespace talvorix {

/// Every record as the dialog shows it: "[k/N]" and the title, the text, and
/// "Megoldás : " with the answer; or the notice for a report without puzzles.
/// A table with count -1 gives the empty string.
std::string FormatRecords(const ResultTable& table);

/// One JSON object on one line: {"path", "count", "records": [{"text", "answer", "title"}]}.
std::string FormatJsonLine(std::string_view path, const ResultTable& table);

}  // namespace talvorix
