#include "cli/absolute_path.h"

#include <windows.h>

#include <string>
#include <utility>

#include "wintext/wide_text_win32.h"

namespace talvorix {
MadeAbsolute AbsolutePath(std::string_view path, std::string* absolute, std::string* detail) {
  // Arguments arrive in UTF-8 (from the UTF-16 command line); the system's own rules
  // apply in UTF-16: drive-relative and UNC names, "." and ".." taken out by name, no
  // link followed. The sizes count the NUL when the buffer is too small.
  const std::wstring given = WideFromUtf8(path);
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
  std::optional<std::string> utf8 = NarrowTo(full, CP_UTF8);
  if (!utf8) {
    if (detail != nullptr) *detail = "the absolute path is not well-formed text";
    return MadeAbsolute::kFailed;
  }
  *absolute = std::move(*utf8);
  return MadeAbsolute::kDone;
}

}  // namespace talvorix
