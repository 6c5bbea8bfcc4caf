// Opening and reading a report through one POSIX file descriptor.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "scanner/report_file.h"

namespace talvorix {
namespace {

/// The size of the regular file behind `fd`; nullopt for anything else. Decided on the
/// descriptor, so the name may have changed since the opening without effect.
std::optional<uint64_t> RegularFileSize(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) return std::nullopt;
  return static_cast<uint64_t>(status.st_size);
}

/// Makes reads wait for their data again: opened without blocking only so that a pipe
/// never holds the opening up.
bool ClearNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

}  // namespace

std::optional<ReportFile> ReportFile::Open(const std::string& path) {
  if (path.find('\0') != std::string::npos) return std::nullopt;  // no file has such a name
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  const std::optional<uint64_t> size = RegularFileSize(fd);
  if (!size || !ClearNonBlocking(fd)) {
    Close(fd);
    return std::nullopt;
  }
  return ReportFile(fd, *size);
}

std::size_t ReportFile::ReadAt(uint64_t offset, std::span<char> buffer) {
  std::size_t want = Allowed(offset, buffer.size());
  if (want == 0) return 0;
  if (want > static_cast<std::size_t>(std::numeric_limits<ssize_t>::max()))
    want = static_cast<std::size_t>(std::numeric_limits<ssize_t>::max());
  // pread neither uses nor moves the descriptor's position, so reads at any offsets mix freely.
  if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return 0;
  ssize_t got = -1;
  do {
    got = ::pread(static_cast<int>(handle_), buffer.data(), want, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

void ReportFile::Close(Handle handle) {
  // A close that a signal interrupts has released the descriptor on Linux: never retried.
  if (handle != kClosed) ::close(static_cast<int>(handle));
}

}  // namespace talvorix
