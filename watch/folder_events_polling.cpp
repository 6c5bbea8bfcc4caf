// Systems without named change notifications here: nothing is reported, and the caller
// looks at the whole folder now and then.

#include <chrono>
#include <thread>

#include "watch/folder_events.h"

namespace talvorix {

struct FolderEvents::State {};

FolderEvents::FolderEvents() = default;
FolderEvents::~FolderEvents() = default;

std::intptr_t FolderEvents::waitHandle() const { return -1; }

bool FolderEvents::Open(const std::string&) { return false; }

void FolderEvents::Close() {}

FolderChanges FolderEvents::Read() { return {}; }

FolderChanges FolderEvents::Wait(int64_t milliseconds, bool* ready) {
  *ready = false;
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return {};
}

}  // namespace talvorix
