// What the test hook (load_log_hook.cpp) reads out of a popup menu open in
// talvorix.exe for the driver: a menu handle can only be read in the process that
// made the menu, so the driver asks the hook to read it there.
#pragma once

#include <windows.h>

#include <cstddef>

namespace talvorix::e2e {

/// The block the driver creates and the hook fills.
inline constexpr char kMenuProbeName[] = "talvorix-e2e-menu-probe";
/// Sent to the menu's window ("#32768"): the hook reads the menu into the block
/// before the window sees the message, so the block is complete when the send returns.
inline constexpr wchar_t kReadMenuMessage[] = L"talvorix-e2e-read-menu";
inline constexpr std::size_t kMenuProbeItems = 8;
inline constexpr std::size_t kMenuProbeChars = 64;

struct MenuProbe {
  /// The menu's item count; -1 while no menu was read.
  volatile LONG items;
  /// The items' texts, tab and shortcut included, each NUL-terminated and cut to fit.
  wchar_t texts[kMenuProbeItems][kMenuProbeChars];
};

}  // namespace talvorix::e2e
