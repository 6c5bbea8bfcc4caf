#pragma once
// The dialog's window on Windows: the portable logic's view over a dialog handle,
// and the pieces of a drop that only the Windows file API can do.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/puzzle_result.h"
#include "dialog/dialog_view.h"

namespace talvorix {

/// Windows-1250 text as a static control shows it: UTF-16, every line feed as a
/// carriage return and line feed.
std::wstring ControlTextFromCp1250(std::string_view cp1250);

/// Scans the report whose UTF-16 name a drop delivered, opened once; -1 when the name
/// is not a regular file that can be opened for reading, or when the file is larger than
/// `byteLimit` bytes.
int32_t ScanWideNamedReport(const std::wstring& path, ResultTable* table,
                            std::optional<uint64_t> byteLimit = std::nullopt);

/// The first dropped file's name; empty when the drop holds none.
std::wstring FirstDroppedFile(HDROP drop);

class Win32DialogView : public DialogView {
 public:
  /// The dialog window is known only once it has been created.
  void Attach(HWND dialog) { dialog_ = dialog; }

  void SetControlText(int controlId, std::string_view cp1250) override;
  void BringToForeground() override;
  void EndDialog(int result) override;
  void CopyText(std::string_view cp1250) override;

 private:
  HWND dialog_ = nullptr;
};

}  // namespace talvorix
