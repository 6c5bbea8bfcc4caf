#include "dialog/win32/win32_folder_source.h"

#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "dialog/main_dialog.h"
#include "dialog/win32/win32_view.h"
#include "watch/folder_events.h"
#include "watch/folder_listing_win32.h"
#include "wintext/wide_text_win32.h"

namespace talvorix {
namespace {

/// Where the folder gives no notifications, it is looked at this often.
constexpr UINT kLookMilliseconds = 250;

}  // namespace

/// The folder's change notifications (FolderEvents: ReadDirectoryChangesW) read on a
/// thread of their own: the names are queued in `Changes` and the window is told by one
/// posted message per batch.
class Win32FolderSource::Notifications {
 public:
  Notifications(HWND window, std::shared_ptr<Changes> changes) : window_(window), changes_(std::move(changes)) {}
  Notifications(const Notifications&) = delete;
  Notifications& operator=(const Notifications&) = delete;
  ~Notifications() {
    if (thread_ != nullptr) {
      SetEvent(stop_);
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
    }
    if (stop_ != nullptr) CloseHandle(stop_);
  }

  /// Starts reading the notifications of the folder (named in UTF-8); null where it
  /// gives none.
  static std::unique_ptr<Notifications> Start(const std::string& folder, HWND window,
                                              std::shared_ptr<Changes> changes) {
    auto notifications = std::make_unique<Notifications>(window, std::move(changes));
    if (!notifications->events_.Open(folder)) return nullptr;
    notifications->stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (notifications->stop_ == nullptr) return nullptr;
    notifications->thread_ = CreateThread(
        nullptr, 0, [](void* self) -> DWORD { return static_cast<Notifications*>(self)->Run(); },
        notifications.get(), 0, nullptr);
    if (notifications->thread_ == nullptr) return nullptr;
    return notifications;
  }

 private:
  DWORD Run() {
    // A folder removed or no longer readable ends the notifications; the window then
    // looks at the whole folder on its timer.
    while (events_.open()) {
      const HANDLE waits[2] = {stop_, reinterpret_cast<HANDLE>(events_.waitHandle())};
      if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
      Queue(events_.Read());
    }
    return 0;
  }

  /// Queues the changes of one read and tells the window.
  void Queue(const FolderChanges& read) {
    {
      const std::lock_guard<std::mutex> hold(changes_->lock);
      if (read.unknown) changes_->unknown = true;
      if (read.gone) changes_->ended = true;
      changes_->names.insert(changes_->names.end(), read.names.begin(), read.names.end());
    }
    if (!changes_->posted.exchange(true)) PostMessageW(window_, kFolderEventsMessage, 0, 0);
  }

  HWND window_;
  std::shared_ptr<Changes> changes_;
  FolderEvents events_;  // read on the thread only, once it runs
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
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
  const std::wstring wide = WideFromUtf8(folder);
  if (wide.empty()) return std::nullopt;
  return ListWideFolder(wide);
}

std::optional<FolderEntry> Win32FolderSource::Stat(const std::string& folder, const std::string& name) {
  const std::wstring wide = WideFromUtf8(folder);
  if (wide.empty()) return std::nullopt;
  return StatWideFolderFile(wide, name);
}

int64_t Win32FolderSource::FileTimeNow() { return talvorix::FileTimeNow(); }

ReportScan Win32FolderSource::Scan(const std::string& folder, const FolderEntry& entry) {
  std::wstring path = WideFromUtf8(folder);
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += WideFromUtf8(entry.name);
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
  notifications_ = Notifications::Start(folder, dialog_, changes_);
  if (notifications_ == nullptr) SetTimer(dialog_, kFolderTimer, kLookMilliseconds, nullptr);
}

void Win32FolderSource::WakeIn(int64_t milliseconds) {
  const int64_t wait = milliseconds < 1 ? 1 : (milliseconds > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : milliseconds);
  SetTimer(dialog_, kWakeTimer, static_cast<UINT>(wait), nullptr);
}

std::string Win32FolderSource::DisplayName(const std::string& folder) {
  // The hint shows Windows-1250; a letter it lacks shows as '?'.
  return NarrowShown(WideFromUtf8(LastPathComponent(folder)), 1250, '?');
}

}  // namespace talvorix
