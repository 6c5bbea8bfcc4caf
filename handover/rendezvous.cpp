#include "handover/rendezvous.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace talvorix {
namespace {

/// Why a stat result is not a private directory of this user, or empty when it is.
std::string NotPrivate(const struct stat& st) {
  if (!S_ISDIR(st.st_mode)) return "not a directory";
  if (st.st_uid != geteuid()) return "owned by user " + std::to_string(static_cast<unsigned long>(st.st_uid));
  if ((st.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof(mode), "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return std::string("open to others (mode ") + mode + ")";
  }
  return {};
}

}  // namespace

void SetDetail(std::string* detail, std::string text) {
  if (detail != nullptr) *detail = std::move(text);
}

std::string SystemError(std::string_view what) { return std::string(what) + ": " + std::strerror(errno); }

RendezvousEnvironment CurrentEnvironment() {
  RendezvousEnvironment env;
  env.runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  env.userRunDir = "/run/user/" + std::to_string(static_cast<unsigned long>(geteuid()));
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    env.home = home;
  } else {
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
      env.home = found->pw_dir;
  }
  return env;
}

std::vector<RendezvousCandidate> RendezvousCandidates(const RendezvousEnvironment& env) {
  std::vector<RendezvousCandidate> candidates;
  const auto add = [&candidates](std::string path, bool create) {
    for (const RendezvousCandidate& c : candidates)
      if (c.path == path) return;
    candidates.push_back({std::move(path), create});
  };
  // A session's runtime directory is the one place: a dialog of the same user started
  // with another one (another session, a test) is none of this one's business. A
  // relative value counts as no value at all.
  if (env.runtimeDir != nullptr && env.runtimeDir[0] == '/') {
    add(env.runtimeDir, false);
    return candidates;
  }
  if (!env.userRunDir.empty()) add(env.userRunDir, false);
  if (!env.home.empty()) add(env.home + "/.cache/talvorix", true);
  return candidates;
}

std::optional<RendezvousDir> RendezvousDir::Open(const std::string& path, bool create, std::string* detail) {
  if (create) {
    // The folder above (~/.cache) gets the usual rights; ours is closed to others.
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) mkdir(path.substr(0, slash).c_str(), 0700);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
      SetDetail(detail, SystemError("cannot make " + path));
      return std::nullopt;
    }
  }
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.valid()) {
    SetDetail(detail, SystemError(path));
    return std::nullopt;
  }
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) {
    SetDetail(detail, SystemError(path));
    return std::nullopt;
  }
  if (const std::string why = NotPrivate(st); !why.empty()) {
    SetDetail(detail, path + ": " + why);
    return std::nullopt;
  }
  return RendezvousDir(path, std::move(fd));
}

std::string RendezvousDir::SocketAddress(std::string_view name) const {
  std::string full = path_ + "/" + std::string(name);
  if (full.size() < sizeof(sockaddr_un::sun_path)) return full;
  // Too long for a socket address: reach the same file through our open directory.
  return "/proc/self/fd/" + std::to_string(fd_.get()) + "/" + std::string(name);
}

bool FillSocketAddress(const std::string& path, sockaddr_un* address) {
  *address = {};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof(address->sun_path)) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool PeerIsThisUser(int fd) {
  ucred credentials{};
  socklen_t size = sizeof(credentials);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials))
    return false;
  return credentials.uid == geteuid();
}

}  // namespace talvorix
