#include <chrono>
#include <filesystem>
#include <system_error>

#include "dialog/folder_listing.h"

namespace talvorix {

namespace fs = std::filesystem;

bool IsFolderPath(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return fs::is_directory(fs::path(path), error);
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  std::error_code error;
  fs::directory_iterator it(fs::path(folder), error);
  if (error) return std::nullopt;
  std::vector<FolderEntry> entries;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) return std::nullopt;
    const fs::path& path = it->path();
    std::error_code entryError;
    if (!fs::is_regular_file(path, entryError)) continue;
    const uintmax_t size = fs::file_size(path, entryError);
    if (entryError) continue;
    const fs::file_time_type modified = fs::last_write_time(path, entryError);
    if (entryError) continue;
    entries.push_back({path.filename().native(), static_cast<uint64_t>(size),
                       static_cast<int64_t>(
                           std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count())});
  }
  if (error) return std::nullopt;
  return entries;
}

}  // namespace talvorix
