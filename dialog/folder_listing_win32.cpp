#include <windows.h>

#include "dialog/folder_listing.h"

namespace talvorix {
namespace {

/// An 8-bit path (the system's code page) as UTF-16; empty when it cannot be converted.
std::wstring WidePath(const std::string& path) {
  if (path.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
  return wide;
}

/// A UTF-16 name in a code page; nullopt when a character has no form in it, since
/// such a name could not be opened again through it.
std::optional<std::string> NarrowName(const wchar_t* name, UINT codePage) {
  // UTF-8 reports a name it cannot hold (a lone surrogate) as an error rather than
  // through the default-character flag, which it does not take.
  const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
  BOOL lossy = FALSE;
  BOOL* const lossyOut = codePage == CP_UTF8 ? nullptr : &lossy;
  const int length = WideCharToMultiByte(codePage, flags, name, -1, nullptr, 0, nullptr, lossyOut);
  if (length <= 1 || lossy) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, name, -1, narrow.data(), length, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(length - 1));
  return narrow;
}

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
    const std::optional<std::string> name = NarrowName(found.cFileName, codePage);
    if (!name) continue;
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
  const std::wstring wide = WidePath(path);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  return ListIn(WidePath(folder), CP_ACP);
}

std::optional<std::vector<FolderEntry>> ListWideFolder(const std::wstring& folder) {
  return ListIn(folder, CP_UTF8);
}

}  // namespace talvorix
