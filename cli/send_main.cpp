// talvorix-send: hands a report path to the running Talvorix dialog.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <vector>

#include "cli/absolute_path.h"
#include "cli/terminal.h"
#include "core/version.h"
#include "dialog/handover.h"

namespace {

constexpr int kExitSent = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 64;

constexpr std::string_view kUsage =
    "Usage: talvorix-send PATH\n"
    "Hands the turn report at PATH to the running Talvorix dialog, which then shows its riddles.\n"
    "A relative PATH is taken from the current directory.\n"
    "\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 when the dialog holds the path, 1 when no dialog runs, it did not answer\n"
    "in time or the hand-over failed, 64 for bad usage, a path longer than 1023 bytes or (on\n"
    "Windows) a path that the system's code page cannot hold.\n";

/// Error output: when it fails as well there is nowhere left to say so.
void Print(std::FILE* stream, std::string_view text) {
  static_cast<void>(std::fwrite(text.data(), 1, text.size(), stream));
}

/// The help or the version on standard output: kExitSent once written, else a word on
/// standard error and kExitFailed.
int PrintOut(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) return kExitSent;
  Print(stderr, std::string("talvorix-send: write error: ") + std::strerror(errno) + "\n");
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = talvorix::ProgramArguments(argc, argv);
  argc = static_cast<int>(arguments.size());
  if (argc == 2 && std::string_view(arguments[1]) == "--help") return PrintOut(kUsage);
  if (argc == 2 && std::string_view(arguments[1]) == "--version")
    return PrintOut("talvorix-send " + std::string(talvorix::kVersion) + "\n");
  if (argc != 2 || arguments[1].empty()) {
    Print(stderr, kUsage);
    return kExitUsage;
  }
  std::string detail;
  // The dialog runs in a directory of its own: it gets the path as it reads here.
  std::string absolute;
  switch (talvorix::AbsolutePath(arguments[1], &absolute, &detail)) {
    case talvorix::MadeAbsolute::kDone:
      break;
    case talvorix::MadeAbsolute::kTooLong:
      Print(stderr, "talvorix-send: the path is too long: " + detail + "\n");
      return kExitUsage;
    case talvorix::MadeAbsolute::kFailed:
      Print(stderr, "talvorix-send: " + detail + "\n");
      return kExitFailed;
  }
  const std::string_view path = absolute;
  switch (talvorix::SendPathToDialog(path, &detail)) {
    case talvorix::SendOutcome::kSent:
      return kExitSent;
    case talvorix::SendOutcome::kPathTooLong:
      Print(stderr, "talvorix-send: the path is " + std::to_string(path.size()) +
                        " bytes long; the shared block holds at most " +
                        std::to_string(talvorix::kSharedPathSize - 1) + "\n");
      return kExitUsage;
    case talvorix::SendOutcome::kBlockUnavailable:
      Print(stderr, "talvorix-send: cannot open the shared block PATH" +
                        (detail.empty() ? std::string() : ": " + detail) + "\n");
      return kExitFailed;
    case talvorix::SendOutcome::kNoAnswer:
      Print(stderr, "talvorix-send: the Talvorix dialog did not take the path in time; it may be busy or stopped" +
                        (detail.empty() ? std::string() : " (" + detail + ")") + "\n");
      return kExitFailed;
    case talvorix::SendOutcome::kNotTaken:
      Print(stderr, "talvorix-send: the Talvorix dialog did not take the path" +
                        (detail.empty() ? std::string() : " (" + detail + ")") + "\n");
      return kExitFailed;
    case talvorix::SendOutcome::kNotInCodePage:
      Print(stderr, "talvorix-send: the path has a character that the system's code page cannot hold; "
                    "the dialog would read another name\n");
      return kExitUsage;
    case talvorix::SendOutcome::kNotTalvorix:
      Print(stderr, "talvorix-send: no Talvorix dialog took the path (" + detail + ")\n");
      return kExitFailed;
    case talvorix::SendOutcome::kBlockChanged:
      Print(stderr, "talvorix-send: the dialog did not get the path: " + detail + "\n");
      return kExitFailed;
    case talvorix::SendOutcome::kUnreadable:
      Print(stderr, "talvorix-send: the dialog took the path but could not read the report\n");
      return kExitFailed;
    case talvorix::SendOutcome::kTurnHeld:
      Print(stderr, "talvorix-send: " + detail + "; the path was not handed over\n");
      return kExitFailed;
    case talvorix::SendOutcome::kNoDialog:
      Print(stderr, "talvorix-send: no Talvorix dialog is running" +
                        (detail.empty() ? std::string() : " (" + detail + ")") + "\n");
      return kExitFailed;
  }
  return kExitFailed;
}
