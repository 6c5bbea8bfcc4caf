#include "cli/terminal.h"

namespace talvorix {

bool WriteText(std::FILE* stream, std::string_view utf8) {
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

std::string ArgumentAsUtf8(std::string_view argument) { return std::string(argument); }

}  // namespace talvorix
