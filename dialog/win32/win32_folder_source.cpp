#include "dialog/win32/win32_folder_source.h"

#include <array>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "dialog/main_dialog.h"
#include "dialog/win32/win32_view.h"
#include "watch/folder_events_win32.h"
#include "watch/folder_listing_win32.h"
#include "wintext/wide_text_win32.h"

namespace talvorix {
namespace {

/// Where the folder gives no notifications, it is looked at this often.
constexpr UINT kLookMilliseconds = 250;

/// A name kept in UTF-8 as UTF-16; ill-formed UTF-8 is refused, not replaced.
std::wstring WideName(std::string_view name) { return WideFrom(name, CP_UTF8, MB_ERR_INVALID_CHARS); }

}  // namespace

/// ReadDirectoryChangesW on the folder, on a thread of its own: the names it reports
/// are queued in `Changes` and the window is told by one posted message per batch.
class Win32FolderSource::Notifications {
 public:
  Notifications(HANDLE folder, HWND window, std::shared_ptr<Changes> changes)
      : folder_(folder), window_(window), changes_(std::move(changes)) {}
  Notifications(const Notifications&) = delete;
  Notifications& operator=(const Notifications&) = delete;
  ~Notifications() {
    if (thread_ != nullptr) {
      SetEvent(stop_);
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
    }
    if (stop_ != nullptr) CloseHandle(stop_);
    if (done_ != nullptr) CloseHandle(done_);
    CloseHandle(folder_);
  }

  /// Opens the folder for notifications; null where it gives none.
  static std::unique_ptr<Notifications> Start(const std::wstring& folder, HWND window,
                                              std::shared_ptr<Changes> changes) {
    const HANDLE handle = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    auto notifications = std::make_unique<Notifications>(handle, window, std::move(changes));
    notifications->stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    notifications->done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (notifications->stop_ == nullptr || notifications->done_ == nullptr) return nullptr;
    // The first read is asked here, so that a folder without notifications is known at once.
    if (!notifications->Ask()) return nullptr;
    notifications->thread_ = CreateThread(
        nullptr, 0, [](void* self) -> DWORD { return static_cast<Notifications*>(self)->Run(); },
        notifications.get(), 0, nullptr);
    if (notifications->thread_ == nullptr) {
      CancelIoEx(notifications->folder_, &notifications->overlapped_);
      WaitForSingleObject(notifications->done_, INFINITE);
      return nullptr;
    }
    return notifications;
  }

 private:
  bool Ask() {
    ResetEvent(done_);
    overlapped_ = {};
    overlapped_.hEvent = done_;
    return ReadDirectoryChangesW(folder_, buffer_.data(), static_cast<DWORD>(buffer_.size()), FALSE,
                                 kFolderNotifyFilter, nullptr, &overlapped_, nullptr) != 0;
  }

  DWORD Run() {
    for (;;) {
      const HANDLE events[2] = {stop_, done_};
      if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
      DWORD bytes = 0;
      // Too many changes to name show as no names, or (on some systems) as this error.
      const bool completed = GetOverlappedResult(folder_, &overlapped_, &bytes, FALSE) != 0;
      const bool read = completed || GetLastError() == ERROR_NOTIFY_ENUM_DIR;
      if (!completed) bytes = 0;
      // A folder removed or no longer readable ends the notifications; the window then
      // looks at the whole folder on its timer.
      const bool asked = read && Ask();
      Queue(bytes, !asked);
      if (!asked) return 0;
    }
    CancelIoEx(folder_, &overlapped_);
    WaitForSingleObject(done_, INFINITE);
    return 0;
  }

  /// Queues the names of one read (none: the notifications overflowed) and tells the window.
  void Queue(DWORD bytes, bool ended) {
    FolderChanges read;
    AddNotifiedNames(buffer_.data(), bytes, &read);
    {
      const std::lock_guard<std::mutex> hold(changes_->lock);
      if (read.unknown) changes_->unknown = true;
      if (ended) changes_->ended = true;
      changes_->names.insert(changes_->names.end(), read.names.begin(), read.names.end());
    }
    if (!changes_->posted.exchange(true)) PostMessageW(window_, kFolderEventsMessage, 0, 0);
  }

  HANDLE folder_;
  HWND window_;
  std::shared_ptr<Changes> changes_;
  HANDLE stop_ = nullptr;
  HANDLE done_ = nullptr;
  HANDLE thread_ = nullptr;
  OVERLAPPED overlapped_{};
  // FILE_NOTIFY_INFORMATION records are DWORD-aligned.
  alignas(DWORD) std::array<char, kFolderNotificationBytes> buffer_{};
};

Win32FolderSource::Win32FolderSource() : changes_(std::make_shared<Changes>()) {}

Win32FolderSource::~Win32FolderSource() = default;

void Win32FolderSource::Deliver(MainDialog& dialog) {
  std::vector<std::string> names;
  bool unknown = false;
  bool ended = false;
  {
    const std::lock_guard<std::mutex> hold(changes_->lock);
    changes_->posted = false;
    names.swap(changes_->names);
    unknown = std::exchange(changes_->unknown, false);
    ended = std::exchange(changes_->ended, false);
  }
  if (ended && notifications_ != nullptr) {
    notifications_.reset();
    SetTimer(dialog_, kFolderTimer, kLookMilliseconds, nullptr);
  }
  if (!names.empty()) dialog.OnFolderFilesChanged(names);
  if (unknown) dialog.OnFolderChanged();
}

void Win32FolderSource::OnTimer(UINT_PTR id, MainDialog& dialog) {
  if (id == kFolderTimer) {
    dialog.OnFolderChanged();
  } else if (id == kWakeTimer) {
    KillTimer(dialog_, kWakeTimer);  // one wait, one call
    dialog.OnFolderWake();
  }
}

std::string Win32FolderSource::NameOf(const std::wstring& folder) { return NarrowTo(folder, CP_UTF8).value_or(""); }

bool Win32FolderSource::IsFolder(const std::string& path) { return IsFolderPath(path); }

// 8-bit paths are UTF-8 in this program already.
std::string Win32FolderSource::FolderName(const std::string& path) { return path; }

std::optional<std::vector<FolderEntry>> Win32FolderSource::List(const std::string& folder) {
  const std::wstring wide = WideName(folder);
  if (wide.empty()) return std::nullopt;
  return ListWideFolder(wide);
}

std::optional<FolderEntry> Win32FolderSource::Stat(const std::string& folder, const std::string& name) {
  const std::wstring wide = WideName(folder);
  if (wide.empty()) return std::nullopt;
  return StatWideFolderFile(wide, name);
}

int64_t Win32FolderSource::FileTimeNow() { return talvorix::FileTimeNow(); }

ReportScan Win32FolderSource::Scan(const std::string& folder, const FolderEntry& entry) {
  std::wstring path = WideName(folder);
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += WideName(entry.name);
  return [path = std::move(path)](ResultTable* table) { return ScanWideNamedReport(path, table, kDialogReportLimit); };
}

int64_t Win32FolderSource::NowMilliseconds() { return static_cast<int64_t>(GetTickCount64()); }

void Win32FolderSource::Watch(const std::string& folder) {
  notifications_.reset();  // the old folder's thread has ended here
  KillTimer(dialog_, kFolderTimer);
  KillTimer(dialog_, kWakeTimer);
  {
    const std::lock_guard<std::mutex> hold(changes_->lock);
    changes_->names.clear();
    changes_->unknown = false;
    changes_->ended = false;
  }
  if (folder.empty()) return;
  notifications_ = Notifications::Start(WideName(folder), dialog_, changes_);
  if (notifications_ == nullptr) SetTimer(dialog_, kFolderTimer, kLookMilliseconds, nullptr);
}

void Win32FolderSource::WakeIn(int64_t milliseconds) {
  const int64_t wait = milliseconds < 1 ? 1 : (milliseconds > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : milliseconds);
  SetTimer(dialog_, kWakeTimer, static_cast<UINT>(wait), nullptr);
}

std::string Win32FolderSource::DisplayName(const std::string& folder) {
  // The hint shows Windows-1250; a letter it lacks shows as '?'.
  return NarrowShown(WideName(LastPathComponent(folder)), 1250, '?');
}

}  // namespace talvorix
