#pragma once
// talvorix-cli --watch: prints the riddles of each report saved into a folder.

#include <string>

namespace talvorix {

struct WatchOptions {
  bool json = false;  // one JSON line per report instead of text blocks
  bool once = false;  // stop after the first report printed
};

/// Prints the folder's newest report, then every report saved into it, each once its
/// save has settled (size and time held for kStableMilliseconds; empty files and
/// partial downloads never), until the process is ended; with `once`, returns after
/// the first report. Returns the exit status: 2 when the folder cannot be read at the
/// start (or, with `once`, the report printed could not be read), 74 when the output
/// fails or its reader has gone, else 0.
int WatchFolderAndPrint(const std::string& folder, const WatchOptions& options);

}  // namespace talvorix
