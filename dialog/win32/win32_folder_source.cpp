#include "dialog/win32/win32_folder_source.h"

#include "dialog/folder_listing.h"
#include "dialog/main_dialog.h"
#include "dialog/wide_text_win32.h"
#include "dialog/win32/win32_view.h"

namespace talvorix {
namespace {

/// The watched folder is looked at this often; a save settles after a few looks.
constexpr UINT kLookMilliseconds = 250;

/// A name kept in UTF-8 as UTF-16; ill-formed UTF-8 is refused, not replaced.
std::wstring WideName(std::string_view name) { return WideFrom(name, CP_UTF8, MB_ERR_INVALID_CHARS); }

}  // namespace

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
  // The hint shows Windows-1250; a letter it lacks shows as '?'.
  return NarrowShown(WideName(LastPathComponent(folder)), 1250, '?');
}

}  // namespace talvorix
