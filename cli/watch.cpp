#include "cli/watch.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/output.h"
#include "cli/terminal.h"
#include "core/cp1250.h"
#include "core/notices.h"
#include "dialog/folder_listing.h"
#include "dialog/folder_watch.h"
#include "scanner/scan_turn_report.h"

namespace talvorix {
namespace {

constexpr auto kLookInterval = std::chrono::milliseconds(250);

void Print(std::string_view text) {
  WriteText(stdout, text);
  std::fflush(stdout);
}

void PrintReport(const std::string& path, const WatchOptions& options) {
  ResultTable table;
  ScanTurnReport(path, &table);
  const std::string shownPath = ArgumentAsUtf8(path);
  if (options.json) {
    Print(FormatJsonLine(shownPath, table) + "\n");
    return;
  }
  const std::string header = "==> " + EscapeControlBytes(shownPath) + " <==\n";
  if (table.count() < 0) {
    Print(header + Cp1250ToUtf8(kNoSuchFileNotice) + "\n\n");
    return;
  }
  Print(header + FormatRecords(table) + "\n");
}

int64_t NowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int WatchFolderAndPrint(const std::string& folder, const WatchOptions& options) {
  const std::optional<std::vector<FolderEntry>> first = ListFolder(folder);
  if (!first || !IsFolderPath(folder)) {
    WriteText(stderr, "talvorix-cli: " + EscapeControlBytes(ArgumentAsUtf8(folder)) + ": " +
                          Cp1250ToUtf8(kNoSuchFileNotice) + "\n");
    return 2;
  }
  ReportSettler settler;
  if (const FolderEntry* newest = NewestReport(*first)) {
    settler.Shown(*newest);
    PrintReport(PathInFolder(folder, newest->name), options);
    if (options.once) return 0;
  }
  for (;;) {
    std::this_thread::sleep_for(kLookInterval);
    // A folder that cannot be read for a moment (renamed, removed) is looked at again.
    const std::optional<std::vector<FolderEntry>> listing = ListFolder(folder);
    if (!listing) continue;
    int64_t wakeIn = 0;
    const std::optional<FolderEntry> settled = settler.Look(*listing, NowMilliseconds(), &wakeIn);
    if (!settled) continue;
    PrintReport(PathInFolder(folder, settled->name), options);
    if (options.once) return 0;
  }
}

}  // namespace talvorix
