#pragma once
// A report opened once by its name and read through that one opening only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "scanner/byte_source.h"

namespace talvorix {

/// A regular file open for reading. Everything is decided on the opening itself, never
/// on the name again: a name that is replaced after the opening no longer matters. Reads
/// stop at the size the file had when it was opened; bytes appended later are not read,
/// and a file that shrinks ends early. Any of its bytes can be read again through the
/// same opening (ReadAt), never by opening its name again.
class ReportFile final : public ByteSource, public RandomAccessBytes {
 public:
  /// Opens the file at an 8-bit name (on Windows in UTF-8, opened by its UTF-16 form). nullopt
  /// when the name holds a NUL, when the file cannot be opened for reading, or when what
  /// was opened is not a regular file (a directory, a pipe, a device). Opening a pipe
  /// never waits for its writer.
  static std::optional<ReportFile> Open(const std::string& path);

  ReportFile(ReportFile&& other) noexcept
      : handle_(std::exchange(other.handle_, kClosed)), size_(other.size_), next_(other.next_), ended_(other.ended_) {}
  ReportFile& operator=(ReportFile&& other) noexcept {
    if (this != &other) {
      Close(std::exchange(handle_, std::exchange(other.handle_, kClosed)));
      size_ = other.size_;
      next_ = other.next_;
      ended_ = other.ended_;
    }
    return *this;
  }
  ~ReportFile() override { Close(handle_); }

  /// The file's size when it was opened.
  uint64_t size() const { return size_; }

  /// The next bytes from the start on, never beyond the size at opening. A read that a
  /// signal interrupts is repeated; a read error ends the file. ReadAt does not move
  /// where this reads next.
  std::size_t Read(std::span<char> buffer) override {
    if (ended_ || buffer.empty()) return 0;
    const std::size_t got = ReadAt(next_, buffer);
    if (got == 0) {
      ended_ = true;  // the end, or an error: either way nothing more is read
      return 0;
    }
    next_ += got;
    return got;
  }

  /// The bytes from `offset` on, never beyond the size at opening; 0 also for a read
  /// error. A read that a signal interrupts is repeated.
  std::size_t ReadAt(uint64_t offset, std::span<char> buffer) override;

  /// Never more than the size at opening.
  std::optional<uint64_t> SizeLimit() const override { return size_; }

 private:
  /// The system's handle: a file descriptor on POSIX, a HANDLE on Windows.
  using Handle = std::intptr_t;
  /// No handle: -1 is both an invalid descriptor and INVALID_HANDLE_VALUE.
  static constexpr Handle kClosed = -1;

  ReportFile(Handle handle, uint64_t size) : handle_(handle), size_(size) {}
  static void Close(Handle handle);
  /// How many bytes a read at `offset` may take into `buffer`: none past the size at opening.
  std::size_t Allowed(uint64_t offset, std::size_t buffer) const {
    if (handle_ == kClosed || offset >= size_) return 0;
    return size_ - offset < buffer ? static_cast<std::size_t>(size_ - offset) : buffer;
  }

  /// A platform's own ways of opening (report_file_<platform>.cpp) make their files here.
  friend struct ReportFileMaker;

  Handle handle_ = kClosed;
  uint64_t size_ = 0;
  uint64_t next_ = 0;   // where Read goes on
  bool ended_ = false;  // Read met the end or an error
};

}  // namespace talvorix
