#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "watch/folder_listing.h"

namespace talvorix {
namespace {

/// Modification times in nanoseconds since 1970.
int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + static_cast<int64_t>(time.tv_nsec);
}

std::optional<FolderEntry> StatAt(int folder, const char* name) {
  struct stat status {};
  if (fstatat(folder, name, &status, 0) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return FolderEntry{name, static_cast<uint64_t>(status.st_size), Nanoseconds(status.st_mtim)};
}

}  // namespace

bool IsFolderPath(const std::string& path) {
  struct stat status {};
  return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  if (folder.empty()) return std::nullopt;
  DIR* const directory = opendir(folder.c_str());
  if (directory == nullptr) return std::nullopt;
  const int descriptor = dirfd(directory);
  std::vector<FolderEntry> entries;
  while (const struct dirent* item = readdir(directory)) {
    if (item->d_type != DT_REG && item->d_type != DT_LNK && item->d_type != DT_UNKNOWN) continue;
    if (!IsReportName(item->d_name)) continue;
    if (std::optional<FolderEntry> entry = StatAt(descriptor, item->d_name)) entries.push_back(std::move(*entry));
  }
  closedir(directory);
  return entries;
}

std::optional<FolderEntry> StatFolderFile(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
    return std::nullopt;
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  std::optional<FolderEntry> entry = StatAt(descriptor, name.c_str());
  close(descriptor);
  return entry;
}

int64_t FileTimeNow() {
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

char PathSeparator() { return '/'; }

}  // namespace talvorix
