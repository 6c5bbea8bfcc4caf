#include "dialog/handover_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

namespace talvorix {
namespace {

using Clock = std::chrono::steady_clock;

std::string Uid() { return std::to_string(static_cast<unsigned long>(geteuid())); }

void SetDetail(std::string* detail, std::string text) {
  if (detail != nullptr) *detail = std::move(text);
}

std::string SystemError(std::string_view what) { return std::string(what) + ": " + std::strerror(errno); }

/// Closes a descriptor on every way out of a scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

bool FillAddress(const std::string& path, sockaddr_un* address) {
  *address = {};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof(address->sun_path)) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

std::optional<uid_t> PeerUid(int fd) {
  ucred credentials{};
  socklen_t size = sizeof(credentials);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials))
    return std::nullopt;
  return credentials.uid;
}

/// Milliseconds left until `deadline`, never negative.
int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

/// Waits for `events` on `fd` until `deadline`; false when the time ran out first.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd wait{fd, events, 0};
    const int ready = poll(&wait, 1, MsLeft(deadline));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

/// Connects a non-blocking stream socket to `address`, retrying while the listener's
/// queue is full. -1 with errno (ETIMEDOUT when the queue stayed full).
int Connect(const std::string& address, Clock::time_point deadline) {
  sockaddr_un to;
  if (!FillAddress(address, &to)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  for (;;) {
    Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) return -1;
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0) return fd.release();
    if (errno == EINPROGRESS) {
      int error = 0;
      socklen_t size = sizeof(error);
      if (!WaitFor(fd.get(), POLLOUT, deadline)) {
        errno = ETIMEDOUT;
        return -1;
      }
      if (getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return -1;
      if (error == 0) return fd.release();
      errno = error;
      return -1;
    }
    if (errno != EAGAIN && errno != EINTR) return -1;
    if (Clock::now() >= deadline) {
      errno = ETIMEDOUT;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool SendAll(int fd, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && errno == EAGAIN && WaitFor(fd, POLLOUT, deadline)) continue;
    return false;
  }
  return true;
}

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

/// A path one message can carry: 1 to kSharedPathSize - 1 bytes, no NUL.
bool Carriable(std::string_view path) {
  return !path.empty() && path.size() < kSharedPathSize && path.find('\0') == std::string_view::npos;
}

}  // namespace

std::string EncodeMessage(std::string_view path) {
  std::string message(kMessageMagic);
  message += static_cast<char>((path.size() >> 8) & 0xFF);
  message += static_cast<char>(path.size() & 0xFF);
  message += path;
  return message;
}

RendezvousEnvironment CurrentEnvironment() {
  RendezvousEnvironment env;
  env.runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  env.userRunDir = "/run/user/" + Uid();
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
  Fd fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) {
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
  return RendezvousDir(path, fd.release());
}

RendezvousDir::RendezvousDir(RendezvousDir&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

RendezvousDir& RendezvousDir::operator=(RendezvousDir&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

RendezvousDir::~RendezvousDir() {
  if (fd_ >= 0) close(fd_);
}

std::string RendezvousDir::SocketAddress(std::string_view name) const {
  std::string full = path_ + "/" + std::string(name);
  if (full.size() < sizeof(sockaddr_un::sun_path)) return full;
  // Too long for a socket address: reach the same file through our open directory.
  return "/proc/self/fd/" + std::to_string(fd_) + "/" + std::string(name);
}

SendOutcome SendPathTo(std::string_view path, const std::string& socketAddress, const SendTimeouts& timeouts,
                       std::string* detail) {
  if (!Carriable(path)) return SendOutcome::kPathTooLong;

  Fd socket(Connect(socketAddress, Clock::now() + timeouts.connect));
  if (socket.get() < 0) {
    if (errno == ETIMEDOUT) {
      SetDetail(detail, socketAddress + ": the dialog's queue stayed full");
      return SendOutcome::kNoAnswer;
    }
    SetDetail(detail, SystemError(socketAddress));
    return SendOutcome::kNoDialog;
  }
  const std::optional<uid_t> peer = PeerUid(socket.get());
  if (!peer || *peer != geteuid()) {
    SetDetail(detail, socketAddress + " is served by another user");
    return SendOutcome::kNoDialog;
  }

  const Clock::time_point deadline = Clock::now() + timeouts.answer;
  if (!SendAll(socket.get(), EncodeMessage(path), deadline)) {
    SetDetail(detail, SystemError(socketAddress));
    return SendOutcome::kNoAnswer;
  }
  while (WaitFor(socket.get(), POLLIN, deadline)) {
    char answer = 0;
    const ssize_t got = recv(socket.get(), &answer, 1, MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got == 1 && answer == kAccepted) return SendOutcome::kSent;
    SetDetail(detail, socketAddress + ": the dialog closed the connection without taking the path");
    return SendOutcome::kNotTaken;
  }
  SetDetail(detail, socketAddress + ": no answer within " + std::to_string(timeouts.answer.count()) + " ms");
  return SendOutcome::kNoAnswer;
}

SendOutcome SendPathToCandidates(std::string_view path, const std::vector<RendezvousCandidate>& candidates,
                                 const SendTimeouts& timeouts, std::string* detail) {
  if (!Carriable(path)) return SendOutcome::kPathTooLong;
  std::string looked;
  for (const RendezvousCandidate& candidate : candidates) {
    std::string why;
    std::optional<RendezvousDir> dir = RendezvousDir::Open(candidate.path, false, &why);
    if (dir) {
      const SendOutcome outcome = SendPathTo(path, dir->SocketAddress(kSocketName), timeouts, &why);
      if (outcome != SendOutcome::kNoDialog) {
        SetDetail(detail, why);
        return outcome;
      }
    }
    looked += (looked.empty() ? "" : "; ") + why;
  }
  SetDetail(detail, looked.empty() ? std::string("no place to look for it") : looked);
  return SendOutcome::kNoDialog;
}

SendOutcome SendPathToDialog(std::string_view path, std::string* detail) {
  return SendPathToCandidates(path, RendezvousCandidates(CurrentEnvironment()), SendTimeouts{}, detail);
}

void LocalPathBlock::Put(std::string_view path) {
  bytes_.fill('\0');
  std::copy_n(path.data(), std::min(path.size(), bytes_.size() - 1), bytes_.data());
}

std::unique_ptr<SharedPathBlock> MakeSharedPathBlock() { return std::make_unique<LocalPathBlock>(); }

HandoverServer::~HandoverServer() {
  for (Peer& peer : peers_) ClosePeer(peer);
  if (listenFd_ >= 0) {
    close(listenFd_);
    // Only our own socket file goes: a successor may own the name by now.
    struct stat st {};
    if (fstatat(dir_->fd(), std::string(kSocketName).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        st.st_dev == device_ && st.st_ino == inode_)
      unlinkat(dir_->fd(), std::string(kSocketName).c_str(), 0);
  }
  if (lockFd_ >= 0) close(lockFd_);  // lets the next dialog take over
}

HandoverServer::Start HandoverServer::Listen(const std::vector<RendezvousCandidate>& candidates,
                                             std::string* detail) {
  if (listening()) return Start::kListening;
  if (!dir_) {
    std::string refused;
    for (const RendezvousCandidate& candidate : candidates) {
      std::string why;
      dir_ = RendezvousDir::Open(candidate.path, candidate.create, &why);
      if (dir_) break;
      refused += (refused.empty() ? "" : "; ") + why;
    }
    if (!dir_) {
      SetDetail(detail, refused.empty() ? std::string("no place for the socket") : refused);
      return Start::kFailed;
    }
  }
  const std::string lockPath = dir_->path() + "/" + std::string(kLockName);
  if (lockFd_ < 0) {
    lockFd_ = openat(dir_->fd(), std::string(kLockName).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
      SetDetail(detail, SystemError(lockPath));
      return Start::kFailed;
    }
  }
  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK || errno == EINTR) return Start::kOtherDialog;
    SetDetail(detail, SystemError(lockPath));
    return Start::kFailed;
  }
  const Start started = BindAndListen(detail);
  if (started != Start::kListening) {
    close(lockFd_);
    lockFd_ = -1;
  }
  return started;
}

HandoverServer::Start HandoverServer::BindAndListen(std::string* detail) {
  const std::string name(kSocketName);
  const std::string shown = dir_->path() + "/" + name;
  struct stat st {};
  // We hold the lock, so a socket found here is a dead dialog's.
  if (fstatat(dir_->fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      SetDetail(detail, shown + " is in the way: not a socket");
      return Start::kFailed;
    }
    if (unlinkat(dir_->fd(), name.c_str(), 0) != 0 && errno != ENOENT) {
      SetDetail(detail, SystemError("cannot remove " + shown));
      return Start::kFailed;
    }
  }
  sockaddr_un address;
  socketAddress_ = dir_->SocketAddress(kSocketName);
  if (!FillAddress(socketAddress_, &address)) {
    SetDetail(detail, "socket address too long: " + socketAddress_);
    return Start::kFailed;
  }
  Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.get() < 0 || bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    SetDetail(detail, SystemError(shown));
    return Start::kFailed;
  }
  if (fchmodat(dir_->fd(), name.c_str(), 0600, 0) != 0 ||
      fstatat(dir_->fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || listen(fd.get(), 64) != 0) {
    SetDetail(detail, SystemError(shown));
    unlinkat(dir_->fd(), name.c_str(), 0);
    return Start::kFailed;
  }
  listenFd_ = fd.release();
  device_ = st.st_dev;
  inode_ = st.st_ino;
  return Start::kListening;
}

std::vector<HandoverServer::PeerHandle> HandoverServer::peers() const {
  std::vector<PeerHandle> handles;
  handles.reserve(peers_.size());
  for (const Peer& peer : peers_) handles.push_back({peer.serial, peer.fd});
  return handles;
}

void HandoverServer::ClosePeer(Peer& peer) {
  if (peer.fd >= 0) close(peer.fd);
  peer.fd = -1;
}

void HandoverServer::AcceptWaiting(Clock::time_point now) {
  // Bounded, so a flood of connections cannot keep the window from its other work.
  for (int taken = 0; taken < 256; ++taken) {
    Fd fd(accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (fd.get() < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    const std::optional<uid_t> uid = PeerUid(fd.get());
    if (!uid || *uid != geteuid()) continue;
    if (peers_.size() >= kMaxPeers) {
      // The oldest has had the longest to speak; the newest may be a real sender.
      ClosePeer(peers_.front());
      peers_.erase(peers_.begin());
    }
    peers_.push_back({nextSerial_++, fd.release(), now + kPeerDeadline, {}});
  }
}

HandoverServer::Read HandoverServer::ReadPeer(Peer& peer, std::string* path) {
  constexpr std::size_t kMaxMessage = kMessageHeaderSize + kSharedPathSize - 1;
  char buffer[kMaxMessage + 1];
  for (;;) {
    const ssize_t got = recv(peer.fd, buffer, sizeof(buffer), MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) break;
    // The end of the stream, or an error, before our answer: the sender gave up.
    if (got <= 0) return Read::kRefused;
    peer.received.append(buffer, static_cast<std::size_t>(got));
    if (peer.received.size() > kMaxMessage) return Read::kRefused;
  }
  const std::string& r = peer.received;
  const std::size_t magic = std::min(r.size(), kMessageMagic.size());
  if (r.compare(0, magic, kMessageMagic, 0, magic) != 0) return Read::kRefused;
  if (r.size() < kMessageHeaderSize) return Read::kWaiting;
  const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(r[4])) << 8 |
                             static_cast<unsigned char>(r[5]);
  if (length == 0 || length >= kSharedPathSize) return Read::kRefused;
  if (r.size() < kMessageHeaderSize + length) return Read::kWaiting;
  if (r.size() > kMessageHeaderSize + length) return Read::kRefused;  // bytes after the message
  const std::string_view received = std::string_view(r).substr(kMessageHeaderSize);
  if (received.find('\0') != std::string_view::npos) return Read::kRefused;
  if (send(peer.fd, &kAccepted, 1, MSG_NOSIGNAL | MSG_DONTWAIT) != 1) return Read::kRefused;
  *path = std::string(received);
  return Read::kDone;
}

std::vector<std::string> HandoverServer::Service(Clock::time_point now) {
  std::vector<std::string> paths;
  if (listening()) AcceptWaiting(now);
  for (Peer& peer : peers_) {
    std::string path;
    const Read read = ReadPeer(peer, &path);
    if (read == Read::kDone) paths.push_back(std::move(path));
    if (read != Read::kWaiting || now >= peer.deadline) ClosePeer(peer);
  }
  std::erase_if(peers_, [](const Peer& peer) { return peer.fd < 0; });
  return paths;
}

std::optional<int> HandoverServer::MsUntilDeadline(Clock::time_point now) const {
  if (peers_.empty()) return std::nullopt;
  Clock::time_point first = peers_.front().deadline;
  for (const Peer& peer : peers_) first = std::min(first, peer.deadline);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(first - now).count();
  return static_cast<int>(std::clamp<long long>(left, 0, kPeerDeadline.count()));
}

}  // namespace talvorix
