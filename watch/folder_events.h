#pragma once
// Change notifications of one watched folder, with the names of the files that
// changed, where the system gives them (Linux: inotify). Elsewhere nothing is reported
// and the caller looks at the whole folder now and then.

#include <cstdint>
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
  FolderEvents() = default;
  ~FolderEvents();
  FolderEvents(const FolderEvents&) = delete;
  FolderEvents& operator=(const FolderEvents&) = delete;

  /// Starts reporting the folder's changes, in place of any folder before; false when
  /// the system cannot, and then nothing is reported.
  bool Open(const std::string& folder);
  /// Stops reporting.
  void Close();
  /// Whether changes are being reported.
  bool open() const { return descriptor_ >= 0; }
  /// A descriptor that is readable while changes wait to be read (-1 when none), for an
  /// event loop to wait on.
  int descriptor() const { return descriptor_; }
  /// Reads the changes that wait, without blocking.
  FolderChanges Read();
  /// Waits up to `milliseconds` for changes and reads them; `*ready` tells whether any
  /// arrived before the time ran out.
  FolderChanges Wait(int64_t milliseconds, bool* ready);

 private:
  int descriptor_ = -1;
};

}  // namespace talvorix
