#pragma once
// The path hand-over on POSIX systems.
//
// The block: the POSIX shared-memory object "/talvorix-PATH-<uid>" (the effective user
// id in decimal), kSharedPathSize bytes, mode 0600, owned by the user; it holds the path
// as NUL-terminated 8-bit text at its start. An object owned by someone else, or open
// to the group or to others, is refused by both sides.
//
// The announcement: a connection to the Unix-domain stream socket
// $XDG_RUNTIME_DIR/talvorix.sock (or /tmp/talvorix-<uid>/talvorix.sock, in a directory
// of mode 0700 owned by the user, when XDG_RUNTIME_DIR is unset or unsuitable) that
// carries the bytes of kAnnouncement. The dialog reads the block when the whole
// message has arrived from a peer of its own user id; anything else is dropped.

#include <sys/types.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "shell/handover.h"

namespace talvorix {

/// What a sender writes on the socket to announce a path in the block.
inline constexpr std::string_view kAnnouncement = "LOADSHAREDPATH\n";

/// Name of the socket file inside the runtime directory.
inline constexpr std::string_view kSocketName = "talvorix.sock";

/// The shared block's name for this user: "/talvorix-PATH-<uid>".
std::string SharedBlockName();

/// Where the announcement socket lives. `runtimeDir` is XDG_RUNTIME_DIR (may be null);
/// it is used when it is an absolute path to a directory owned by the user and closed
/// to others. Otherwise the socket lives in `<fallbackBase>/talvorix-<uid>`, which is
/// made with mode 0700 when `create` is set and must be a directory owned by the user
/// and closed to others. nullopt, with the reason in `detail`, when neither will do.
std::optional<std::string> AnnouncementSocketPath(const char* runtimeDir, const std::string& fallbackBase,
                                                  bool create, std::string* detail);

/// The socket path for this process's environment.
std::optional<std::string> DefaultAnnouncementSocketPath(bool create, std::string* detail);

/// One mapping of the named block, unmapped and closed on destruction.
class MappedBlock {
 public:
  /// Opens or creates the block `name`, sizes it to kSharedPathSize and maps it for
  /// reading and writing. nullopt, with the reason in `detail`, when the object cannot
  /// be had or belongs to another user or is open to others.
  static std::optional<MappedBlock> Open(const std::string& name, std::string* detail);

  MappedBlock(MappedBlock&& other) noexcept;
  MappedBlock& operator=(MappedBlock&& other) noexcept;
  MappedBlock(const MappedBlock&) = delete;
  MappedBlock& operator=(const MappedBlock&) = delete;
  ~MappedBlock();

  std::span<char> bytes() const { return {data_, kSharedPathSize}; }

 private:
  MappedBlock(int fd, char* data) : fd_(fd), data_(data) {}
  void Release();

  int fd_ = -1;
  char* data_ = nullptr;
};

/// The dialog's side of the block: opened on first use and kept until destruction.
class PosixSharedPathBlock : public SharedPathBlock {
 public:
  explicit PosixSharedPathBlock(std::string name) : name_(std::move(name)) {}
  /// Tries again on a later call when the block could not be opened.
  std::optional<std::span<const char>> Bytes() override;

 private:
  std::string name_;
  std::optional<MappedBlock> block_;
};

/// Writes `path` into the block `blockName` and announces it on `socketPath`. The
/// socket is tried first, so nothing is written when no dialog listens.
SendOutcome SendPath(std::string_view path, const std::string& blockName, const std::string& socketPath,
                     std::string* detail);

/// The dialog's listening socket. Only one dialog of a user listens; a second one
/// finds the first by connecting and leaves its socket alone.
class AnnouncementListener {
 public:
  enum class Start {
    kListening,     // this dialog now receives announcements
    kOtherDialog,   // another dialog listens already; this one does not
    kFailed,        // no socket (see detail)
  };

  AnnouncementListener() = default;
  AnnouncementListener(const AnnouncementListener&) = delete;
  AnnouncementListener& operator=(const AnnouncementListener&) = delete;
  /// Closes the socket and removes its file when the file is still this listener's.
  ~AnnouncementListener();

  /// Binds and listens at `socketPath`. A socket file that refuses connections is left
  /// over from a dialog that ended; it is removed and replaced. Anything else found at
  /// the path is left alone.
  Start Listen(const std::string& socketPath, std::string* detail);

  /// The listening descriptor, readable when a connection waits; -1 when not listening.
  int fd() const { return fd_; }

  /// Takes one waiting connection and closes it. True when it came from this user and
  /// carried the whole announcement within `waitMs` milliseconds.
  bool TakeAnnouncement(int waitMs = 1000);

 private:
  int fd_ = -1;
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace talvorix
