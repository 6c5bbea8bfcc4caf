#pragma once
// The dialog's logic: where report paths arrive, the result table, paging through it.

#include <cstdint>
#include <span>
#include <functional>
#include <string>
#include <string_view>

#include "core/puzzle_result.h"
#include "dialog/dialog_view.h"
#include "dialog/folder_source.h"

namespace talvorix {

/// The longest command-line path taken; a longer one is refused, never cut.
inline constexpr std::size_t kMaxCommandLinePath = 259;

/// The largest report the dialog reads, in bytes (64 MiB). A larger one shows as a file
/// that cannot be read rather than holding the window up while it is scanned.
inline constexpr uint64_t kDialogReportLimit = 64 * 1024 * 1024;

/// The text after the program's own name (a quoted name is skipped up to its closing
/// quote) and after the blanks and control characters that follow it.
std::string_view CommandLineTail(std::string_view commandLine);

/// The path that a command-line tail names: one pair of double quotes round the whole
/// tail is removed; everything else, trailing blanks included, stays.
std::string_view CommandLinePath(std::string_view tail);

class MainDialog {
 public:
  /// `commandLinePath` is the path as the command line gave it (quotes already removed).
  /// Without `folders`, a folder that arrives counts as a report that cannot be read.
  MainDialog(DialogView& view, std::string commandLinePath, FolderSource* folders = nullptr);

  /// The dialog was created: loads the command-line report, if there is one.
  void OnInit();
  /// A file was dropped on the dialog; `scan` reads the first dropped file.
  void OnDrop(const ReportScan& scan);
  /// A file was dropped on the dialog: the first dropped file's 8-bit name.
  void OnDrop(const std::string& path);
  /// A folder was dropped on the dialog, named as the folder source names folders (for
  /// a name that no 8-bit path holds).
  void OnDropFolder(const std::string& folder);
  /// Another program handed over a path (8-bit, as a dropped file's); unlike a drop it
  /// leaves the dialog where it is.
  void OnHandedOverPath(std::string path);
  /// The "<" button: shows the record before the current one, the last after the first.
  void OnPrevious();
  /// The ">" button: shows the record after the current one, the first after the last.
  void OnNext();
  /// The user closes the dialog.
  void OnClose();
  /// The user chose a report to open (Ctrl+O); it loads as a dropped one.
  void OnOpenFile(const std::string& path);
  /// The user chose a report to open; `scan` reads it.
  void OnOpenFile(const ReportScan& scan);
  /// The user chose a folder to watch, named as the folder source names folders.
  void OnWatchFolder(const std::string& folder);
  /// The watched folder changed in a way the platform does not name: the whole folder
  /// is looked at again (at most once per kListingIntervalMilliseconds).
  void OnFolderChanged();
  /// These files of the watched folder changed (were made, written, renamed or removed).
  void OnFolderFilesChanged(std::span<const std::string> names);
  /// The wait that FolderSource::WakeIn asked for ended.
  void OnFolderWake();
  /// Ctrl+C: puts the answer on screen on the clipboard; nothing without a record.
  void OnCopy();

  /// The watched folder; empty when none is watched.
  const std::string& watchedFolder() const { return watched_; }
  /// The 8-bit path of the last report loaded by path (the command line, a drop, a
  /// hand-over, the file chooser); empty before the first. A watched folder's reports
  /// leave it alone.
  const std::string& lastReportPath() const { return lastReport_; }

  const ResultTable& table() const { return table_; }
  int32_t currentIndex() const { return currentIndex_; }

  /// Reads the report at an 8-bit path, up to kDialogReportLimit bytes.
  static ReportScan ScanPath(std::string path);

 private:
  /// The table that a report reads into; unreadable when the scan cannot read it.
  static ResultTable ReadTable(const ReportScan& scan);
  /// Shows record k (0 stands for the last) and makes it current.
  void ShowResult(int32_t k);
  /// Says that there is nothing to show, for count -1 or 0.
  void ShowNotice();
  /// Releases the previous results, reads a report and shows its first record or the notice.
  void LoadAndShow(const ReportScan& scan);
  /// A path that arrived by any way in: a folder is watched, anything else is loaded.
  void TakePath(const std::string& path);
  /// Watches a folder and shows its newest report; a folder that cannot be read shows
  /// as a report that cannot be read.
  void StartWatching(const std::string& folder);
  void StopWatching();
  /// Reads a report of the watched folder's listing, as the folder source says.
  ReportScan EntryScan(const std::string& folder, const FolderEntry& entry) const;
  /// Loads the watched folder's report that has settled, if any, and asks for the next
  /// look that a wait needs.
  void Settle(int64_t now);
  /// Shows a table that a report was read into: its first record or the notice.
  void ShowTable(ResultTable table);


  DialogView& view_;
  std::string commandLinePath_;
  ResultTable table_;
  int32_t currentIndex_ = 0;
  FolderSource* folders_;
  std::string watched_;  // empty when no folder is watched
  std::string lastReport_;
  ReportSettler settler_;
  int64_t lastListing_ = 0;   // when the watched folder was last listed whole
  bool listingDue_ = false;   // a change asked for a listing that the interval put off
};

}  // namespace talvorix
