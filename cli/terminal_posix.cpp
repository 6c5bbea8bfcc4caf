#include "cli/terminal.h"

#include <poll.h>
#include <sys/stat.h>

namespace talvorix {

bool WriteText(std::FILE* stream, std::string_view utf8) {
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

std::string ArgumentAsUtf8(std::string_view argument) { return std::string(argument); }

bool OutputReaderGone(std::FILE* stream) {
  const int descriptor = fileno(stream);
  struct stat status {};
  if (descriptor < 0 || fstat(descriptor, &status) != 0) return false;
  if (!S_ISFIFO(status.st_mode) && !S_ISSOCK(status.st_mode)) return false;
  // A pipe's writing end reports an error once no reader is left.
  struct pollfd output = {descriptor, 0, 0};
  return poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

}  // namespace talvorix
