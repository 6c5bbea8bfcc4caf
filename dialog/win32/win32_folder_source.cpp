#include "dialog/win32/win32_folder_source.h"

#include "dialog/folder_listing.h"
#include "dialog/main_dialog.h"
#include "dialog/win32/win32_view.h"

namespace talvorix {
namespace {

/// The watched folder is looked at this often; a save settles after a few looks.
constexpr UINT kLookMilliseconds = 250;

/// 8-bit text in a code page as UTF-16; empty when it is empty or cannot be converted.
std::wstring Widen(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
  const int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

}  // namespace

std::string Win32FolderSource::NameOf(const std::wstring& folder) {
  if (folder.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, folder.data(), static_cast<int>(folder.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string name(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, folder.data(), static_cast<int>(folder.size()), name.data(),
                      length, nullptr, nullptr);
  return name;
}

bool Win32FolderSource::IsFolder(const std::string& path) { return IsFolderPath(path); }

std::string Win32FolderSource::FolderName(const std::string& path) { return NameOf(Widen(path, CP_ACP)); }

std::optional<std::vector<FolderEntry>> Win32FolderSource::List(const std::string& folder) {
  const std::wstring wide = Widen(folder, CP_UTF8);
  if (wide.empty()) return std::nullopt;
  return ListWideFolder(wide);
}

ReportScan Win32FolderSource::Scan(const std::string& folder, const FolderEntry& entry) {
  std::wstring path = Widen(folder, CP_UTF8);
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += Widen(entry.name, CP_UTF8);
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
  const std::wstring wide = Widen(LastPathComponent(folder), CP_UTF8);
  if (wide.empty()) return {};
  const int wideLength = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(1250, 0, wide.data(), wideLength, nullptr, 0, "?", nullptr);
  if (length <= 0) return {};
  std::string shown(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(1250, 0, wide.data(), wideLength, shown.data(), length, "?", nullptr);
  return shown;
}

}  // namespace talvorix
