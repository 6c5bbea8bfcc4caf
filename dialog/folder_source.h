#pragma once
// A watched folder, as the dialog logic sees it: what a platform reports about the
// folder (its reports, the time, change notifications) and how one of its reports is read.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "watch/folder_watch.h"

namespace talvorix {

class ResultTable;

/// Fills a table from one report and returns its count (-1, 0 or the number of records).
using ReportScan = std::function<int32_t(ResultTable* table)>;

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
  /// The folder's regular files whose names IsReportName takes (other names may be
  /// left out before anything else is asked of them); nullopt when the folder cannot be
  /// read.
  virtual std::optional<std::vector<FolderEntry>> List(const std::string& folder) = 0;
  /// One file of the folder; nullopt when it is not there or not a regular file.
  virtual std::optional<FolderEntry> Stat(const std::string& folder, const std::string& name);
  /// A steady clock, in milliseconds.
  virtual int64_t NowMilliseconds() = 0;
  /// The present in the unit and epoch of FolderEntry::modified.
  virtual int64_t FileTimeNow() { return INT64_MAX; }
  /// Reports every change in this folder through MainDialog::OnFolderChanged (or, with
  /// the names that changed, OnFolderFilesChanged), in place of the folder watched
  /// before; an empty path stops reporting.
  virtual void Watch(const std::string& folder) = 0;
  /// Calls MainDialog::OnFolderWake once, about `milliseconds` from now; a later
  /// request replaces an earlier one.
  virtual void WakeIn(int64_t milliseconds) = 0;
  /// The folder's own name as the hint line shows it (Windows-1250).
  virtual std::string DisplayName(const std::string& folder) = 0;
};

}  // namespace talvorix
