#include "shell/handover_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace talvorix {
namespace {

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

/// A directory of ours that nobody else may enter or list.
bool IsPrivateDirectory(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

bool FillAddress(const std::string& path, sockaddr_un* address, std::string* detail) {
  *address = {};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof(address->sun_path)) {
    SetDetail(detail, "socket path too long: " + path);
    return false;
  }
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

/// Connects a new stream socket to `path`; errno tells why not.
int ConnectTo(const std::string& path) {
  sockaddr_un address;
  if (!FillAddress(path, &address, nullptr)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return -1;
  if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) return -1;
  return fd.release();
}

std::optional<uid_t> PeerUid(int fd) {
  ucred credentials{};
  socklen_t size = sizeof(credentials);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials))
    return std::nullopt;
  return credentials.uid;
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

}  // namespace

std::string SharedBlockName() { return "/talvorix-PATH-" + Uid(); }

std::optional<std::string> AnnouncementSocketPath(const char* runtimeDir, const std::string& fallbackBase,
                                                  bool create, std::string* detail) {
  struct stat st {};
  if (runtimeDir != nullptr && runtimeDir[0] == '/' && stat(runtimeDir, &st) == 0 && IsPrivateDirectory(st))
    return std::string(runtimeDir) + "/" + std::string(kSocketName);

  const std::string dir = fallbackBase + "/talvorix-" + Uid();
  if (create && mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    SetDetail(detail, SystemError("cannot make " + dir));
    return std::nullopt;
  }
  if (lstat(dir.c_str(), &st) != 0) {
    SetDetail(detail, SystemError(dir));
    return std::nullopt;
  }
  if (!IsPrivateDirectory(st)) {
    SetDetail(detail, dir + " is not a directory of this user closed to others");
    return std::nullopt;
  }
  return dir + "/" + std::string(kSocketName);
}

std::optional<std::string> DefaultAnnouncementSocketPath(bool create, std::string* detail) {
  return AnnouncementSocketPath(std::getenv("XDG_RUNTIME_DIR"), "/tmp", create, detail);
}

std::optional<MappedBlock> MappedBlock::Open(const std::string& name, std::string* detail) {
  Fd fd(shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (fd.get() < 0) {
    SetDetail(detail, SystemError(name));
    return std::nullopt;
  }
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) {
    SetDetail(detail, SystemError(name));
    return std::nullopt;
  }
  if (st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
    SetDetail(detail, name + " belongs to another user or is open to others");
    return std::nullopt;
  }
  if (st.st_size != static_cast<off_t>(kSharedPathSize) &&
      ftruncate(fd.get(), static_cast<off_t>(kSharedPathSize)) != 0) {
    SetDetail(detail, SystemError(name));
    return std::nullopt;
  }
  void* data = mmap(nullptr, kSharedPathSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
  if (data == MAP_FAILED) {
    SetDetail(detail, SystemError(name));
    return std::nullopt;
  }
  return MappedBlock(fd.release(), static_cast<char*>(data));
}

MappedBlock::MappedBlock(MappedBlock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), data_(std::exchange(other.data_, nullptr)) {}

MappedBlock& MappedBlock::operator=(MappedBlock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    data_ = std::exchange(other.data_, nullptr);
  }
  return *this;
}

MappedBlock::~MappedBlock() { Release(); }

void MappedBlock::Release() {
  if (data_ != nullptr) munmap(data_, kSharedPathSize);
  if (fd_ >= 0) close(fd_);
  data_ = nullptr;
  fd_ = -1;
}

std::optional<std::span<const char>> PosixSharedPathBlock::Bytes() {
  if (!block_) block_ = MappedBlock::Open(name_, nullptr);
  if (!block_) return std::nullopt;
  return std::span<const char>(block_->bytes());
}

std::unique_ptr<SharedPathBlock> MakeSharedPathBlock() {
  return std::make_unique<PosixSharedPathBlock>(SharedBlockName());
}

SendOutcome SendPath(std::string_view path, const std::string& blockName, const std::string& socketPath,
                     std::string* detail) {
  if (path.size() >= kSharedPathSize) return SendOutcome::kPathTooLong;

  Fd socket(ConnectTo(socketPath));
  if (socket.get() < 0) {
    SetDetail(detail, SystemError(socketPath));
    return SendOutcome::kNoDialog;
  }
  const std::optional<uid_t> peer = PeerUid(socket.get());
  if (!peer || *peer != geteuid()) {
    SetDetail(detail, socketPath + " is served by another user");
    return SendOutcome::kNoDialog;
  }

  std::optional<MappedBlock> block = MappedBlock::Open(blockName, detail);
  if (!block) return SendOutcome::kBlockUnavailable;
  const std::span<char> bytes = block->bytes();
  std::memcpy(bytes.data(), path.data(), path.size());
  std::memset(bytes.data() + path.size(), 0, bytes.size() - path.size());

  if (!SendAll(socket.get(), kAnnouncement)) {
    SetDetail(detail, SystemError(socketPath));
    return SendOutcome::kNoDialog;
  }
  return SendOutcome::kSent;
}

SendOutcome SendPathToDialog(std::string_view path, std::string* detail) {
  if (path.size() >= kSharedPathSize) return SendOutcome::kPathTooLong;
  const std::optional<std::string> socketPath = DefaultAnnouncementSocketPath(false, detail);
  if (!socketPath) return SendOutcome::kNoDialog;
  return SendPath(path, SharedBlockName(), *socketPath, detail);
}

AnnouncementListener::~AnnouncementListener() {
  if (fd_ < 0) return;
  close(fd_);
  // A dialog started after a forced removal may own the path by now: only our own
  // socket file is removed.
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_) unlink(path_.c_str());
}

AnnouncementListener::Start AnnouncementListener::Listen(const std::string& socketPath, std::string* detail) {
  sockaddr_un address;
  if (fd_ >= 0) return Start::kListening;
  if (!FillAddress(socketPath, &address, detail)) return Start::kFailed;

  // Two dialogs starting together must not both take the path over: the check and
  // the bind happen under a lock next to the socket.
  Fd lock(open((socketPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (lock.get() < 0 || flock(lock.get(), LOCK_EX) != 0) {
    SetDetail(detail, SystemError(socketPath + ".lock"));
    return Start::kFailed;
  }

  struct stat st {};
  if (lstat(socketPath.c_str(), &st) == 0) {
    Fd probe(ConnectTo(socketPath));
    if (probe.get() >= 0) return Start::kOtherDialog;
    if (errno != ECONNREFUSED || !S_ISSOCK(st.st_mode) || st.st_uid != geteuid()) {
      SetDetail(detail, SystemError(socketPath));
      return Start::kFailed;
    }
    if (unlink(socketPath.c_str()) != 0 && errno != ENOENT) {
      SetDetail(detail, SystemError("cannot remove " + socketPath));
      return Start::kFailed;
    }
  }

  Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.get() < 0 || bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    SetDetail(detail, SystemError(socketPath));
    return Start::kFailed;
  }
  if (chmod(socketPath.c_str(), 0600) != 0 || lstat(socketPath.c_str(), &st) != 0 || listen(fd.get(), 16) != 0) {
    SetDetail(detail, SystemError(socketPath));
    unlink(socketPath.c_str());
    return Start::kFailed;
  }
  fd_ = fd.release();
  path_ = socketPath;
  device_ = st.st_dev;
  inode_ = st.st_ino;
  return Start::kListening;
}

bool AnnouncementListener::TakeAnnouncement(int waitMs) {
  if (fd_ < 0) return false;
  Fd peer(accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (peer.get() < 0) return false;
  const std::optional<uid_t> uid = PeerUid(peer.get());
  if (!uid || *uid != geteuid()) return false;

  std::string received;
  while (received.size() < kAnnouncement.size()) {
    pollfd wait{peer.get(), POLLIN, 0};
    const int ready = poll(&wait, 1, waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[64];
    const ssize_t got = read(peer.get(), buffer, std::min(sizeof(buffer), kAnnouncement.size() - received.size()));
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return false;
    received.append(buffer, static_cast<std::size_t>(got));
  }
  return received == kAnnouncement;
}

}  // namespace talvorix
