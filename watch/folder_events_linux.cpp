#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "watch/folder_events.h"

namespace talvorix {

struct FolderEvents::State {
  explicit State(int fd) : descriptor(fd) {}
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() { close(descriptor); }
  int descriptor;
};

FolderEvents::FolderEvents() = default;
FolderEvents::~FolderEvents() = default;

std::intptr_t FolderEvents::waitHandle() const { return state_ ? state_->descriptor : -1; }

bool FolderEvents::Open(const std::string& folder) {
  Close();
  const int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (descriptor < 0) return false;
  constexpr uint32_t kMask = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO |
                             IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
  if (inotify_add_watch(descriptor, folder.c_str(), kMask) < 0) {
    close(descriptor);
    return false;
  }
  state_ = std::make_unique<State>(descriptor);
  return true;
}

void FolderEvents::Close() { state_.reset(); }

FolderChanges FolderEvents::Read() {
  FolderChanges changes;
  if (!state_) return changes;
  alignas(struct inotify_event) char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = read(state_->descriptor, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    for (std::size_t at = 0; at + sizeof(struct inotify_event) <= static_cast<std::size_t>(got);) {
      struct inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      const std::size_t end = at + sizeof event + event.len;
      if (end > static_cast<std::size_t>(got)) break;
      if (event.mask & IN_Q_OVERFLOW) changes.unknown = true;
      if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) changes.gone = true;
      if (event.len > 0) {
        const char* name = buffer + at + sizeof event;
        std::string text(name, strnlen(name, event.len));
        if (!text.empty() && std::find(changes.names.begin(), changes.names.end(), text) == changes.names.end())
          changes.names.push_back(std::move(text));
      }
      at = end;
    }
  }
  if (changes.gone) Close();
  return changes;
}

FolderChanges FolderEvents::Wait(int64_t milliseconds, bool* ready) {
  *ready = false;
  const int timeout = static_cast<int>(std::clamp<int64_t>(milliseconds, 0, INT_MAX));
  if (!state_) {
    if (timeout > 0) poll(nullptr, 0, timeout);
    return {};
  }
  struct pollfd wait = {state_->descriptor, POLLIN, 0};
  if (poll(&wait, 1, timeout) <= 0) return {};
  *ready = true;
  return Read();
}

}  // namespace talvorix
