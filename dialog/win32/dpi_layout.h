#pragma once
// The dialog at any display scaling. The dialog manager sizes a template in dialog
// units by its font's metrics at the display's DPI, and a font's metrics do not grow in
// step with its size (at 150 % the dialog would come out 1.43 times as wide). So at a
// DPI other than 96 the dialog is laid out again: the template's dialog units times
// the base units the font has at 96 DPI, scaled by DPI / 96, with the font made for
// that DPI. At 150 % every control is 1.5 times its size at 100 %, the text crisp.

#include <windows.h>

namespace talvorix {

class DpiLayout {
 public:
  DpiLayout() = default;
  DpiLayout(const DpiLayout&) = delete;
  DpiLayout& operator=(const DpiLayout&) = delete;
  ~DpiLayout();

  /// The DPI the dialog window is shown at (96 where the system cannot tell).
  static int DpiOf(HWND dialog);

  /// Lays the dialog out for `dpi`: font, controls and client area; its top left corner
  /// goes to `topLeft` when given, else stays.
  void Apply(HWND dialog, int dpi, const POINT* topLeft = nullptr);

 private:
  HFONT font_ = nullptr;  // the font made for the last layout; the dialog's own before
};

}  // namespace talvorix
