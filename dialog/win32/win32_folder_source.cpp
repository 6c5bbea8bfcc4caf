#include "dialog/win32/win32_folder_source.h"

#include "dialog/folder_listing.h"

namespace talvorix {
namespace {

/// The watched folder is looked at this often; a save settles after a few looks.
constexpr UINT kLookMilliseconds = 250;

}  // namespace

bool Win32FolderSource::IsFolder(const std::string& path) { return IsFolderPath(path); }

std::optional<std::vector<FolderEntry>> Win32FolderSource::List(const std::string& folder) {
  return ListFolder(folder);
}

int64_t Win32FolderSource::NowMilliseconds() { return static_cast<int64_t>(GetTickCount64()); }

void Win32FolderSource::Watch(const std::string& folder) {
  if (folder.empty()) {
    KillTimer(dialog_, kFolderTimer);
  } else {
    SetTimer(dialog_, kFolderTimer, kLookMilliseconds, nullptr);
  }
}

// The timer looks every 250 ms while a folder is watched, so no wait needs a timer of
// its own.
void Win32FolderSource::WakeIn(int64_t) {}

std::string Win32FolderSource::DisplayName(const std::string& folder) {
  const std::string_view name = LastPathComponent(folder);
  if (name.empty()) return {};
  // The name is in the system's code page; the hint shows Windows-1250.
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (wideLength <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), wideLength);
  const int length = WideCharToMultiByte(1250, 0, wide.data(), wideLength, nullptr, 0, "?", nullptr);
  if (length <= 0) return {};
  std::string shown(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(1250, 0, wide.data(), wideLength, shown.data(), length, "?", nullptr);
  return shown;
}

}  // namespace talvorix
