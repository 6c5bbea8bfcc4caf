#include "tests/dialog/win32/dpi_tests.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "tests/dialog/win32/e2e_support.h"

namespace talvorix::e2e {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

/// Sets the display's DPI for programs started from now on; the value before, if any.
std::optional<DWORD> SetLogPixels(std::optional<DWORD> dpi) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    Fail("cannot open HKCU\\Control Panel\\Desktop");
    return std::nullopt;
  }
  std::optional<DWORD> before;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExW(key, kLogPixels, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
      type == REG_DWORD)
    before = value;
  const LONG written = dpi ? RegSetValueExW(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*dpi),
                                            sizeof(DWORD))
                           : RegDeleteValueW(key, kLogPixels);
  if (written != ERROR_SUCCESS && dpi) Fail("cannot set LogPixels");
  RegCloseKey(key);
  return before;
}

}  // namespace

void DialogFollowsTheDisplayScaling() {
  std::optional<DialogStateProbe> at96;
  {
    Dialog dialog(Example("fordulo-112.html"));
    if (!dialog.ok()) return;
    at96 = ReadDialogState(dialog);
    if (!at96) return;
    // Wine 8 runs every program per-monitor aware (2) and knows no v2 context of its own,
    // so the process's own reading of its manifest is asked too; Windows 10 and 11
    // report the v2 context itself.
    const std::string setting = Utf8(at96->dpiAwarenessSetting);
    ExpectTrue("the dialog's thread is per-monitor aware (awareness " + std::to_string(at96->awareness) +
                   ", per-monitor v2 " + std::to_string(at96->perMonitorV2) + ")",
               at96->perMonitorV2 == 1 || at96->awareness == 2);
    ExpectEq("the process's manifest asks for per-monitor v2", "PerMonitorV2", setting.substr(0, setting.find(',')));
    ExpectEq("the dialog's DPI at 100 %", "96", std::to_string(at96->dpi));
    std::printf("     the dialog's thread: DPI awareness %ld, per-monitor v2 %ld, manifest \"%s\"\n",
                static_cast<long>(at96->awareness), static_cast<long>(at96->perMonitorV2), setting.c_str());
  }
  const std::optional<DWORD> before = SetLogPixels(144);
  {
    Dialog dialog(Example("fordulo-112.html"));
    const std::optional<DialogStateProbe> at144 = dialog.ok() ? ReadDialogState(dialog) : std::nullopt;
    if (at144) {
      ExpectEq("the dialog's DPI at 150 %", "144", std::to_string(at144->dpi));
      const auto scaled = [](LONG at96Pixels, LONG at144Pixels) {
        return std::abs(2 * at144Pixels - 3 * at96Pixels) <= 2 * 2;  // 1.5 times, within 2 pixels
      };
      const std::string sizes = std::to_string(at96->width) + "x" + std::to_string(at96->height) + " at 96 DPI, " +
                                std::to_string(at144->width) + "x" + std::to_string(at144->height) + " at 144 DPI";
      ExpectTrue("the client rectangle is 1.5 times as large: " + sizes,
                 scaled(at96->width, at144->width) && scaled(at96->height, at144->height));
      std::printf("     dialog client rectangle: %s\n", sizes.c_str());
    }
  }
  SetLogPixels(before);
}

}  // namespace talvorix::e2e
