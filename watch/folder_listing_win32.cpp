// Folders on Windows. The programs hold 8-bit paths in UTF-8 here, so a listed name
// keeps every character it has and opens only the file it names.

#include <windows.h>

#include "watch/folder_listing_win32.h"
#include "wintext/wide_text_win32.h"

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
    if (!IsReportName(NarrowShown(found.cFileName, CP_UTF8, '?'))) continue;
    // A name with no form in the code page could not be opened again through it.
    const std::optional<std::string> name = NarrowTo(found.cFileName, codePage);
    if (!name || name->empty() || name->find_first_of("\\/:") != std::string::npos) continue;
    const uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    const uint64_t time = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                          found.ftLastWriteTime.dwLowDateTime;
    entries.push_back({*name, size, static_cast<int64_t>(time)});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

/// One file of a UTF-16 named folder, its name given in a code page.
std::optional<FolderEntry> StatIn(std::wstring path, const std::string& name, UINT codePage) {
  const std::wstring wideName = WideFrom(name, codePage, MB_ERR_INVALID_CHARS);
  if (path.empty() || wideName.empty() || wideName.find_first_of(L"\\/:") != std::wstring::npos ||
      wideName == L"." || wideName == L"..")
    return std::nullopt;
  if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += wideName;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  const uint64_t time =
      (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return FolderEntry{name, size, static_cast<int64_t>(time)};
}

}  // namespace

bool IsFolderPath(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  return ListIn(WideFromUtf8(folder), CP_UTF8);
}

std::optional<std::vector<FolderEntry>> ListWideFolder(const std::wstring& folder) {
  return ListIn(folder, CP_UTF8);
}

std::optional<FolderEntry> StatFolderFile(const std::string& folder, const std::string& name) {
  return StatIn(WideFromUtf8(folder), name, CP_UTF8);
}

std::optional<FolderEntry> StatWideFolderFile(const std::wstring& folder, const std::string& name) {
  return StatIn(folder, name, CP_UTF8);
}

int64_t FileTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

char PathSeparator() { return '\\'; }

}  // namespace talvorix
