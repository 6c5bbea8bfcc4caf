// What the test hook (load_log_hook.cpp) reads inside talvorix.exe for the driver: a
// thread's DPI awareness can only be asked on that thread, and Wine tells a process's
// CPU time only to the process itself.
#pragma once

#include <windows.h>

namespace talvorix::e2e {

/// The block the driver creates and the hook fills.
inline constexpr char kStateProbeName[] = "talvorix-e2e-state-probe";
/// Sent to the dialog: the hook fills the block before the dialog sees the message.
inline constexpr wchar_t kReadStateMessage[] = L"talvorix-e2e-read-state";

struct DialogStateProbe {
  volatile LONG done;          // 1 once the hook has filled the block
  volatile LONG awareness;     // GetAwarenessFromDpiAwarenessContext of the thread's context
  volatile LONG perMonitorV2;  // 1 when the thread's context is per-monitor v2
  volatile LONG dpi;           // GetDpiForWindow of the dialog
  wchar_t dpiAwarenessSetting[64];  // the process's manifest's dpiAwareness, as the system read it
  volatile LONG width;         // the dialog's client rectangle, in the dialog's own pixels
  volatile LONG height;
  volatile LONG64 cpuTime;     // user and kernel time of the process, in 100 ns units
};

}  // namespace talvorix::e2e
