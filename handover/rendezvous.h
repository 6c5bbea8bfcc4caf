#pragma once
// Where the POSIX hand-over's dialog listens and its senders look.
//
// A directory private to the user (owned by the user, closed to the group and to
// others). When $XDG_RUNTIME_DIR is set to an absolute path, that directory and no
// other. Without it, the first that will do of
//   1. /run/user/<uid> (what a login session's XDG_RUNTIME_DIR normally is, so a sender
//      started without it, as under cron or su, still finds the dialog),
//   2. $HOME/.cache/talvorix (made with mode 0700 when missing).
// In it: kSocketName, the dialog's listening Unix-domain stream socket, and kLockName,
// which the listening dialog holds locked (flock) for as long as it runs. Either side
// talks only to a peer of its own user id.

#include <sys/types.h>
#include <sys/un.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "handover/unique_fd.h"

namespace talvorix {

inline constexpr std::string_view kSocketName = "talvorix.sock";
inline constexpr std::string_view kLockName = "talvorix.lock";

/// What the places to look in come from.
struct RendezvousEnvironment {
  const char* runtimeDir = nullptr;  // XDG_RUNTIME_DIR
  std::string userRunDir;            // /run/user/<uid>
  std::string home;                  // HOME, or the password database's home
};

/// This process's environment.
RendezvousEnvironment CurrentEnvironment();

struct RendezvousCandidate {
  std::string path;
  bool create = false;  // the dialog may make it (the sender never does)
};

/// The candidate directories, in the order both sides try them: $XDG_RUNTIME_DIR alone
/// when it is set to an absolute path, else /run/user/<uid> and then the home cache.
std::vector<RendezvousCandidate> RendezvousCandidates(const RendezvousEnvironment& env);

/// An open directory of the user's own that nobody else may enter or list.
class RendezvousDir {
 public:
  /// Opens `path` (making it, mode 0700, when `create` is set and it is missing) and
  /// checks the opened directory itself. nullopt, with the path and the reason in
  /// `detail`, when it will not do.
  static std::optional<RendezvousDir> Open(const std::string& path, bool create, std::string* detail);

  const std::string& path() const { return path_; }
  int fd() const { return fd_.get(); }
  /// The address of `name` inside the directory for bind and connect: the plain path
  /// when it fits a socket address, else a short one through the open directory.
  std::string SocketAddress(std::string_view name) const;

 private:
  RendezvousDir(std::string path, UniqueFd fd) : path_(std::move(path)), fd_(std::move(fd)) {}
  std::string path_;
  UniqueFd fd_;
};

/// Fills a socket address for `path`; false when the path does not fit one.
bool FillSocketAddress(const std::string& path, sockaddr_un* address);

/// Whether the other end of the connected socket `fd` runs as this process's user.
bool PeerIsThisUser(int fd);

/// Stores `text` in `detail` when the caller asked for one.
void SetDetail(std::string* detail, std::string text);

/// `what`, a colon and the text of errno.
std::string SystemError(std::string_view what);

}  // namespace talvorix
