#pragma once
// What the dialog logic needs from a window system.

#include <string_view>

namespace talvorix {

/// The dialog window, as the portable logic drives it.
class DialogView {
 public:
  virtual ~DialogView() = default;
  /// Sets the text of the control with this id; the text is Windows-1250 and a line
  /// feed in it starts a new line.
  virtual void SetControlText(int controlId, std::string_view cp1250) = 0;
  /// Brings the dialog in front of other windows.
  virtual void BringToForeground() = 0;
  /// Ends the dialog; the program then exits with this code.
  virtual void EndDialog(int result) = 0;
  /// Puts Windows-1250 text on the clipboard, as Unicode text.
  virtual void CopyText(std::string_view cp1250) = 0;
};

}  // namespace talvorix
