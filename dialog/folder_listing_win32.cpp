#include <windows.h>

#include "dialog/folder_listing.h"
#include "dialog/wide_text_win32.h"

namespace talvorix {
namespace {

/// The regular files of a UTF-16 named folder, their names in a code page.
std::optional<std::vector<FolderEntry>> ListIn(std::wstring pattern, UINT codePage) {
  if (pattern.empty()) return std::nullopt;
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<FolderEntry> entries;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // A name with no form in the code page could not be opened again through it.
    const std::optional<std::string> name = NarrowTo(found.cFileName, codePage);
    if (!name || name->empty()) continue;
    const uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    const uint64_t time = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                          found.ftLastWriteTime.dwLowDateTime;
    entries.push_back({*name, size, static_cast<int64_t>(time)});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

}  // namespace

bool IsFolderPath(const std::string& path) {
  const std::wstring wide = WideFrom(path, CP_ACP);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  return ListIn(WideFrom(folder, CP_ACP), CP_ACP);
}

std::optional<std::vector<FolderEntry>> ListWideFolder(const std::wstring& folder) {
  return ListIn(folder, CP_UTF8);
}

}  // namespace talvorix
