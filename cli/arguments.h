#pragma once
// talvorix-cli's command line, read into what the run is to do.

#include <string>
#include <variant>
#include <vector>

namespace talvorix {

/// What one run of talvorix-cli does, as its arguments ask.
struct CliOptions {
  enum class Mode { kReports, kWatch, kHelp, kVersion };
  Mode mode = Mode::kReports;
  bool json = false;                 // one JSON line per report instead of text blocks
  bool once = false;                 // kWatch: stop after the first report printed
  std::string folder;                // kWatch: the folder watched
  std::vector<std::string> reports;  // kReports: the reports, in argument order
};

/// Arguments that do not go together, said as "talvorix-cli: MESSAGE"; with `showUsage`,
/// an empty line and the usage follow. The run then ends with kExitUsage.
struct UsageError {
  std::string message;  // UTF-8, in the user's language, control bytes of arguments escaped
  bool showUsage = true;
};

/// Reads the arguments (ProgramArguments: the program's name first) in order: the first
/// -h, --help or --version, or the first bad option, decides before anything later.
/// Looks at the file system only to refuse a folder named as a report. Messages are
/// translated: StartTranslation comes first.
std::variant<CliOptions, UsageError> ParseArguments(const std::vector<std::string>& arguments);

}  // namespace talvorix
