#include "cli/checked_output.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/exit_codes.h"
#include "cli/terminal.h"
#include "cli/translate.h"

namespace talvorix {

void CheckedOutput::Fail() {
  error_ = errno != 0 ? errno : EIO;
}

bool CheckedOutput::Write(std::string_view utf8) {
  if (failed()) return false;
  errno = 0;
  if (!WriteText(stream_, utf8)) Fail();
  return !failed();
}

bool CheckedOutput::Flush() {
  if (failed()) return false;
  errno = 0;
  if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) Fail();
  return !failed();
}

void ReportWriteError(int error) {
  // Nothing is left to tell when standard error fails as well.
  const std::string message = "talvorix-cli: " + Format(Translate("write error: %s"), {std::strerror(error)}) + "\n";
  static_cast<void>(WriteText(stderr, message));
}

int FinishOutput(CheckedOutput& out, int status) {
  if (out.Flush()) return status;
  ReportWriteError(out.error());
  return kExitIoError;
}

}  // namespace talvorix
