#pragma once
// The path hand-over on POSIX systems.
//
// Where: a directory private to the user (owned by the user, closed to the group and to
// others). When $XDG_RUNTIME_DIR is set to an absolute path, that directory and no
// other. Without it, the first that will do of
//   1. /run/user/<uid> (what a login session's XDG_RUNTIME_DIR normally is, so a sender
//      started without it, as under cron or su, still finds the dialog),
//   2. $HOME/.cache/talvorix (made with mode 0700 when missing).
// In it: "talvorix.sock", the dialog's listening Unix-domain stream socket, and
// "talvorix.lock", which the listening dialog holds locked (flock) for as long as it
// runs. A dialog that finds the lock taken leaves the socket to its owner and tries
// again now and then, so it takes over when the listener ends.
//
// The message: the sender connects and writes kMessageMagic, the path's length as two
// bytes (big-endian, 1 to kSharedPathSize - 1) and the path's bytes (no NUL). The dialog
// takes a message only from a peer of its own user id, only whole and with nothing
// after it, and only within kPeerDeadline of the connection; it then answers with the
// one byte kAccepted, and the path is the dialog's. Anything else is closed unanswered.

#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/handover.h"

namespace talvorix {

inline constexpr std::string_view kMessageMagic = "PATH";
/// The magic and the two length bytes.
inline constexpr std::size_t kMessageHeaderSize = kMessageMagic.size() + 2;
inline constexpr char kAccepted = 'K';
inline constexpr std::string_view kSocketName = "talvorix.sock";
inline constexpr std::string_view kLockName = "talvorix.lock";

/// How long a connection may take to deliver its whole message.
inline constexpr std::chrono::milliseconds kPeerDeadline{1000};
/// Connections read at once; a newer one pushes the oldest out.
inline constexpr std::size_t kMaxPeers = 32;

/// The message that carries `path` (which must be 1 to kSharedPathSize - 1 bytes).
std::string EncodeMessage(std::string_view path);

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

  RendezvousDir(RendezvousDir&& other) noexcept;
  RendezvousDir& operator=(RendezvousDir&& other) noexcept;
  RendezvousDir(const RendezvousDir&) = delete;
  RendezvousDir& operator=(const RendezvousDir&) = delete;
  ~RendezvousDir();

  const std::string& path() const { return path_; }
  int fd() const { return fd_; }
  /// The address of `name` inside the directory for bind and connect: the plain path
  /// when it fits a socket address, else a short one through the open directory.
  std::string SocketAddress(std::string_view name) const;

 private:
  RendezvousDir(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  std::string path_;
  int fd_ = -1;
};

struct SendTimeouts {
  /// For the connection to be taken while the dialog's queue is full.
  std::chrono::milliseconds connect{2000};
  /// For the dialog's answer once the message is written.
  std::chrono::milliseconds answer{5000};
};

/// Hands `path` to the dialog listening at `socketAddress`.
SendOutcome SendPathTo(std::string_view path, const std::string& socketAddress, const SendTimeouts& timeouts,
                       std::string* detail);

/// Hands `path` to the dialog in the first candidate directory that has one.
SendOutcome SendPathToCandidates(std::string_view path, const std::vector<RendezvousCandidate>& candidates,
                                 const SendTimeouts& timeouts, std::string* detail);

/// The dialog's copy of the shared block: the last path handed over, NUL-terminated.
class LocalPathBlock : public SharedPathBlock {
 public:
  /// Replaces the block's contents with `path` (cut to leave room for the NUL).
  void Put(std::string_view path);
  std::optional<std::span<const char>> Bytes() override { return std::span<const char>(bytes_); }

 private:
  std::array<char, kSharedPathSize> bytes_{};
};

/// The dialog's listening socket and the connections it is reading. Nothing here
/// blocks: the window's event loop calls Service when a descriptor is readable or a
/// deadline has come.
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

  bool listening() const { return listenFd_ >= 0; }
  int listenFd() const { return listenFd_; }

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
    int fd = -1;
    std::chrono::steady_clock::time_point deadline;
    std::string received;
  };
  enum class Read { kWaiting, kDone, kRefused };

  Start BindAndListen(std::string* detail);
  void AcceptWaiting(std::chrono::steady_clock::time_point now);
  Read ReadPeer(Peer& peer, std::string* path);
  static void ClosePeer(Peer& peer);

  std::optional<RendezvousDir> dir_;
  int lockFd_ = -1;
  bool locked_ = false;
  int listenFd_ = -1;
  std::string socketAddress_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::vector<Peer> peers_;
  std::uint64_t nextSerial_ = 1;
};

}  // namespace talvorix
