#pragma once
// Reading a folder for the watch: which reports it holds, their sizes and times.
// One implementation per platform.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "watch/folder_watch.h"

namespace talvorix {

/// Whether an 8-bit path names a folder (a link to one counts). On Windows every 8-bit
/// path and name here is UTF-8.
bool IsFolderPath(const std::string& path);

/// The regular files of a folder (links followed) whose names IsReportName takes, by
/// name, size and modification time; nullopt when the folder cannot be read. Names are
/// chosen before anything else is asked of a file, and each file is looked at once,
/// so that a folder of many other files costs little. A file that vanishes while the
/// folder is read is left out.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

/// One file of a folder, as ListFolder gives it; nullopt when it is not there or is not
/// a regular file.
std::optional<FolderEntry> StatFolderFile(const std::string& folder, const std::string& name);

/// The present in the unit and epoch of the listings' modification times.
int64_t FileTimeNow();

/// The separator PathInFolder puts between a folder and a name: '/', or '\' on Windows.
char PathSeparator();

}  // namespace talvorix
