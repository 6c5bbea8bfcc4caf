#include "cli/absolute_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace talvorix {

MadeAbsolute AbsolutePath(std::string_view path, std::string* absolute, std::string* detail) {
  if (path.starts_with('/')) {
    *absolute = path;
    return MadeAbsolute::kDone;
  }
  // $PWD when it names the working directory: a folder reached through a link keeps
  // the name the user sees; else the kernel's name for it.
  const std::unique_ptr<char, decltype(&std::free)> folder(get_current_dir_name(), &std::free);
  if (folder == nullptr || folder.get()[0] != '/') {
    if (detail != nullptr)
      *detail = std::string("cannot tell the working directory: ") +
                std::strerror(folder == nullptr ? errno : ENOENT);
    return MadeAbsolute::kFailed;
  }
  *absolute = JoinToFolder(folder.get(), path);
  return MadeAbsolute::kDone;
}

}  // namespace talvorix
