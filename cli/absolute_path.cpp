#include "cli/absolute_path.h"

namespace talvorix {

std::string JoinToFolder(std::string_view folder, std::string_view path) {
  if (path.starts_with('/')) return std::string(path);
  std::string joined(folder);
  if (!joined.ends_with('/')) joined += '/';
  joined += path;
  return joined;
}

}  // namespace talvorix
