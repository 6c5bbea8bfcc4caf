#include "dialog/folder_source.h"

namespace talvorix {

std::optional<FolderEntry> FolderSource::Stat(const std::string& folder, const std::string& name) {
  const std::optional<std::vector<FolderEntry>> listing = List(folder);
  if (!listing) return std::nullopt;
  for (const FolderEntry& entry : *listing)
    if (entry.name == name) return entry;
  return std::nullopt;
}

}  // namespace talvorix
