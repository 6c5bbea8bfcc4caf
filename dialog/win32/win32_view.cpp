#include "dialog/win32/win32_view.h"

#include <shellapi.h>

#include <cstring>

#include "scanner/report_file_win32.h"
#include "scanner/scan_turn_report.h"

namespace talvorix {
namespace {

constexpr UINT kCodePage1250 = 1250;

}  // namespace

std::wstring ControlTextFromCp1250(std::string_view cp1250) {
  std::string crlf;
  crlf.reserve(cp1250.size() + cp1250.size() / 16);
  for (std::size_t i = 0; i < cp1250.size(); ++i) {
    if (cp1250[i] == '\n' && (i == 0 || cp1250[i - 1] != '\r')) crlf.push_back('\r');
    crlf.push_back(cp1250[i]);
  }
  if (crlf.empty()) return {};
  // Every byte of code page 1250 maps to exactly one UTF-16 unit.
  std::wstring wide(crlf.size(), L'\0');
  const int length = MultiByteToWideChar(kCodePage1250, 0, crlf.data(), static_cast<int>(crlf.size()),
                                         wide.data(), static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return wide;
}

int32_t ScanWideNamedReport(const std::wstring& path, ResultTable* table, std::optional<uint64_t> byteLimit) {
  return ScanReportFile(OpenWideNamedReport(path), table, byteLimit);
}

std::wstring FirstDroppedFile(HDROP drop) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return {};
  std::wstring name(length + 1, L'\0');
  const UINT copied = DragQueryFileW(drop, 0, name.data(), length + 1);
  name.resize(copied <= length ? copied : length);
  return name;
}

void Win32DialogView::SetControlText(int controlId, std::string_view cp1250) {
  SetDlgItemTextW(dialog_, controlId, ControlTextFromCp1250(cp1250).c_str());
}

void Win32DialogView::BringToForeground() { SetForegroundWindow(dialog_); }

void Win32DialogView::EndDialog(int result) { ::EndDialog(dialog_, result); }

void Win32DialogView::CopyText(std::string_view cp1250) {
  const std::wstring wide = ControlTextFromCp1250(cp1250);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return;
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(dialog_)) {
    GlobalFree(memory);
    return;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it has taken it.
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  CloseClipboard();
}

}  // namespace talvorix
