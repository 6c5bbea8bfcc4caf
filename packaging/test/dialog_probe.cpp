// talvorix-dialog-probe: starts an unpacked or installed talvorix.exe on a report or a
// folder to watch, waits for its dialog (and for a watched folder's report), prints what
// the dialog shows, closes it as its close button does and prints the program's exit
// code. packaging/test-zip.sh and packaging/test-installer.sh run it under Wine.
// Usage: talvorix-dialog-probe TALVORIX.EXE REPORT|FOLDER
// Prints "caption: ...", "counter: ...", "answer: ..." and "exit code: N" (UTF-8); exits
// 0 when all of it could be read, 1 otherwise.

#include <windows.h>

#include <cstdio>
#include <string>

#include "dialog/resources/resource.h"
#include "wintext/wide_text_win32.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;  // a fresh Wine prefix starts slowly
constexpr DWORD kEndTimeoutMs = 10000;
constexpr DWORD kSettleTimeoutMs = 10000;

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner != search->processId || !IsWindowVisible(window) || std::wstring(className) != L"#32770") return TRUE;
  search->found = window;
  return FALSE;
}

std::string Utf8(const std::wstring& text) { return talvorix::NarrowShown(text, CP_UTF8, '?'); }

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::wstring Wide(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), size);
  out.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: talvorix-dialog-probe TALVORIX.EXE REPORT\n", stderr);
    return 64;
  }
  std::wstring commandLine = L"\"" + Wide(argv[1]) + L"\" \"" + Wide(argv[2]) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // Wine now and then refuses to start a process (error 1359); it is tried again.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process) != 0;
    if (!started) {
      error = GetLastError();
      Sleep(100);
    }
  }
  if (!started) {
    std::fprintf(stderr, "talvorix-dialog-probe: cannot start %s (error %lu)\n", argv[1], error);
    return 1;
  }
  CloseHandle(process.hThread);

  Search search = {process.dwProcessId, nullptr};
  for (DWORD waited = 0; search.found == nullptr && waited < kStartTimeoutMs; waited += 100) {
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  }
  if (search.found == nullptr) {
    std::fputs("talvorix-dialog-probe: no dialog appeared\n", stderr);
    TerminateProcess(process.hProcess, 99);
    return 1;
  }
  // A report named on the command line is read while the dialog starts: its counter is
  // set before it shows. A watched folder's newest report is shown once its save has
  // settled, a moment later.
  for (DWORD waited = 0; GetWindowTextLengthW(GetDlgItem(search.found, IDC_COUNTER)) == 0 && waited < kSettleTimeoutMs;
       waited += 100)
    Sleep(100);
  std::printf("caption: %s\n", Utf8(WindowText(search.found)).c_str());
  std::printf("counter: %s\n", Utf8(WindowText(GetDlgItem(search.found, IDC_COUNTER))).c_str());
  std::printf("answer: %s\n", Utf8(WindowText(GetDlgItem(search.found, IDC_ANSWER))).c_str());

  PostMessageW(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kEndTimeoutMs) != WAIT_OBJECT_0) {
    std::fputs("talvorix-dialog-probe: the dialog did not end after WM_CLOSE\n", stderr);
    TerminateProcess(process.hProcess, 99);
    return 1;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("exit code: %lu\n", exitCode);
  CloseHandle(process.hProcess);
  return 0;
}
