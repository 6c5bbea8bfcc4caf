// Change notifications of a folder through ReadDirectoryChangesW, one overlapped read
// always asked, so that nothing between two waits is missed.

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "watch/folder_events.h"
#include "wintext/wide_text_win32.h"

namespace talvorix {
namespace {

/// What is asked to be told: files made, renamed, removed, grown or written.
constexpr DWORD kNotifyFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
/// Bytes of notifications the system may gather between two reads; more overflow, and
/// the folder is then to be listed whole.
constexpr DWORD kNotificationBytes = 64 * 1024;

/// Adds the names of one completed read of `bytes` bytes (FILE_NOTIFY_INFORMATION
/// records) to `changes`, in UTF-8, each once. No bytes (the notifications overflowed),
/// a short (8.3) name, which stands for a long one that only a listing tells, and a name
/// that UTF-8 cannot hold each make the change `unknown`.
void AddNotifiedNames(const char* records, std::size_t bytes, FolderChanges* changes) {
  if (bytes == 0) changes->unknown = true;
  for (std::size_t at = 0; bytes != 0 && at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
    const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(records + at);
    const std::size_t nameBytes = std::min<std::size_t>(entry->FileNameLength,
                                                        bytes - at - offsetof(FILE_NOTIFY_INFORMATION, FileName));
    const std::wstring_view name(entry->FileName, nameBytes / sizeof(WCHAR));
    const std::optional<std::string> utf8 = NarrowTo(name, CP_UTF8);
    if (!utf8 || utf8->empty() || name.find(L'~') != std::wstring_view::npos) {
      changes->unknown = true;
    } else if (std::find(changes->names.begin(), changes->names.end(), *utf8) == changes->names.end()) {
      changes->names.push_back(*utf8);
    }
    if (entry->NextEntryOffset == 0) break;
    at += entry->NextEntryOffset;
  }
}

}  // namespace

struct FolderEvents::State {
  State(HANDLE f, HANDLE d) : folder(f), done(d) {}
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (asked) {
      CancelIoEx(folder, &overlapped);
      DWORD ignored = 0;
      GetOverlappedResult(folder, &overlapped, &ignored, TRUE);  // the buffer is the system's until then
    }
    CloseHandle(done);
    CloseHandle(folder);
  }
  /// Asks for the next batch of notifications; false when the folder gives none (any more).
  bool Ask() {
    ResetEvent(done);
    overlapped = {};
    overlapped.hEvent = done;
    asked = ReadDirectoryChangesW(folder, buffer.data(), static_cast<DWORD>(buffer.size()), FALSE,
                                  kNotifyFilter, nullptr, &overlapped, nullptr) != 0;
    return asked;
  }

  HANDLE folder;
  HANDLE done;
  OVERLAPPED overlapped{};
  bool asked = false;
  // FILE_NOTIFY_INFORMATION records are DWORD-aligned.
  alignas(DWORD) std::array<char, kNotificationBytes> buffer{};
};

FolderEvents::FolderEvents() = default;
FolderEvents::~FolderEvents() = default;

std::intptr_t FolderEvents::waitHandle() const {
  return state_ ? reinterpret_cast<std::intptr_t>(state_->done) : -1;
}

bool FolderEvents::Open(const std::string& folder) {
  Close();
  const std::wstring wide = WideFromUtf8(folder);
  if (wide.empty()) return false;
  const HANDLE handle =
      CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (done == nullptr) {
    CloseHandle(handle);
    return false;
  }
  auto state = std::make_unique<State>(handle, done);
  // The first read is asked here, so that a folder without notifications is known at once.
  if (!state->Ask()) return false;
  state_ = std::move(state);
  return true;
}

void FolderEvents::Close() { state_.reset(); }

FolderChanges FolderEvents::Read() {
  FolderChanges changes;
  while (state_ && WaitForSingleObject(state_->done, 0) == WAIT_OBJECT_0) {
    DWORD bytes = 0;
    // Too many changes to name show as no names, or (on some systems) as this error.
    const bool completed = GetOverlappedResult(state_->folder, &state_->overlapped, &bytes, FALSE) != 0;
    const bool read = completed || GetLastError() == ERROR_NOTIFY_ENUM_DIR;
    state_->asked = false;
    AddNotifiedNames(state_->buffer.data(), completed ? bytes : 0, &changes);
    // A folder removed or no longer readable ends the notifications.
    if (!read || !state_->Ask()) {
      changes.gone = true;
      Close();
    }
  }
  return changes;
}

FolderChanges FolderEvents::Wait(int64_t milliseconds, bool* ready) {
  *ready = false;
  const DWORD timeout = static_cast<DWORD>(std::clamp<int64_t>(milliseconds, 0, INFINITE - 1));
  if (!state_) {
    if (timeout > 0) Sleep(timeout);
    return {};
  }
  if (WaitForSingleObject(state_->done, timeout) != WAIT_OBJECT_0) return {};
  *ready = true;
  return Read();
}

}  // namespace talvorix
