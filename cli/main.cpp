// talvorix-cli: prints the riddles of turn reports with their answers.

#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/arguments.h"
#include "cli/checked_output.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/terminal.h"
#include "cli/translate.h"
#include "cli/watch.h"
#include "core/version.h"
#include "scanner/scan_turn_report.h"

namespace {

using talvorix::CliOptions;
using talvorix::kExitOk;
using talvorix::kExitUnreadable;
using talvorix::kExitUsage;
using talvorix::Translate;

constexpr const char* kUsage = talvorix::MarkForTranslation(
    "Usage: talvorix-cli [--json] REPORT...\n"
    "       talvorix-cli [--json] [--once] --watch FOLDER\n"
    "Finds the Hall and hermit riddles in saved turn reports and prints each with its answer.\n"
    "\n"
    "  --json     one JSON object per report and line: path, count, records (text, answer, title,\n"
    "             kind, solved)\n"
    "  --watch    print the folder's newest report (.htm, .html, .mht, .mhtml), then each\n"
    "             report saved into it, once its save has finished; until interrupted\n"
    "  --once     with --watch: print one report (waiting for the first if there is none) and exit\n"
    "  -h, --help  show this help\n"
    "  --version  show the version\n"
    "  --         treat every later argument as a report path\n"
    "\n"
    "Exit status: 0 when every report could be read, 2 when one could not, 64 for bad usage,\n"
    "74 when the output could not be written.\n");

/// Error output: when it fails as well there is nowhere left to say so.
void PrintError(std::string_view text) { static_cast<void>(talvorix::WriteText(stderr, text)); }

/// A usage error: the program's name and the message, then, where it helps, an empty
/// line and the usage.
int ShowUsageError(const talvorix::UsageError& error) {
  PrintError("talvorix-cli: " + error.message + (error.showUsage ? "\n\n" : "\n"));
  if (error.showUsage) PrintError(Translate(kUsage));
  return kExitUsage;
}

/// The help or the version on standard output.
int PrintText(std::string_view text) {
  talvorix::CheckedOutput out(stdout);
  out.Write(text);
  return talvorix::FinishOutput(out, kExitOk);
}

/// Reads each report and prints its block, in order. A failed write ends the run at
/// once: nothing more could reach the reader.
int PrintReports(const std::vector<std::string>& reports, bool json) {
  talvorix::CheckedOutput out(stdout);
  talvorix::ReportPrinter printer(out, {.json = json, .headers = reports.size() > 1, .live = false});
  int status = kExitOk;
  for (const std::string& path : reports) {
    talvorix::ResultTable table;
    if (talvorix::ScanTurnReport(path, &table) < 0) status = kExitUnreadable;
    if (!printer.Print(path, table)) break;
  }
  return talvorix::FinishOutput(out, status);
}

}  // namespace

int main(int argc, char** argv) {
  talvorix::StartTranslation();
  const std::variant<CliOptions, talvorix::UsageError> parsed =
      talvorix::ParseArguments(talvorix::ProgramArguments(argc, argv));
  if (const auto* error = std::get_if<talvorix::UsageError>(&parsed)) return ShowUsageError(*error);
  const CliOptions& options = std::get<CliOptions>(parsed);
  switch (options.mode) {
    case CliOptions::Mode::kHelp:
      return PrintText(Translate(kUsage));
    case CliOptions::Mode::kVersion:
      return PrintText("talvorix-cli " + std::string(talvorix::kVersion) + "\n");
    case CliOptions::Mode::kWatch:
      return talvorix::WatchFolderAndPrint(options.folder, {.json = options.json, .once = options.once});
    case CliOptions::Mode::kReports:
      break;
  }
  return PrintReports(options.reports, options.json);
}
