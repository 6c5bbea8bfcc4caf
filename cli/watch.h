#pragma once
// talvorix-cli --watch: prints the riddles of each report saved into a folder.

#include <string>

namespace talvorix {

struct WatchOptions {
  bool json = false;  // one JSON line per report instead of text blocks
  bool once = false;  // stop after the first report printed
};

/// Prints the newest report of the folder at once, then every report that settles in it
/// (size and time held for kStableMilliseconds), looking every 250 ms, until the
/// process is ended; with `once`, returns after the first report. Returns the exit
/// status: 2 when the folder cannot be read at the start, else 0.
int WatchFolderAndPrint(const std::string& folder, const WatchOptions& options);

}  // namespace talvorix
