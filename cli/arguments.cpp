#include "cli/arguments.h"

#include <string_view>

#include "cli/output.h"
#include "cli/terminal.h"
#include "cli/translate.h"
#include "watch/folder_listing.h"

namespace talvorix {

std::variant<CliOptions, UsageError> ParseArguments(const std::vector<std::string>& arguments) {
  CliOptions options;
  bool watch = false;
  bool optionsDone = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view arg = arguments[i];
    if (optionsDone || (arg != "-h" && !arg.starts_with("--"))) {
      options.reports.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsDone = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--once") {
      options.once = true;
    } else if (arg == "--watch") {
      if (i + 1 >= arguments.size() || watch) return UsageError{Translate("--watch takes one folder")};
      watch = true;
      options.folder = arguments[++i];
    } else if (arg == "-h" || arg == "--help") {
      options.mode = CliOptions::Mode::kHelp;
      return options;
    } else if (arg == "--version") {
      options.mode = CliOptions::Mode::kVersion;
      return options;
    } else {
      return UsageError{Format(Translate("unknown option %s"), {EscapeControlBytes(ArgumentAsUtf8(arg))})};
    }
  }
  if (watch || options.once) {
    if (!watch || !options.reports.empty())
      return UsageError{Translate("--once goes with --watch, and --watch with no report")};
    options.mode = CliOptions::Mode::kWatch;
    return options;
  }
  if (options.reports.empty()) return UsageError{Translate("no report given")};
  // A folder is read by watching it, never as a report.
  for (const std::string& path : options.reports) {
    if (!IsFolderPath(path)) continue;
    const std::string shown = EscapeControlBytes(ArgumentAsUtf8(path));
    return UsageError{
        Format(Translate("%s is a folder, not a report; to watch it: talvorix-cli --watch %s"), {shown, shown}),
        false};
  }
  return options;
}

}  // namespace talvorix
