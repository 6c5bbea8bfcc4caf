// talvorix-cli: prints the riddles of turn reports with their answers.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output.h"
#include "cli/terminal.h"
#include "cli/watch.h"
#include "core/cp1250.h"
#include "core/notices.h"
#include "core/version.h"
#include "scanner/scan_turn_report.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 2;
constexpr int kExitUsage = 64;

constexpr std::string_view kUsage =
    "Usage: talvorix-cli [--json] REPORT...\n"
    "       talvorix-cli [--json] [--once] --watch FOLDER\n"
    "Finds the Hall and hermit riddles in saved turn reports and prints each with its answer.\n"
    "\n"
    "  --json     one JSON object per report and line: path, count, records (text, answer, title)\n"
    "  --watch    print the folder's newest report (.htm, .html), then each report saved\n"
    "             into it, once its save has finished; until interrupted\n"
    "  --once     with --watch: print one report (waiting for the first if there is none) and exit\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "  --         treat every later argument as a report path\n"
    "\n"
    "Exit status: 0 when every report could be read, 2 when one could not, 64 for bad usage.\n";

void Print(std::FILE* stream, std::string_view text) { talvorix::WriteText(stream, text); }

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = talvorix::ProgramArguments(argc, argv);
  bool json = false;
  bool once = false;
  std::optional<std::string> watched;
  bool optionsDone = false;
  std::vector<std::string> reports;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view arg = arguments[i];
    if (!optionsDone && arg.starts_with("--")) {
      if (arg == "--") {
        optionsDone = true;
      } else if (arg == "--json") {
        json = true;
      } else if (arg == "--once") {
        once = true;
      } else if (arg == "--watch") {
        if (i + 1 >= arguments.size() || watched) {
          Print(stderr, "talvorix-cli: --watch takes one folder\n\n");
          Print(stderr, kUsage);
          return kExitUsage;
        }
        watched = arguments[++i];
      } else if (arg == "--help") {
        Print(stdout, kUsage);
        return kExitOk;
      } else if (arg == "--version") {
        Print(stdout, "talvorix-cli " + std::string(talvorix::kVersion) + "\n");
        return kExitOk;
      } else {
        Print(stderr, "talvorix-cli: unknown option " + talvorix::EscapeControlBytes(talvorix::ArgumentAsUtf8(arg)) +
                          "\n\n");
        Print(stderr, kUsage);
        return kExitUsage;
      }
      continue;
    }
    reports.emplace_back(arg);
  }
  if (watched || once) {
    if (!watched || !reports.empty()) {
      Print(stderr, "talvorix-cli: --once goes with --watch, and --watch with no report\n\n");
      Print(stderr, kUsage);
      return kExitUsage;
    }
    return talvorix::WatchFolderAndPrint(*watched, {.json = json, .once = once});
  }
  if (reports.empty()) {
    Print(stderr, "talvorix-cli: no report given\n\n");
    Print(stderr, kUsage);
    return kExitUsage;
  }

  int status = kExitOk;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const std::string& path = reports[i];
    talvorix::ResultTable table;
    const int32_t count = talvorix::ScanTurnReport(path, &table);
    if (count < 0) status = kExitUnreadable;
    if (json) {
      talvorix::WriteJsonLine(stdout, talvorix::ArgumentAsUtf8(path), table);
      continue;
    }
    // A file name may hold any byte; control bytes never reach the terminal raw.
    const std::string shownPath = talvorix::EscapeControlBytes(talvorix::ArgumentAsUtf8(path));
    if (reports.size() > 1) Print(stdout, (i > 0 ? "\n==> " : "==> ") + shownPath + " <==\n");
    if (count < 0) {
      Print(stderr, "talvorix-cli: " + shownPath + ": " + talvorix::Cp1250ToUtf8(talvorix::kNoSuchFileNotice) + "\n");
      continue;
    }
    talvorix::WriteRecords(stdout, table);
  }
  std::fflush(stdout);
  return status;
}
