// The dialog's side of the POSIX hand-over (handover/handover_server.h).

#include "handover/handover_server.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "handover/handover_protocol.h"

namespace talvorix {

using Clock = std::chrono::steady_clock;

HandoverServer::~HandoverServer() {
  peers_.clear();
  if (listenFd_.valid()) {
    listenFd_.reset();
    // Only our own socket file goes: a successor may own the name by now.
    struct stat st {};
    if (fstatat(dir_->fd(), std::string(kSocketName).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        st.st_dev == device_ && st.st_ino == inode_)
      unlinkat(dir_->fd(), std::string(kSocketName).c_str(), 0);
  }
  lockFd_.reset();  // lets the next dialog take over
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
  if (!lockFd_.valid()) {
    lockFd_.reset(openat(dir_->fd(), std::string(kLockName).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lockFd_.valid()) {
      SetDetail(detail, SystemError(lockPath));
      return Start::kFailed;
    }
  }
  if (flock(lockFd_.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK || errno == EINTR) return Start::kOtherDialog;
    SetDetail(detail, SystemError(lockPath));
    return Start::kFailed;
  }
  const Start started = BindAndListen(detail);
  if (started != Start::kListening) lockFd_.reset();
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
  if (!FillSocketAddress(socketAddress_, &address)) {
    SetDetail(detail, "socket address too long: " + socketAddress_);
    return Start::kFailed;
  }
  UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.valid() || bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    SetDetail(detail, SystemError(shown));
    return Start::kFailed;
  }
  if (fchmodat(dir_->fd(), name.c_str(), 0600, 0) != 0 ||
      fstatat(dir_->fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || listen(fd.get(), 64) != 0) {
    SetDetail(detail, SystemError(shown));
    unlinkat(dir_->fd(), name.c_str(), 0);
    return Start::kFailed;
  }
  listenFd_ = std::move(fd);
  device_ = st.st_dev;
  inode_ = st.st_ino;
  return Start::kListening;
}

std::vector<HandoverServer::PeerHandle> HandoverServer::peers() const {
  std::vector<PeerHandle> handles;
  handles.reserve(peers_.size());
  for (const Peer& peer : peers_) handles.push_back({peer.serial, peer.fd.get()});
  return handles;
}

void HandoverServer::AcceptWaiting(Clock::time_point now) {
  // Bounded, so a flood of connections cannot keep the window from its other work.
  for (int taken = 0; taken < 256; ++taken) {
    UniqueFd fd(accept4(listenFd_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!fd.valid()) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    if (!PeerIsThisUser(fd.get())) continue;
    if (peers_.size() >= kMaxPeers) {
      // The oldest has had the longest to speak; the newest may be a real sender.
      peers_.erase(peers_.begin());
    }
    peers_.push_back({nextSerial_++, std::move(fd), now + kPeerDeadline, {}});
  }
}

HandoverServer::Read HandoverServer::ReadPeer(Peer& peer, std::string* path) {
  char buffer[kMaxMessageSize + 1];
  for (;;) {
    const ssize_t got = recv(peer.fd.get(), buffer, sizeof(buffer), MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) break;
    // The end of the stream, or an error, before our answer: the sender gave up.
    if (got <= 0) return Read::kRefused;
    peer.received.append(buffer, static_cast<std::size_t>(got));
    // No message is this long: stop reading rather than hold whatever a peer sends.
    if (peer.received.size() > kMaxMessageSize) return Read::kRefused;
  }
  const DecodedMessage message = DecodeMessage(peer.received);
  if (message.state == DecodedMessage::State::kIncomplete) return Read::kWaiting;
  if (message.state == DecodedMessage::State::kMalformed) return Read::kRefused;
  if (send(peer.fd.get(), &kAccepted, 1, MSG_NOSIGNAL | MSG_DONTWAIT) != 1) return Read::kRefused;
  *path = std::string(message.path);
  return Read::kDone;
}

std::vector<std::string> HandoverServer::Service(Clock::time_point now) {
  std::vector<std::string> paths;
  if (listening()) AcceptWaiting(now);
  for (Peer& peer : peers_) {
    std::string path;
    const Read read = ReadPeer(peer, &path);
    if (read == Read::kDone) paths.push_back(std::move(path));
    if (read != Read::kWaiting || now >= peer.deadline) peer.fd.reset();
  }
  std::erase_if(peers_, [](const Peer& peer) { return !peer.fd.valid(); });
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
