#pragma once
// A watched folder, as the dialog logic sees it: what a platform reports about the
// folder (its files, the time, change notifications) and the decision which report to
// load from it and when.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvorix {

class ResultTable;

/// Fills a table from one report and returns its count (-1, 0 or the number of records).
using ReportScan = std::function<int32_t(ResultTable* table)>;

/// How long a report's size and modification time must hold before it is loaded, so
/// that a save still being written is never shown.
inline constexpr int64_t kStableMilliseconds = 300;

/// One regular file of a folder.
struct FolderEntry {
  std::string name;      // the file's own name, in the folder source's form of names
  uint64_t size = 0;     // in bytes
  int64_t modified = 0;  // modification time, in any fixed unit and epoch
  bool operator==(const FolderEntry&) const = default;
};

/// What the dialog needs from the platform to watch a folder. A source names folders
/// and files in a form of its own, which is the 8-bit path itself unless a platform
/// keeps names that no 8-bit path can hold; FolderName turns an 8-bit path into it.
class FolderSource {
 public:
  virtual ~FolderSource() = default;
  /// Whether the 8-bit path names a folder (a link to one counts).
  virtual bool IsFolder(const std::string& path) = 0;
  /// The source's name of the folder at an 8-bit path (from the command line, the
  /// hand-over block or a drop), which the other calls take.
  virtual std::string FolderName(const std::string& path) { return path; }
  /// Reads a report of the folder's listing; an empty function when the report is to be
  /// read through the 8-bit path PathInFolder(folder, entry.name).
  virtual ReportScan Scan(const std::string& /*folder*/, const FolderEntry& /*entry*/) { return {}; }
  /// The folder's regular files; nullopt when the folder cannot be read.
  virtual std::optional<std::vector<FolderEntry>> List(const std::string& folder) = 0;
  /// A steady clock, in milliseconds.
  virtual int64_t NowMilliseconds() = 0;
  /// Reports every change in this folder through MainDialog::OnFolderChanged, in place
  /// of the folder watched before; an empty path stops reporting.
  virtual void Watch(const std::string& folder) = 0;
  /// Calls MainDialog::OnFolderChanged once, about `milliseconds` from now; a later
  /// request replaces an earlier one.
  virtual void WakeIn(int64_t milliseconds) = 0;
  /// The folder's own name as the hint line shows it (Windows-1250).
  virtual std::string DisplayName(const std::string& folder) = 0;
};

/// Whether a file name ends in ".htm" or ".html", in any letter case.
bool IsReportName(std::string_view name);

/// The newest report of a listing: the latest modification time, and of equal times
/// the greatest name; nullptr when the listing holds no report.
const FolderEntry* NewestReport(const std::vector<FolderEntry>& listing);

/// The last component of a path, without the separators ('/' or '\') after it.
std::string_view LastPathComponent(std::string_view path);

/// A file's path in a folder.
std::string PathInFolder(std::string_view folder, std::string_view name);

/// Decides, look by look, when the newest report of a watched folder is to be loaded:
/// once it differs from the one shown, is not older than it (unless it is the same
/// file rewritten), and its size and time have held for kStableMilliseconds.
class ReportSettler {
 public:
  /// Forgets the shown and the awaited report.
  void Reset();
  /// Takes this report as the one on screen.
  void Shown(const FolderEntry& entry);
  /// Looks at a listing taken at `now`. Returns the report to load now, if any, and
  /// sets `*wakeIn` to the milliseconds after which to look again (0: no need).
  std::optional<FolderEntry> Look(const std::vector<FolderEntry>& listing, int64_t now, int64_t* wakeIn);

 private:
  std::optional<FolderEntry> shown_;
  std::optional<FolderEntry> awaited_;
  int64_t awaitedSince_ = 0;
};

}  // namespace talvorix
