#pragma once
// The sender's path as the dialog needs it: the dialog runs in a working directory of
// its own, so a relative path is made absolute here, against the sender's.

#include <string>
#include <string_view>

namespace talvorix {

/// `path` when it is absolute, else `folder` and `path` joined by one slash. Purely
/// lexical: "." and ".." stay, and no link is followed, so the path names what it
/// named in `folder` even when a part of it is a link.
std::string JoinToFolder(std::string_view folder, std::string_view path);

enum class MadeAbsolute {
  kDone,
  kTooLong,  // longer than a path the dialog opens (Windows: MAX_PATH - 1 characters)
  kFailed,   // the working directory cannot be told
};

/// `path` made absolute against this process's working directory into `absolute`,
/// without following links (POSIX: the working directory as the shell names it, when
/// $PWD still names it, and JoinToFolder; Windows: GetFullPathNameW over the UTF-8
/// argument, the result in UTF-8). Otherwise the reason is in `detail`.
MadeAbsolute AbsolutePath(std::string_view path, std::string* absolute, std::string* detail);

}  // namespace talvorix
