#include "cli/absolute_path.h"

#include <windows.h>

#include <string>
#include <utility>

namespace talvorix {
namespace {

std::wstring WideFromUtf8(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8FromWide(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         nullptr);
  if (length <= 0) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}

}  // namespace

MadeAbsolute AbsolutePath(std::string_view path, std::string* absolute, std::string* detail) {
  // Arguments arrive in UTF-8 (from the UTF-16 command line); the system's own rules
  // apply in UTF-16: drive-relative and UNC names, "." and ".." taken out by name, no
  // link followed. The sizes count the NUL when the buffer is too small.
  const std::wstring given = WideFromUtf8(std::string(path));
  if (given.empty()) {
    if (detail != nullptr) *detail = "the path is not well-formed text";
    return MadeAbsolute::kFailed;
  }
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length < full.size()) break;
    full.assign(length, L'\0');
  }
  if (length == 0 || length >= full.size()) {
    if (detail != nullptr) *detail = "cannot make the path absolute: error " + std::to_string(GetLastError());
    return MadeAbsolute::kFailed;
  }
  full.resize(length);
  // The dialog opens no path longer than MAX_PATH - 1 characters.
  if (full.size() >= MAX_PATH) {
    if (detail != nullptr) *detail = "longer than " + std::to_string(MAX_PATH - 1) + " characters once made absolute";
    return MadeAbsolute::kTooLong;
  }
  *absolute = Utf8FromWide(full);
  return MadeAbsolute::kDone;
}

}  // namespace talvorix
