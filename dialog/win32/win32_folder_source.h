#pragma once
// The watched folder on Windows: FindFirstFileW listings, and ReadDirectoryChangesW on
// a thread of its own that tells the dialog's window which files changed, so that an
// idle watch costs nothing however many files the folder holds. Where the folder gives
// no notifications (some network shares), a 250 ms window timer has the logic look at
// the whole folder instead. Folders and files are named in UTF-8 (UTF-16 converted),
// so that a folder chosen or dropped whose name has no form in the system's code page
// is watched as any other. Every 8-bit path in this program is UTF-8 (a path from the
// shared block is converted from the code page as it is read).

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dialog/folder_source.h"

namespace talvorix {

class MainDialog;

/// The timer ids of the folder watch: the look at the whole folder where there are no
/// notifications, and the one-shot wait that FolderSource::WakeIn asks for.
inline constexpr UINT_PTR kFolderTimer = 1;
inline constexpr UINT_PTR kWakeTimer = 2;
/// Posted by the notification thread: changes wait in the source (Deliver takes them).
inline constexpr UINT kFolderEventsMessage = WM_APP + 1;

class Win32FolderSource : public FolderSource {
 public:
  Win32FolderSource();
  Win32FolderSource(const Win32FolderSource&) = delete;
  Win32FolderSource& operator=(const Win32FolderSource&) = delete;
  ~Win32FolderSource() override;

  /// The dialog window is known only once it has been created.
  void Attach(HWND dialog) { dialog_ = dialog; }

  /// The source's name (UTF-8) of a UTF-16 folder name; empty when it has none.
  static std::string NameOf(const std::wstring& folder);

  /// kFolderEventsMessage: hands the changes that arrived to the logic.
  void Deliver(MainDialog& dialog);
  /// WM_TIMER with one of the watch's timer ids.
  void OnTimer(UINT_PTR id, MainDialog& dialog);

  bool IsFolder(const std::string& path) override;
  std::string FolderName(const std::string& path) override;
  ReportScan Scan(const std::string& folder, const FolderEntry& entry) override;
  std::optional<std::vector<FolderEntry>> List(const std::string& folder) override;
  std::optional<FolderEntry> Stat(const std::string& folder, const std::string& name) override;
  int64_t NowMilliseconds() override;
  int64_t FileTimeNow() override;
  void Watch(const std::string& folder) override;
  void WakeIn(int64_t milliseconds) override;
  std::string DisplayName(const std::string& folder) override;

  /// What the notification thread hands to the window.
  struct Changes {
    std::mutex lock;
    std::vector<std::string> names;  // files that changed, in UTF-8
    bool unknown = false;            // changes that were not named (overflow, an error)
    bool ended = false;              // the notifications ended (the folder went away)
    std::atomic<bool> posted{false};  // a kFolderEventsMessage is on its way
  };

 private:
  class Notifications;

  HWND dialog_ = nullptr;
  std::shared_ptr<Changes> changes_;
  std::unique_ptr<Notifications> notifications_;  // null while polling or not watching
};

}  // namespace talvorix
