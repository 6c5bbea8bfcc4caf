// talvorix-cli: prints the riddles of turn reports with their answers.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/checked_output.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/terminal.h"
#include "cli/translate.h"
#include "cli/watch.h"
#include "core/cp1250.h"
#include "core/notices.h"
#include "core/version.h"
#include "scanner/scan_turn_report.h"
#include "watch/folder_listing.h"

namespace {

using talvorix::kExitIoError;
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
void Print(std::FILE* stream, std::string_view text) { static_cast<void>(talvorix::WriteText(stream, text)); }

/// A usage error: the program's name, the message, an empty line and the usage.
int UsageError(std::string_view message) {
  Print(stderr, "talvorix-cli: " + std::string(message) + "\n\n");
  Print(stderr, Translate(kUsage));
  return kExitUsage;
}

/// The exit status once everything for standard output has been written to `out`:
/// `status`, or kExitIoError, said on standard error, when a write or the flush failed.
int Finish(talvorix::CheckedOutput& out, int status) {
  if (out.Flush()) return status;
  talvorix::ReportWriteError(out.error());
  return kExitIoError;
}

}  // namespace

int main(int argc, char** argv) {
  talvorix::StartTranslation();
  const std::vector<std::string> arguments = talvorix::ProgramArguments(argc, argv);
  bool json = false;
  bool once = false;
  std::optional<std::string> watched;
  bool optionsDone = false;
  std::vector<std::string> reports;
  talvorix::CheckedOutput out(stdout);
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view arg = arguments[i];
    if (!optionsDone && arg == "-h") {
      out.Write(Translate(kUsage));
      return Finish(out, kExitOk);
    }
    if (!optionsDone && arg.starts_with("--")) {
      if (arg == "--") {
        optionsDone = true;
      } else if (arg == "--json") {
        json = true;
      } else if (arg == "--once") {
        once = true;
      } else if (arg == "--watch") {
        if (i + 1 >= arguments.size() || watched) return UsageError(Translate("--watch takes one folder"));
        watched = arguments[++i];
      } else if (arg == "--help") {
        out.Write(Translate(kUsage));
        return Finish(out, kExitOk);
      } else if (arg == "--version") {
        out.Write("talvorix-cli " + std::string(talvorix::kVersion) + "\n");
        return Finish(out, kExitOk);
      } else {
        return UsageError(talvorix::Format(Translate("unknown option %s"),
                                           {talvorix::EscapeControlBytes(talvorix::ArgumentAsUtf8(arg))}));
      }
      continue;
    }
    reports.emplace_back(arg);
  }
  if (watched || once) {
    if (!watched || !reports.empty())
      return UsageError(Translate("--once goes with --watch, and --watch with no report"));
    return talvorix::WatchFolderAndPrint(*watched, {.json = json, .once = once});
  }
  if (reports.empty()) return UsageError(Translate("no report given"));
  // A folder is read by watching it, never as a report.
  for (const std::string& path : reports) {
    if (!talvorix::IsFolderPath(path)) continue;
    const std::string shown = talvorix::EscapeControlBytes(talvorix::ArgumentAsUtf8(path));
    Print(stderr, "talvorix-cli: " +
                      talvorix::Format(Translate("%s is a folder, not a report; to watch it: talvorix-cli --watch %s"),
                                       {shown, shown}) +
                      "\n");
    return kExitUsage;
  }

  int status = kExitOk;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const std::string& path = reports[i];
    talvorix::ResultTable table;
    const int32_t count = talvorix::ScanTurnReport(path, &table);
    if (count < 0) status = kExitUnreadable;
    if (json) {
      if (!talvorix::WriteJsonLine(out, talvorix::ArgumentAsUtf8(path), table)) break;
      continue;
    }
    // A file name may hold any byte; control bytes never reach the terminal raw.
    const std::string shownPath = talvorix::EscapeControlBytes(talvorix::ArgumentAsUtf8(path));
    if (reports.size() > 1 && !out.Write((i > 0 ? "\n==> " : "==> ") + shownPath + " <==\n")) break;
    if (count < 0) {
      Print(stderr, "talvorix-cli: " + shownPath + ": " + talvorix::Cp1250ToUtf8(talvorix::kNoSuchFileNotice) + "\n");
      continue;
    }
    if (!talvorix::WriteRecords(out, table)) break;
  }
  // A failed write ends the run at once: nothing more could reach the reader.
  return Finish(out, status);
}
