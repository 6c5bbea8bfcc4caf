#pragma once
// The dialog's side of the POSIX hand-over: the listening socket in the rendezvous
// directory (handover/rendezvous.h) and the connections it is reading.
//
// A dialog that finds the lock taken leaves the socket to its owner and tries again now
// and then, so it takes over when the listener ends. The dialog takes a message
// (handover/handover_protocol.h) only from a peer of its own user id, only whole and
// with nothing after it, and only within kPeerDeadline of the connection; it then
// answers kAccepted. Anything else is closed unanswered.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "handover/rendezvous.h"
#include "handover/unique_fd.h"

namespace talvorix {

/// How long a connection may take to deliver its whole message.
inline constexpr std::chrono::milliseconds kPeerDeadline{1000};
/// Connections read at once; a newer one pushes the oldest out.
inline constexpr std::size_t kMaxPeers = 32;

/// Nothing here blocks: the window's event loop calls Service when a descriptor is
/// readable or a deadline has come.
class HandoverServer {
 public:
  enum class Start {
    kListening,    // this dialog now receives paths
    kOtherDialog,  // another dialog holds the lock; try again later
    kFailed,       // no place to listen (see detail)
  };

  HandoverServer() = default;
  HandoverServer(const HandoverServer&) = delete;
  HandoverServer& operator=(const HandoverServer&) = delete;
  /// Closes everything and removes the socket file when it is still this server's.
  ~HandoverServer();

  /// Takes the lock in the first usable candidate directory and listens there. Cheap
  /// to call again: once listening it does nothing, and while another dialog holds the
  /// lock it only tries the lock.
  Start Listen(const std::vector<RendezvousCandidate>& candidates, std::string* detail);

  bool listening() const { return listenFd_.valid(); }
  int listenFd() const { return listenFd_.get(); }

  struct PeerHandle {
    std::uint64_t serial;  // never reused, unlike descriptors
    int fd;
  };
  std::vector<PeerHandle> peers() const;

  /// Accepts waiting connections and reads what the peers have sent. Returns the paths
  /// that arrived whole and were confirmed, in the order they arrived.
  std::vector<std::string> Service(std::chrono::steady_clock::time_point now);

  /// Milliseconds until the next peer's deadline; nullopt when no peer is open.
  std::optional<int> MsUntilDeadline(std::chrono::steady_clock::time_point now) const;

 private:
  struct Peer {
    std::uint64_t serial = 0;
    UniqueFd fd;
    std::chrono::steady_clock::time_point deadline;
    std::string received;
  };
  enum class Read { kWaiting, kDone, kRefused };

  Start BindAndListen(std::string* detail);
  void AcceptWaiting(std::chrono::steady_clock::time_point now);
  static Read ReadPeer(Peer& peer, std::string* path);

  std::optional<RendezvousDir> dir_;
  UniqueFd lockFd_;
  UniqueFd listenFd_;
  std::string socketAddress_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::vector<Peer> peers_;
  std::uint64_t nextSerial_ = 1;
};

}  // namespace talvorix
