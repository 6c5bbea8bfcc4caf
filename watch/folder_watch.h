#pragma once
// A watched folder: its files as a listing gives them, and the decision which report to
// load from it and when, for the dialog and for talvorix-cli --watch alike.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvorix {

/// How long a report's size and modification time must hold before it is loaded, so
/// that a save still being written is never shown.
inline constexpr int64_t kStableMilliseconds = 300;
/// How long a settled report that cannot be opened (locked, not yet readable) is tried
/// again before it shows as a report that cannot be read, and how often.
inline constexpr int64_t kUnreadableRetryMilliseconds = 3000;
inline constexpr int64_t kRetryIntervalMilliseconds = 250;
/// The whole folder is listed at most this often, however many notifications arrive.
inline constexpr int64_t kListingIntervalMilliseconds = 250;

/// One regular file of a folder.
struct FolderEntry {
  std::string name;      // the file's own name, in the folder source's form of names
  uint64_t size = 0;     // in bytes
  int64_t modified = 0;  // modification time, in the source's file-time unit and epoch
  bool operator==(const FolderEntry&) const = default;
};

/// Whether a file name is that of a saved report: it ends in ".htm", ".html", ".mht" or
/// ".mhtml" in any letter case (and is more than the ending).
bool IsReportName(std::string_view name);

/// The last component of a path, without the separators ('/' or '\') after it.
std::string_view LastPathComponent(std::string_view path);

/// A file's path in a folder, joined with the platform's separator (a Windows path that
/// begins with \\?\ takes no '/').
std::string PathInFolder(std::string_view folder, std::string_view name);

/// Decides when which report of a watched folder is to be loaded. A report is a file
/// with a report's name that is not empty; it is a finished save once its size and time
/// have held for kStableMilliseconds. The newest report is the one that settled last,
/// as the watcher saw it, whatever its time stamp says; only the reports already there
/// when the watch starts are ranked by modification time (a time in the future counting
/// as the present), then by name. A report older than the one on screen never replaces
/// it, and a report that keeps changing holds back no other.
class ReportSettler {
 public:
  /// Forgets every report.
  void Reset();
  /// Starts over with the folder's first listing, taken at `now` (steady milliseconds);
  /// `fileNow` is the present in the listing's file-time unit.
  void Start(const std::vector<FolderEntry>& listing, int64_t now, int64_t fileNow);
  /// Takes a whole listing of the folder: reports not in it are gone.
  void Update(const std::vector<FolderEntry>& listing, int64_t now);
  /// Takes what one file of the folder is now; nullopt when it is gone.
  void Update(std::string_view name, const std::optional<FolderEntry>& entry, int64_t now);
  /// The report to load now, if any, which is then taken as shown. Sets `*wakeIn` to the
  /// milliseconds after which to call again (0: only after a change).
  std::optional<FolderEntry> Next(int64_t now, int64_t* wakeIn);
  /// The report that Next gave could not be opened. True while it is to be tried again
  /// (the report shown before stays shown, and Next gives it again in
  /// kRetryIntervalMilliseconds); false once it has failed for
  /// kUnreadableRetryMilliseconds, when it is to be shown as unreadable.
  bool RetryUnreadable(std::string_view name, int64_t now);
  /// Whether the folder holds any report, settled or not.
  bool HasReports() const { return !reports_.empty(); }

 private:
  struct Report {
    FolderEntry entry;
    int64_t changedAt = 0;  // when its size or time last changed (steady ms)
    uint64_t order = 0;     // the rank in which it settled; 0 while not settled
    bool atStart = false;   // there when the watch started
    int64_t giveUpAt = 0;   // while unreadable: when to stop trying
    int64_t retryAt = 0;    // while unreadable: when to try again
  };
  void Put(const FolderEntry& entry, int64_t now, bool atStart);
  void SettleDue(int64_t now);

  std::map<std::string, Report, std::less<>> reports_;
  uint64_t lastOrder_ = 0;
  uint64_t shownOrder_ = 0;   // the order of the report on screen; 0 for none
  uint64_t shownBefore_ = 0;  // the order shown before the last Next gave a report
  int64_t fileNow_ = INT64_MAX;
};

}  // namespace talvorix
