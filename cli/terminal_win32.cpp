#include "cli/terminal.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "wintext/wide_text_win32.h"

namespace talvorix {
namespace {

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
  if (console == nullptr) {
    // Files and pipes get the bytes of every other system: a line ends in LF alone, not
    // in the CR LF of the runtime's text mode.
    const int descriptor = _fileno(stream);
    if (descriptor >= 0 && _setmode(descriptor, _O_BINARY) == -1) return false;
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
  }
  // What the stream holds goes first, so the order on screen stays the order written.
  std::fflush(stream);
  const std::wstring wide = WideFrom(utf8, CP_UTF8);
  std::size_t done = 0;
  while (done < wide.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 1 << 14));
    if (!WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(NarrowTo(wide[i], CP_UTF8).value_or(std::string(1, '\0')));
  LocalFree(wide);
  return arguments;
}

std::string ArgumentAsUtf8(std::string_view argument) { return std::string(argument); }

// A closed pipe shows when the next write fails.
bool OutputReaderGone(std::FILE*) { return false; }

}  // namespace talvorix
