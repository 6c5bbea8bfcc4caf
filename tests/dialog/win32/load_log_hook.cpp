// talvorix-e2e-hook.dll: a window-procedure hook that the driver places on the
// dialog's thread of the real, unchanged talvorix.exe. The system loads this DLL
// into the dialog's process and calls the hooks on the dialog's own thread, around
// every sent message, so each announcement of a path is seen exactly when it is handled:
// no load can slip between two looks, as it could when the driver polled the
// screen from outside.

#include <windows.h>

#include <cstring>

#include "dialog/dialog_template.h"
#include "handover/handover_win32.h"
#include "tests/dialog/win32/dialog_state_probe.h"
#include "tests/dialog/win32/load_log.h"
#include "tests/dialog/win32/menu_probe.h"

namespace {

using talvorix::e2e::kLoadAnswerSize;
using talvorix::e2e::kLoadLogCapacity;
using talvorix::e2e::kLoadLogName;
using talvorix::e2e::kPathBlockSize;
using talvorix::e2e::LoadLog;

/// The driver's log, opened on first use and kept while the program runs; null
/// when the driver made none.
LoadLog* Log() {
  static LoadLog* log = [] {
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kLoadLogName);
    if (mapping == nullptr) return static_cast<LoadLog*>(nullptr);
    return static_cast<LoadLog*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LoadLog)));
  }();
  return log;
}

/// Writes the path into the block "PATH" as any program handing over a path does.
void WriteBlock(const char* path) {
  const HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kPathBlockSize, "PATH");
  if (mapping == nullptr) return;
  if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kPathBlockSize)) {
    std::memset(view, 0, kPathBlockSize);
    std::memcpy(view, path, strnlen(path, kPathBlockSize - 1));
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
}

}  // namespace

/// WH_CALLWNDPROC: before the dialog handles an announcement.
extern "C" __declspec(dllexport) LRESULT CALLBACK BeforeDialogMessage(int code, WPARAM wp, LPARAM lp) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
  LoadLog* log = Log();
  if (code == HC_ACTION && call->message == talvorix::kLoadSharedPathMessage && log != nullptr &&
      InterlockedExchange(&log->writeForeignPath, 0) != 0)
    WriteBlock(log->foreignPath);
  return CallNextHookEx(nullptr, code, wp, lp);
}

/// WH_CALLWNDPROCRET: the dialog has handled an announcement; its answer control
/// now shows the first record of the report it loaded.
extern "C" __declspec(dllexport) LRESULT CALLBACK AfterDialogMessage(int code, WPARAM wp, LPARAM lp) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lp);
  LoadLog* log = Log();
  if (code == HC_ACTION && call->message == talvorix::kLoadSharedPathMessage && log != nullptr) {
    const LONG index = log->count;  // only this thread writes the log
    if (index >= 0 && static_cast<std::size_t>(index) < kLoadLogCapacity) {
      char* entry = log->answers[index];
      std::memset(entry, 0, kLoadAnswerSize);
      GetDlgItemTextA(call->hwnd, talvorix::kAnswerControl, entry, static_cast<int>(kLoadAnswerSize));
    }
    InterlockedIncrement(&log->count);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

/// WH_CALLWNDPROC: the driver asks, through a message to an open popup menu's window,
/// for the menu's item texts.
extern "C" __declspec(dllexport) LRESULT CALLBACK ReadMenuOnRequest(int code, WPARAM wp, LPARAM lp) {
  using talvorix::e2e::kMenuProbeChars;
  using talvorix::e2e::kMenuProbeItems;
  using talvorix::e2e::MenuProbe;
  static const UINT request = RegisterWindowMessageW(talvorix::e2e::kReadMenuMessage);
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && request != 0 && call->message == request) {
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, talvorix::e2e::kMenuProbeName);
    void* view = mapping == nullptr ? nullptr : MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MenuProbe));
    if (view != nullptr) {
      auto* probe = static_cast<MenuProbe*>(view);
      const auto menu = reinterpret_cast<HMENU>(SendMessageW(call->hwnd, MN_GETHMENU, 0, 0));
      const int count = menu == nullptr ? -1 : GetMenuItemCount(menu);
      for (int i = 0; i < count && static_cast<std::size_t>(i) < kMenuProbeItems; ++i)
        GetMenuStringW(menu, static_cast<UINT>(i), probe->texts[i], static_cast<int>(kMenuProbeChars), MF_BYPOSITION);
      InterlockedExchange(&probe->items, count);
      UnmapViewOfFile(view);
    }
    if (mapping != nullptr) CloseHandle(mapping);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

/// WH_CALLWNDPROC: the driver asks, through a message to the dialog, how the dialog's
/// thread sees the display's DPI, and the CPU time the process has used. Asked through the system's own exports, which older
/// systems lack.
extern "C" __declspec(dllexport) LRESULT CALLBACK ReadStateOnRequest(int code, WPARAM wp, LPARAM lp) {
  using talvorix::e2e::DialogStateProbe;
  static const UINT request = RegisterWindowMessageW(talvorix::e2e::kReadStateMessage);
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && request != 0 && call->message == request) {
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, talvorix::e2e::kStateProbeName);
    void* view = mapping == nullptr ? nullptr : MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DialogStateProbe));
    if (view != nullptr) {
      auto* probe = static_cast<DialogStateProbe*>(view);
      const HMODULE user = GetModuleHandleW(L"user32.dll");
      using GetContext = HANDLE(WINAPI*)();
      using ContextsEqual = BOOL(WINAPI*)(HANDLE, HANDLE);
      using AwarenessOf = int(WINAPI*)(HANDLE);
      using DpiOf = UINT(WINAPI*)(HWND);
      // void (*)() stands for any function type between the two casts.
      const auto get = reinterpret_cast<GetContext>(
          reinterpret_cast<void (*)()>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
      const auto equal = reinterpret_cast<ContextsEqual>(
          reinterpret_cast<void (*)()>(GetProcAddress(user, "AreDpiAwarenessContextsEqual")));
      const auto awareness = reinterpret_cast<AwarenessOf>(
          reinterpret_cast<void (*)()>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
      const auto dpi =
          reinterpret_cast<DpiOf>(reinterpret_cast<void (*)()>(GetProcAddress(user, "GetDpiForWindow")));
      if (get != nullptr && equal != nullptr && awareness != nullptr) {
        const HANDLE context = get();
        probe->awareness = awareness(context);
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        probe->perMonitorV2 = equal(context, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))) ? 1 : 0;
      }
      if (dpi != nullptr) probe->dpi = static_cast<LONG>(dpi(call->hwnd));
      SIZE_T written = 0;
      if (!QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
                                probe->dpiAwarenessSetting, 63, &written))
        probe->dpiAwarenessSetting[0] = L'\0';
      RECT client{};
      GetClientRect(call->hwnd, &client);
      FILETIME created{};
      FILETIME ended{};
      FILETIME kernel{};
      FILETIME userTime{};
      if (GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &userTime)) {
        const auto ticks = [](const FILETIME& t) {
          return static_cast<LONG64>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
        };
        probe->cpuTime = ticks(kernel) + ticks(userTime);
      }
      probe->width = client.right - client.left;
      probe->height = client.bottom - client.top;
      InterlockedExchange(&probe->done, 1);
      UnmapViewOfFile(view);
    }
    if (mapping != nullptr) CloseHandle(mapping);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
