#pragma once
// The watched folder on Windows: FindFirstFileW listings and a 250 ms window timer
// that has the logic look at the folder while one is watched.

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

  bool IsFolder(const std::string& path) override;
  std::optional<std::vector<FolderEntry>> List(const std::string& folder) override;
  int64_t NowMilliseconds() override;
  void Watch(const std::string& folder) override;
  void WakeIn(int64_t milliseconds) override;
  std::string DisplayName(const std::string& folder) override;

 private:
  HWND dialog_ = nullptr;
};

}  // namespace talvorix
