#include "cli/absolute_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace talvorix {

std::optional<std::string> AbsolutePath(std::string_view path, std::string* detail) {
  if (path.starts_with('/')) return std::string(path);
  // $PWD when it names the working directory: a folder reached through a link keeps
  // the name the user sees; else the kernel's name for it.
  const std::unique_ptr<char, decltype(&std::free)> folder(get_current_dir_name(), &std::free);
  if (folder == nullptr || folder.get()[0] != '/') {
    if (detail != nullptr)
      *detail = std::string("cannot tell the working directory: ") +
                std::strerror(folder == nullptr ? errno : ENOENT);
    return std::nullopt;
  }
  return JoinToFolder(folder.get(), path);
}

}  // namespace talvorix
