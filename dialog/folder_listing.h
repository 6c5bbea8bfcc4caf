#pragma once
// Reading a folder for the watch: which files it holds, their sizes and times.
// One implementation per platform.

#include <optional>
#include <string>
#include <vector>

#include "dialog/folder_watch.h"

namespace talvorix {

/// Whether an 8-bit path names a folder (a link to one counts).
bool IsFolderPath(const std::string& path);

/// The regular files of a folder (links followed), by name, size and modification time
/// in nanoseconds; nullopt when the folder cannot be read. A file that vanishes while
/// the folder is read is left out.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

#ifdef _WIN32
/// ListFolder for a folder named in UTF-16, with the file names in UTF-8, so that no
/// name is lost to the system's code page.
std::optional<std::vector<FolderEntry>> ListWideFolder(const std::wstring& folder);
#endif

}  // namespace talvorix
