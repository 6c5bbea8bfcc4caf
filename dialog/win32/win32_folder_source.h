#pragma once
// The watched folder on Windows: FindFirstFileW listings and a 250 ms window timer
// that has the logic look at the folder while one is watched. Folders and files are
// named in UTF-8 (UTF-16 converted), so that a folder chosen or dropped whose name has
// no form in the system's code page is watched as any other. Every 8-bit path in this
// program is UTF-8 (a path from the shared block is converted from the code page as it
// is read).

#include <windows.h>

#include <string>

#include "dialog/folder_watch.h"

namespace talvorix {

/// The timer id of the folder watch; its WM_TIMER calls MainDialog::OnFolderChanged.
inline constexpr UINT_PTR kFolderTimer = 1;

class Win32FolderSource : public FolderSource {
 public:
  /// The dialog window is known only once it has been created.
  void Attach(HWND dialog) { dialog_ = dialog; }

  /// The source's name (UTF-8) of a UTF-16 folder name; empty when it has none.
  static std::string NameOf(const std::wstring& folder);

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

 private:
  HWND dialog_ = nullptr;
};

}  // namespace talvorix
