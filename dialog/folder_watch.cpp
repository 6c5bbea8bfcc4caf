#include "dialog/folder_watch.h"

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

}  // namespace

bool IsReportName(std::string_view name) {
  // A name that is only the extension is a hidden file, not a saved report.
  for (std::string_view extension : {std::string_view(".htm"), std::string_view(".html")})
    if (name.size() > extension.size() && EndsWithNoCase(name, extension)) return true;
  return false;
}

const FolderEntry* NewestReport(const std::vector<FolderEntry>& listing) {
  const FolderEntry* newest = nullptr;
  for (const FolderEntry& entry : listing) {
    if (!IsReportName(entry.name)) continue;
    if (newest == nullptr || std::tie(entry.modified, entry.name) > std::tie(newest->modified, newest->name))
      newest = &entry;
  }
  return newest;
}

std::string_view LastPathComponent(std::string_view path) {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  return path.substr(start);
}

std::string PathInFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !IsSeparator(path.back())) path += '/';
  path += name;
  return path;
}

void ReportSettler::Reset() {
  shown_.reset();
  awaited_.reset();
}

void ReportSettler::Shown(const FolderEntry& entry) {
  shown_ = entry;
  awaited_.reset();
}

std::optional<FolderEntry> ReportSettler::Look(const std::vector<FolderEntry>& listing, int64_t now,
                                               int64_t* wakeIn) {
  *wakeIn = 0;
  const FolderEntry* newest = NewestReport(listing);
  // An emptied folder leaves the last report on screen, and a report older than the
  // one on screen (left when a newer one was removed) never takes its place.
  const bool older = shown_ && newest != nullptr && newest->name != shown_->name && newest->modified < shown_->modified;
  if (newest == nullptr || older || (shown_ && *newest == *shown_)) {
    awaited_.reset();
    return std::nullopt;
  }
  if (!awaited_ || *awaited_ != *newest) {
    // New, or still changing: the wait starts again.
    awaited_ = *newest;
    awaitedSince_ = now;
    *wakeIn = kStableMilliseconds;
    return std::nullopt;
  }
  const int64_t held = now - awaitedSince_;
  if (held < kStableMilliseconds) {
    *wakeIn = kStableMilliseconds - held;
    return std::nullopt;
  }
  FolderEntry settled = *awaited_;
  Shown(settled);
  return settled;
}

}  // namespace talvorix
