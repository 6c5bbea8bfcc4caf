#include "watch/folder_watch.h"

#include "watch/folder_listing.h"

#include <algorithm>
#include <tuple>

namespace talvorix {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (LowerAscii(tail[i]) != suffix[i]) return false;
  return true;
}

/// A report worth waiting for: a report's name, and not an empty placeholder that a
/// browser or a shell made before writing the page.
bool IsCandidate(const FolderEntry& entry) { return entry.size > 0 && IsReportName(entry.name); }

}  // namespace

bool IsReportName(std::string_view name) {
  // A name that is only the extension is a hidden file, not a saved report. Downloads
  // in progress (".part", ".crdownload", ".download", ".tmp") end otherwise.
  for (std::string_view extension : {".htm", ".html", ".mht", ".mhtml"})
    if (name.size() > extension.size() && EndsWithNoCase(name, extension)) return true;
  return false;
}

std::string_view LastPathComponent(std::string_view path) {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  return path.substr(start);
}

std::string PathInFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !IsSeparator(path.back())) path += PathSeparator();
  path += name;
  return path;
}

void ReportSettler::Reset() {
  reports_.clear();
  lastOrder_ = 0;
  shownOrder_ = 0;
  shownBefore_ = 0;
  fileNow_ = INT64_MAX;
}

void ReportSettler::Start(const std::vector<FolderEntry>& listing, int64_t now, int64_t fileNow) {
  Reset();
  fileNow_ = fileNow;
  for (const FolderEntry& entry : listing)
    if (IsCandidate(entry)) Put(entry, now, true);
}

void ReportSettler::Put(const FolderEntry& entry, int64_t now, bool atStart) {
  const auto found = reports_.find(entry.name);
  if (found != reports_.end() && found->second.entry == entry) return;
  // New, or changed since it was last seen: it is a save again, and the wait restarts.
  Report& report = found != reports_.end() ? found->second : reports_[entry.name];
  report = Report{.entry = entry, .changedAt = now, .atStart = atStart};
}

void ReportSettler::Update(const std::vector<FolderEntry>& listing, int64_t now) {
  std::map<std::string_view, const FolderEntry*> listed;
  for (const FolderEntry& entry : listing)
    if (IsCandidate(entry)) listed[entry.name] = &entry;
  std::erase_if(reports_, [&](const auto& item) { return !listed.contains(item.first); });
  for (const auto& [name, entry] : listed) Put(*entry, now, false);
}

void ReportSettler::Update(std::string_view name, const std::optional<FolderEntry>& entry, int64_t now) {
  if (!IsReportName(name)) return;
  if (entry && IsCandidate(*entry) && entry->name == name) {
    Put(*entry, now, false);
    return;
  }
  if (const auto found = reports_.find(name); found != reports_.end()) reports_.erase(found);
}

void ReportSettler::SettleDue(int64_t now) {
  std::vector<Report*> due;
  for (auto& [name, report] : reports_)
    if (report.order == 0 && now - report.changedAt >= kStableMilliseconds) due.push_back(&report);
  // Reports that settle together: those there at the start by their time stamps (a
  // later one counting as the present), the others as they were last changed; then by
  // name, so that the outcome never depends on the listing's order.
  const auto key = [this](const Report* r) {
    return std::make_tuple(!r->atStart, r->atStart ? std::min(r->entry.modified, fileNow_) : r->changedAt,
                           std::string_view(r->entry.name));
  };
  std::sort(due.begin(), due.end(), [&](const Report* a, const Report* b) { return key(a) < key(b); });
  for (Report* report : due) report->order = ++lastOrder_;
}

std::optional<FolderEntry> ReportSettler::Next(int64_t now, int64_t* wakeIn) {
  SettleDue(now);
  int64_t wake = 0;
  const auto wakeAt = [&](int64_t after) {
    if (after > 0 && (wake == 0 || after < wake)) wake = after;
  };
  const Report* newest = nullptr;
  for (const auto& [name, report] : reports_) {
    if (report.order == 0) {
      wakeAt(kStableMilliseconds - (now - report.changedAt));
    } else if (newest == nullptr || report.order > newest->order) {
      newest = &report;
    }
  }
  std::optional<FolderEntry> load;
  if (newest != nullptr && newest->order > shownOrder_) {
    if (newest->retryAt > now) {
      wakeAt(newest->retryAt - now);
    } else {
      shownBefore_ = shownOrder_;
      shownOrder_ = newest->order;
      load = newest->entry;
    }
  }
  *wakeIn = wake;
  return load;
}

bool ReportSettler::RetryUnreadable(std::string_view name, int64_t now) {
  const auto found = reports_.find(name);
  if (found == reports_.end() || found->second.order != shownOrder_) return false;
  Report& report = found->second;
  if (report.giveUpAt == 0) report.giveUpAt = now + kUnreadableRetryMilliseconds;
  if (now >= report.giveUpAt) return false;
  report.retryAt = now + kRetryIntervalMilliseconds;
  shownOrder_ = shownBefore_;
  return true;
}

}  // namespace talvorix
