#include "cli/absolute_path.h"

#include <windows.h>

#include <string>

namespace talvorix {

std::optional<std::string> AbsolutePath(std::string_view path, std::string* detail) {
  const std::string given(path);
  // The system's own rules: drive-relative and UNC names, "." and ".." taken out by
  // name, no link followed. The sizes count the NUL when the buffer is too small.
  std::string full(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD length = GetFullPathNameA(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) break;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.assign(length, '\0');
  }
  if (detail != nullptr) *detail = "cannot make the path absolute: error " + std::to_string(GetLastError());
  return std::nullopt;
}

}  // namespace talvorix
