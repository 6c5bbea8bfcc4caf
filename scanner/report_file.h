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

class ReportFile;

/// Opens a report by a UTF-16 name, the kind of name a Windows drop delivers. Defined
/// only in the Windows build (report_file_win32.cpp); nullopt as ReportFile::Open.
std::optional<ReportFile> OpenWideNamedReport(const std::wstring& path);

/// A regular file open for reading. Everything is decided on the opening itself, never
/// on the name again: a name that is replaced after the opening no longer matters. Reads
/// stop at the size the file had when it was opened; bytes appended later are not read,
/// and a file that shrinks ends early.
class ReportFile final : public ByteSource {
 public:
  /// Opens the file at an 8-bit name (on Windows, in the system's code page). nullopt
  /// when the name holds a NUL, when the file cannot be opened for reading, or when what
  /// was opened is not a regular file (a directory, a pipe, a device). Opening a pipe
  /// never waits for its writer.
  static std::optional<ReportFile> Open(const std::string& path);

  ReportFile(ReportFile&& other) noexcept
      : handle_(std::exchange(other.handle_, kClosed)), size_(other.size_), left_(other.left_) {}
  ReportFile& operator=(ReportFile&& other) noexcept {
    if (this != &other) {
      Close(std::exchange(handle_, std::exchange(other.handle_, kClosed)));
      size_ = other.size_;
      left_ = other.left_;
    }
    return *this;
  }
  ~ReportFile() override { Close(handle_); }

  /// The file's size when it was opened.
  uint64_t size() const { return size_; }

  /// The next bytes, never beyond the size at opening. A read that a signal interrupts
  /// is repeated; a read error ends the file.
  std::size_t Read(std::span<char> buffer) override;

 private:
  /// The system's handle: a file descriptor on POSIX, a HANDLE on Windows.
  using Handle = std::intptr_t;
  /// No handle: -1 is both an invalid descriptor and INVALID_HANDLE_VALUE.
  static constexpr Handle kClosed = -1;

  ReportFile(Handle handle, uint64_t size) : handle_(handle), size_(size), left_(size) {}
  static void Close(Handle handle);

  friend std::optional<ReportFile> OpenWideNamedReport(const std::wstring& path);

  Handle handle_ = kClosed;
  uint64_t size_ = 0;
  uint64_t left_ = 0;
};

}  // namespace talvorix
