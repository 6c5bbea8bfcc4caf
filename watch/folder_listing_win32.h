#pragma once
// Windows only: listing a folder named in UTF-16.

#include <optional>
#include <string>
#include <vector>

#include "watch/folder_listing.h"

namespace talvorix {

/// ListFolder for a folder named in UTF-16, with the file names in UTF-8, so that no
/// name is lost to the system's code page.
std::optional<std::vector<FolderEntry>> ListWideFolder(const std::wstring& folder);
/// StatFolderFile for a folder named in UTF-16 and a file name in UTF-8.
std::optional<FolderEntry> StatWideFolderFile(const std::wstring& folder, const std::string& name);

}  // namespace talvorix
