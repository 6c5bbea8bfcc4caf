#pragma once
// Windows only: what ReadDirectoryChangesW reports, as names of a folder's files.

#include <windows.h>

#include <cstddef>

#include "watch/folder_events.h"

namespace talvorix {

/// What ReadDirectoryChangesW asks to be told: files made, renamed, removed, grown or
/// written.
inline constexpr DWORD kFolderNotifyFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                             FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
/// Bytes of notifications the system may gather between two reads; more overflow, and
/// the folder is then to be listed whole.
inline constexpr DWORD kFolderNotificationBytes = 64 * 1024;

/// Adds the names of one completed read of `bytes` bytes (FILE_NOTIFY_INFORMATION
/// records) to `changes`, in UTF-8, each once. No bytes (the notifications overflowed),
/// a short (8.3) name, which stands for a long one that only a listing tells, and a name
/// that UTF-8 cannot hold each make the change `unknown`.
void AddNotifiedNames(const char* records, std::size_t bytes, FolderChanges* changes);

}  // namespace talvorix
