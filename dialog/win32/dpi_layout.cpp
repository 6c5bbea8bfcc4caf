#include "dialog/win32/dpi_layout.h"

#include <string>

#include "dialog/dialog_template.h"

namespace talvorix {
namespace {

/// The dialog units' base: a quarter of the font's average character width and an eighth
/// of its height make one unit, measured as the dialog manager measures them.
struct BaseUnits {
  int x = 0;
  int y = 0;
};

LOGFONTW TemplateFont(int dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(kDialogTemplate.fontPoints, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  const std::string_view name = kDialogTemplate.fontName;  // ASCII
  for (std::size_t i = 0; i < name.size() && i + 1 < LF_FACESIZE; ++i) font.lfFaceName[i] = static_cast<WCHAR>(name[i]);
  return font;
}

BaseUnits MeasureAt96() {
  BaseUnits units;
  const LOGFONTW description = TemplateFont(USER_DEFAULT_SCREEN_DPI);
  const HFONT font = CreateFontIndirectW(&description);
  const HDC dc = CreateCompatibleDC(nullptr);
  if (font != nullptr && dc != nullptr) {
    const HGDIOBJ before = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    SIZE extent{};
    static constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsW(dc, &metrics) && GetTextExtentPoint32W(dc, kAlphabet, 52, &extent)) {
      units.x = (extent.cx / 26 + 1) / 2;
      units.y = metrics.tmHeight;
    }
    SelectObject(dc, before);
  }
  if (dc != nullptr) DeleteDC(dc);
  if (font != nullptr) DeleteObject(font);
  return units;
}

/// A template rectangle in pixels at `dpi`: edges rounded each, so that neighbours meet.
RECT InPixels(const DialogRect& rect, BaseUnits units, int dpi) {
  const auto x = [&](int du) { return MulDiv(du * units.x, dpi, 4 * USER_DEFAULT_SCREEN_DPI); };
  const auto y = [&](int du) { return MulDiv(du * units.y, dpi, 8 * USER_DEFAULT_SCREEN_DPI); };
  return {x(rect.left), y(rect.top), x(rect.left + rect.width), y(rect.top + rect.height)};
}

}  // namespace

DpiLayout::~DpiLayout() {
  if (font_ != nullptr) DeleteObject(font_);
}

int DpiLayout::DpiOf(HWND dialog) {
  // Asked through the export, which systems before Windows 10 lack.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  // void (*)() stands for any function type between the two casts.
  const auto forWindow = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (forWindow != nullptr) {
    if (const UINT dpi = forWindow(dialog); dpi > 0) return static_cast<int>(dpi);
  }
  int dpi = USER_DEFAULT_SCREEN_DPI;
  if (const HDC screen = GetDC(dialog)) {
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(dialog, screen);
  }
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void DpiLayout::Apply(HWND dialog, int dpi, const POINT* topLeft) {
  const BaseUnits units = MeasureAt96();
  if (units.x <= 0 || units.y <= 0 || dpi <= 0) return;
  const LOGFONTW description = TemplateFont(dpi);
  const HFONT font = CreateFontIndirectW(&description);
  // The children are in template order, the order the dialog manager created them in.
  std::size_t index = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && index < kDialogTemplate.controls.size();
       child = GetWindow(child, GW_HWNDNEXT), ++index) {
    const RECT rect = InPixels(kDialogTemplate.controls[index].rect, units, dpi);
    SetWindowPos(child, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (font != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (font != nullptr) {
    SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;
  }
  // The frame round the client area as the window has it now, at this DPI.
  RECT window{};
  RECT client{};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  const RECT wanted = InPixels({0, 0, kDialogTemplate.rect.width, kDialogTemplate.rect.height}, units, dpi);
  const int width = (window.right - window.left) - client.right + wanted.right;
  const int height = (window.bottom - window.top) - client.bottom + wanted.bottom;
  const POINT at = topLeft != nullptr ? *topLeft : POINT{window.left, window.top};
  SetWindowPos(dialog, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(dialog, nullptr, TRUE);
}

}  // namespace talvorix
