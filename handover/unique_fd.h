#pragma once
// The one owner of every descriptor the POSIX hand-over opens: closed when its owner
// goes, on every way out.

#include <unistd.h>

#include <utility>

namespace talvorix {

class UniqueFd {
 public:
  UniqueFd() = default;
  /// Takes `fd` (-1 for none, as the system calls return on failure).
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  /// Gives up the descriptor without closing it.
  int release() { return std::exchange(fd_, -1); }
  /// Closes the descriptor held, if any, and takes `fd`.
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace talvorix
