#pragma once
// Change notifications of one watched folder, with the names of the files that
// changed, where the system gives them (Linux: inotify; Windows: ReadDirectoryChangesW).
// Elsewhere nothing is reported and the caller looks at the whole folder now and then.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talvorix {

/// What changed in the folder since the last read.
struct FolderChanges {
  std::vector<std::string> names;  // files made, written, renamed or removed, each once
  bool unknown = false;            // more changed than the names say: list the folder
  bool gone = false;               // the folder itself was removed or moved away
};

class FolderEvents {
 public:
  FolderEvents();
  ~FolderEvents();
  FolderEvents(const FolderEvents&) = delete;
  FolderEvents& operator=(const FolderEvents&) = delete;

  /// Starts reporting the folder's changes, in place of any folder before; false when
  /// the system cannot, and then nothing is reported. The folder is named as ListFolder
  /// takes it, and so are the names reported.
  bool Open(const std::string& folder);
  /// Stops reporting.
  void Close();
  /// Whether changes are being reported.
  bool open() const { return state_ != nullptr; }
  /// What an event loop waits on while changes wait to be read: the descriptor on
  /// Linux, an event handle on Windows; -1 when none (not open, or nothing to wait on).
  std::intptr_t waitHandle() const;
  /// Reads the changes that wait, without blocking.
  FolderChanges Read();
  /// Waits up to `milliseconds` for changes and reads them; `*ready` tells whether any
  /// arrived before the time ran out.
  FolderChanges Wait(int64_t milliseconds, bool* ready);

 private:
  struct State;  // the system's handles
  std::unique_ptr<State> state_;
};

}  // namespace talvorix
