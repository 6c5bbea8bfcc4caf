#include "cli/terminal.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <string>

namespace talvorix {
namespace {

/// `text` in `from` converted to UTF-16; empty when it is empty or cannot be converted.
std::wstring Wide(std::string_view text, UINT from) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

/// The console behind `stream`, or nullptr when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const int descriptor = _fileno(stream);
  if (descriptor < 0) return nullptr;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_CHAR || !GetConsoleMode(handle, &mode))
    return nullptr;
  return handle;
}

}  // namespace

bool WriteText(std::FILE* stream, std::string_view utf8) {
  const HANDLE console = ConsoleOf(stream);
  if (console == nullptr) return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
  // What the stream holds goes first, so the order on screen stays the order written.
  std::fflush(stream);
  const std::wstring wide = Wide(utf8, CP_UTF8);
  std::size_t done = 0;
  while (done < wide.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 1 << 14));
    if (!WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

std::string ArgumentAsUtf8(std::string_view argument) {
  const std::wstring wide = Wide(argument, CP_ACP);
  if (wide.empty()) return std::string(argument);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string(argument);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}

}  // namespace talvorix
