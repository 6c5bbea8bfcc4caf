#pragma once
// Output whose every write is checked: a full disk or a reader that went away is an
// error, said on standard error, with exit status kExitIoError.

#include <cstdio>
#include <string_view>

namespace talvorix {

/// A stream and the first failure of a write to it. Once a write has failed nothing
/// more is written, so a caller may write on and look once, or stop at the first false.
class CheckedOutput {
 public:
  explicit CheckedOutput(std::FILE* stream) : stream_(stream) {}

  /// Writes UTF-8 text (through WriteText: a Windows console gets UTF-16); false when
  /// this or an earlier write failed.
  bool Write(std::string_view utf8);
  /// Hands what the stream holds to the system; false when this or an earlier write
  /// failed. Buffered bytes meet a full disk or a closed pipe only here.
  bool Flush();

  bool failed() const { return error_ != 0; }
  /// The errno of the first failure (EIO when the system gave none); 0 before one.
  int error() const { return error_; }

 private:
  void Fail();

  std::FILE* stream_;
  int error_ = 0;
};

/// Says "talvorix-cli: write error: <the system's text for error>" on standard error.
/// The caller then ends with kExitIoError.
void ReportWriteError(int error);

/// The exit status once everything for `out` has been written: `status`, or
/// kExitIoError, said through ReportWriteError, when a write or the flush failed.
int FinishOutput(CheckedOutput& out, int status);

}  // namespace talvorix
