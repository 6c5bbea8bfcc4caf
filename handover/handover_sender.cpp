// The sender's side of the POSIX hand-over (handover/handover_sender.h).

#include "handover/handover_sender.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <thread>

#include "handover/handover_protocol.h"
#include "handover/unique_fd.h"

namespace talvorix {
namespace {

using Clock = std::chrono::steady_clock;

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
/// queue is full. No descriptor, with errno (ETIMEDOUT when the queue stayed full).
UniqueFd Connect(const std::string& address, Clock::time_point deadline) {
  sockaddr_un to;
  if (!FillSocketAddress(address, &to)) {
    errno = ENAMETOOLONG;
    return UniqueFd();
  }
  for (;;) {
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid()) return UniqueFd();
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0) return fd;
    if (errno == EINPROGRESS) {
      int error = 0;
      socklen_t size = sizeof(error);
      if (!WaitFor(fd.get(), POLLOUT, deadline)) {
        errno = ETIMEDOUT;
        return UniqueFd();
      }
      if (getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return UniqueFd();
      if (error == 0) return fd;
      errno = error;
      return UniqueFd();
    }
    if (errno != EAGAIN && errno != EINTR) return UniqueFd();
    if (Clock::now() >= deadline) {
      errno = ETIMEDOUT;
      return UniqueFd();
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

}  // namespace

SendOutcome SendPathTo(std::string_view path, const std::string& socketAddress, const SendTimeouts& timeouts,
                       std::string* detail) {
  if (!Carriable(path)) return SendOutcome::kPathTooLong;

  const UniqueFd socket = Connect(socketAddress, Clock::now() + timeouts.connect);
  if (!socket.valid()) {
    if (errno == ETIMEDOUT) {
      SetDetail(detail, socketAddress + ": the dialog's queue stayed full");
      return SendOutcome::kNoAnswer;
    }
    SetDetail(detail, SystemError(socketAddress));
    return SendOutcome::kNoDialog;
  }
  if (!PeerIsThisUser(socket.get())) {
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

}  // namespace talvorix
