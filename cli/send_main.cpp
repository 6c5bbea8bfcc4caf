// talvorix-send: hands a report path to the running Talvorix dialog.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <vector>

#include "cli/absolute_path.h"
#include "cli/output.h"
#include "cli/terminal.h"
#include "cli/translate.h"
#include "core/version.h"
#include "handover/handover.h"

namespace {

constexpr int kExitSent = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 64;

using talvorix::Format;
using talvorix::Translate;

constexpr const char* kUsage = talvorix::MarkForTranslation(
    "Usage: talvorix-send PATH\n"
    "Hands the turn report at PATH to the running Talvorix dialog, which then shows its riddles.\n"
    "A relative PATH is taken from the current directory.\n"
    "\n"
    "  -h, --help  show this help\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 when the dialog holds the path, 1 when no dialog runs, it did not answer\n"
    "in time or the hand-over failed, 64 for bad usage, a path longer than 1023 bytes or (on\n"
    "Windows) a path that the system's code page cannot hold.\n");

/// Error output: when it fails as well there is nowhere left to say so.
void Print(std::FILE* stream, std::string_view text) { static_cast<void>(talvorix::WriteText(stream, text)); }

/// A failure said on standard error after the program's name.
void Fail(const std::string& message) { Print(stderr, "talvorix-send: " + message + "\n"); }

/// `plain` when there is no detail, else `withDetail` with the detail in it.
std::string WithDetail(const char* plain, const char* withDetail, const std::string& detail) {
  return detail.empty() ? std::string(plain) : Format(withDetail, {detail});
}

/// The help or the version on standard output: kExitSent once written, else a word on
/// standard error and kExitFailed.
int PrintOut(std::string_view text) {
  if (talvorix::WriteText(stdout, text) && std::fflush(stdout) == 0) return kExitSent;
  Fail(Format(Translate("write error: %s"), {std::strerror(errno)}));
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  talvorix::StartTranslation();
  const std::vector<std::string> arguments = talvorix::ProgramArguments(argc, argv);
  argc = static_cast<int>(arguments.size());
  if (argc == 2 && (arguments[1] == "--help" || arguments[1] == "-h")) return PrintOut(Translate(kUsage));
  if (argc == 2 && std::string_view(arguments[1]) == "--version")
    return PrintOut("talvorix-send " + std::string(talvorix::kVersion) + "\n");
  if (argc != 2 || arguments[1].empty()) {
    Print(stderr, Translate(kUsage));
    return kExitUsage;
  }
  // An option it does not know is never taken for a path ("./-name" names such a file).
  if (arguments[1].size() > 1 && arguments[1][0] == '-') {
    Fail(Format(Translate("unknown option %s"), {talvorix::EscapeControlBytes(talvorix::ArgumentAsUtf8(arguments[1]))}) +
         "\n");
    Print(stderr, Translate(kUsage));
    return kExitUsage;
  }
  std::string detail;
  // The dialog runs in a directory of its own: it gets the path as it reads here.
  std::string absolute;
  switch (talvorix::AbsolutePath(arguments[1], &absolute, &detail)) {
    case talvorix::MadeAbsolute::kDone:
      break;
    case talvorix::MadeAbsolute::kTooLong:
      Fail(Format(Translate("the path is too long: %s"), {detail}));
      return kExitUsage;
    case talvorix::MadeAbsolute::kFailed:
      Fail(detail);
      return kExitFailed;
  }
  const std::string_view path = absolute;
  switch (talvorix::SendPathToDialog(path, &detail)) {
    case talvorix::SendOutcome::kSent:
      return kExitSent;
    case talvorix::SendOutcome::kPathTooLong:
      Fail(Format(Translate("the path is %s bytes long; the shared block holds at most %s"),
                  {std::to_string(path.size()), std::to_string(talvorix::kSharedPathSize - 1)}));
      return kExitUsage;
    case talvorix::SendOutcome::kBlockUnavailable:
      Fail(WithDetail(Translate("cannot open the shared block PATH"), Translate("cannot open the shared block PATH: %s"),
                      detail));
      return kExitFailed;
    case talvorix::SendOutcome::kNoAnswer:
      Fail(WithDetail(Translate("the Talvorix dialog did not take the path in time; it may be busy or stopped"),
                      Translate("the Talvorix dialog did not take the path in time; it may be busy or stopped (%s)"),
                      detail));
      return kExitFailed;
    case talvorix::SendOutcome::kNotTaken:
      Fail(WithDetail(Translate("the Talvorix dialog did not take the path"),
                      Translate("the Talvorix dialog did not take the path (%s)"), detail));
      return kExitFailed;
    case talvorix::SendOutcome::kNotInCodePage:
      Fail(Translate("the path has a character that the system's code page cannot hold; "
                     "the dialog would read another name"));
      return kExitUsage;
    case talvorix::SendOutcome::kNotTalvorix:
      Fail(Format(Translate("no Talvorix dialog took the path (%s)"), {detail}));
      return kExitFailed;
    case talvorix::SendOutcome::kBlockChanged:
      Fail(Format(Translate("the dialog did not get the path: %s"), {detail}));
      return kExitFailed;
    case talvorix::SendOutcome::kUnreadable:
      Fail(Translate("the dialog took the path but could not read the report"));
      return kExitFailed;
    case talvorix::SendOutcome::kTurnHeld:
      Fail(Format(Translate("%s; the path was not handed over"), {detail}));
      return kExitFailed;
    case talvorix::SendOutcome::kNoDialog:
      Fail(WithDetail(Translate("no Talvorix dialog is running"), Translate("no Talvorix dialog is running (%s)"),
                      detail));
      return kExitFailed;
  }
  return kExitFailed;
}
