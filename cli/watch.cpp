#include "cli/watch.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/checked_output.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/terminal.h"
#include "cli/translate.h"
#include "core/cp1250.h"
#include "core/notices.h"
#include "scanner/scan_turn_report.h"
#include "watch/folder_events.h"
#include "watch/folder_listing.h"
#include "watch/folder_watch.h"

namespace talvorix {
namespace {

/// How often an idle watch checks that its output is still read, and where the system
/// gives no notifications, how often it lists the folder.
constexpr int64_t kIdleLookMilliseconds = 1000;
constexpr int64_t kPollMilliseconds = 500;

int64_t NowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int OutputFailed(int error) {
  ReportWriteError(error);
  return kExitIoError;
}

}  // namespace

int WatchFolderAndPrint(const std::string& folder, const WatchOptions& options) {
  const std::optional<std::vector<FolderEntry>> first = ListFolder(folder);
  if (!first || !IsFolderPath(folder)) {
    WriteText(stderr, "talvorix-cli: " + EscapeControlBytes(ArgumentAsUtf8(folder)) + ": " +
                          Cp1250ToUtf8(kNoSuchFileNotice) + "\n");
    return kExitUnreadable;
  }
  // Said on standard error, so that standard output holds reports alone.
  WriteText(stderr, Format(Translate("Watching folder: %s"), {EscapeControlBytes(ArgumentAsUtf8(folder))}) + "\n");
  ReportSettler settler;
  int64_t lastListing = NowMilliseconds();
  settler.Start(*first, lastListing, FileTimeNow());
  if (!settler.HasReports()) WriteText(stderr, std::string(Translate("No report in this folder yet")) + "\n");
  std::fflush(stderr);  // at once, also where the runtime buffers a redirected stderr
  CheckedOutput out(stdout);
  // Each report as batch mode prints it among several, its block handed over at once.
  ReportPrinter printer(out, {.json = options.json, .headers = true, .live = true});
  bool listingDue = false;
  FolderEvents events;
  events.Open(folder);
  for (;;) {
    const int64_t now = NowMilliseconds();
    int64_t wakeIn = 0;
    if (const std::optional<FolderEntry> settled = settler.Next(now, &wakeIn)) {
      const std::string path = PathInFolder(folder, settled->name);
      ResultTable table;
      if (ScanTurnReport(path, &table) < 0 && settler.RetryUnreadable(settled->name, now)) {
        wakeIn = wakeIn == 0 ? kRetryIntervalMilliseconds : std::min(wakeIn, kRetryIntervalMilliseconds);
      } else {
        if (!printer.Print(path, table)) return OutputFailed(out.error());
        if (options.once) return FinishOutput(out, table.count() < 0 ? kExitUnreadable : kExitOk);
      }
    }
    if (OutputReaderGone(stdout)) return OutputFailed(EPIPE);
    int64_t wait = events.open() ? kIdleLookMilliseconds : kPollMilliseconds;
    if (wakeIn > 0) wait = std::min(wait, wakeIn);
    if (listingDue) wait = std::clamp<int64_t>(kListingIntervalMilliseconds - (now - lastListing), 1, wait);
    bool ready = false;
    const FolderChanges changes = events.Wait(wait, &ready);
    const int64_t then = NowMilliseconds();
    for (const std::string& name : changes.names)
      if (IsReportName(name)) settler.Update(name, StatFolderFile(folder, name), then);
    if (changes.unknown || changes.gone || (!events.open() && !ready)) listingDue = true;
    if (listingDue && then - lastListing >= kListingIntervalMilliseconds) {
      // A folder that cannot be read for a moment (renamed, removed) is looked at again.
      if (const std::optional<std::vector<FolderEntry>> listing = ListFolder(folder)) settler.Update(*listing, then);
      lastListing = then;
      listingDue = false;
      if (!events.open()) events.Open(folder);
    }
  }
}

}  // namespace talvorix
