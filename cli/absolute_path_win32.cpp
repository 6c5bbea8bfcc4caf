#include "cli/absolute_path.h"

#include <windows.h>

#include <string>
#include <utility>

namespace talvorix {

MadeAbsolute AbsolutePath(std::string_view path, std::string* absolute, std::string* detail) {
  const std::string given(path);
  // The system's own rules: drive-relative and UNC names, "." and ".." taken out by
  // name, no link followed. The sizes count the NUL when the buffer is too small.
  std::string full(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD length = GetFullPathNameA(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) break;
    if (length < full.size()) {
      full.resize(length);
      *absolute = std::move(full);
      return MadeAbsolute::kDone;
    }
    full.assign(length, '\0');
  }
  const DWORD error = GetLastError();
  // The 8-bit function stops at MAX_PATH, and the dialog opens no longer path either.
  if (error == ERROR_FILENAME_EXCED_RANGE) {
    if (detail != nullptr) *detail = "longer than " + std::to_string(MAX_PATH - 1) + " bytes once made absolute";
    return MadeAbsolute::kTooLong;
  }
  if (detail != nullptr) *detail = "cannot make the path absolute: error " + std::to_string(error);
  return MadeAbsolute::kFailed;
}

}  // namespace talvorix
