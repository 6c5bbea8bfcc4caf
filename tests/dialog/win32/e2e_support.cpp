#include "tests/dialog/win32/e2e_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialog/dialog_template.h"
#include "handover/handover_win32.h"
#include "wintext/wide_text_win32.h"

namespace talvorix::e2e {

std::wstring g_talvorix;
std::wstring g_send;
std::wstring g_examples;
std::wstring g_scratch;
int g_failures = 0;
std::string g_test;

namespace {

constexpr wchar_t kCaption[] = L"Talvorix v0.93";

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lp) {
  auto* search = reinterpret_cast<WindowSearch*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  wchar_t caption[64] = {};
  GetClassNameW(window, className, 16);
  GetWindowTextW(window, caption, 64);
  if (owner == search->processId && std::wcscmp(className, L"#32770") == 0 && std::wcscmp(caption, kCaption) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::string Utf8(std::wstring_view wide) { return NarrowShown(wide, CP_UTF8, '?'); }

std::wstring Wide(std::string_view utf8) { return WideFrom(utf8, CP_UTF8); }

std::string AnsiPath(const std::wstring& path) {
  std::string out(path.size() * 2 + 1, '\0');
  const int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr,
                                    nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return out;
}

std::string OnScreen(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

void Fail(const std::string& what) {
  ++g_failures;
  std::printf("FAIL [%s] %s\n", g_test.c_str(), what.c_str());
  std::fflush(stdout);
}

void ExpectEq(const std::string& what, std::string_view want, std::string_view got) {
  if (want != got) Fail(what + ": want \"" + std::string(want) + "\", got \"" + std::string(got) + "\"");
}

void ExpectTrue(const std::string& what, bool condition) {
  if (!condition) Fail(what);
}

std::wstring Join(const std::wstring& dir, const std::wstring& name) { return dir + L"\\" + name; }

std::wstring Example(std::string_view file) { return Join(g_examples, Wide(file)); }

const ExpectedReport& Report(std::string_view file) {
  for (const ExpectedReport& report : kSampleReports)
    if (report.file == file) return report;
  std::printf("no expected records for %.*s\n", static_cast<int>(file.size()), file.data());
  std::exit(2);
}

HANDLE Launch(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Wine now and then refuses to start a process (error 1359) while others start and
  // end; starting it is not what is tested here, so it is tried again.
  DWORD error = 0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
      CloseHandle(process.hThread);
      return process.hProcess;
    }
    error = GetLastError();
    Sleep(100);
  }
  Fail("cannot start " + Utf8(exe) + ": error " + std::to_string(error));
  return nullptr;
}

long RunToEnd(const std::wstring& exe, const std::wstring& arguments) {
  const HANDLE process = Launch(exe, arguments);
  if (process == nullptr) return -1;
  DWORD code = 0;
  if (WaitForSingleObject(process, kStartTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process, 99);
    Fail("did not end: " + Utf8(exe));
  }
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<long>(code);
}

long RunCaptured(const std::wstring& exe, const std::wstring& arguments, std::string* output, DWORD timeoutMs) {
  output->clear();
  static int runs = 0;
  const std::wstring capture = Join(g_scratch, L"captured-" + std::to_wstring(++runs) + L".txt");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE file = CreateFileW(capture.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail("cannot make " + Utf8(capture));
    return -1;
  }
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = file;
  startup.hStdError = file;
  PROCESS_INFORMATION process{};
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                             &process) != 0;
    if (!started) Sleep(100);
  }
  if (!started) {
    CloseHandle(file);
    Fail("cannot start " + Utf8(exe));
    return -1;
  }
  CloseHandle(process.hThread);
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= until ? 0 : static_cast<DWORD>(until - now);
    const DWORD woke = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, left, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  long code = -1;
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    Fail("did not end: " + Utf8(exe) + " " + Utf8(arguments));
  } else if (GetExitCodeProcess(process.hProcess, &exitCode)) {
    code = static_cast<long>(exitCode);
  }
  CloseHandle(process.hProcess);
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  output->resize(static_cast<std::size_t>(size.QuadPart));
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  DWORD got = 0;
  if (!output->empty()) ReadFile(file, output->data(), static_cast<DWORD>(output->size()), &got, nullptr);
  output->resize(got);
  CloseHandle(file);
  return code;
}

std::optional<DialogStateProbe> ReadDialogState(const Dialog& dialog) {
  const HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DialogStateProbe),
                                            kStateProbeName);
  auto* probe = mapping == nullptr ? nullptr
                                   : static_cast<DialogStateProbe*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0,
                                                                          sizeof(DialogStateProbe)));
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dll(self, length < MAX_PATH ? length : 0);
  dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"talvorix-e2e-hook.dll";
  const HMODULE module = LoadLibraryW(dll.c_str());
  // void (*)() stands for any function type between the two casts.
  const auto proc = module == nullptr ? nullptr
                                      : reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                                            GetProcAddress(module, "ReadStateOnRequest")));
  const DWORD thread = GetWindowThreadProcessId(dialog.window(), nullptr);
  const HHOOK hook = proc != nullptr && thread != 0 ? SetWindowsHookExW(WH_CALLWNDPROC, proc, module, thread) : nullptr;
  std::optional<DialogStateProbe> read;
  if (probe != nullptr && hook != nullptr) {
    std::memset(probe, 0, sizeof(DialogStateProbe));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(dialog.window(), RegisterWindowMessageW(kReadStateMessage), 0, 0, SMTO_NORMAL, kStartTimeoutMs,
                        &result);
    if (probe->done == 1) read = *probe;
  }
  if (!read) Fail("cannot read the dialog's state through the hook");
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  if (module != nullptr) FreeLibrary(module);
  if (probe != nullptr) UnmapViewOfFile(probe);
  if (mapping != nullptr) CloseHandle(mapping);
  return read;
}

std::wstring CliProgram() { return g_send.substr(0, g_send.find_last_of(L'\\') + 1) + L"talvorix-cli.exe"; }

Dialog::Dialog(const std::wstring& arguments) {
  process_ = Launch(g_talvorix, arguments);
  if (process_ == nullptr) return;
  WaitForInputIdle(process_, kStartTimeoutMs);
  WindowSearch search{GetProcessId(process_), nullptr};
  for (DWORD waited = 0; search.found == nullptr && waited < kStartTimeoutMs; waited += 50) {
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) Sleep(50);
  }
  window_ = search.found;
  if (window_ == nullptr) Fail("no dialog appeared");
}

/// Closes the dialog the way the title bar does and checks the exit code.
Dialog::~Dialog() {
  if (process_ == nullptr) return;
  if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, kExitTimeoutMs) != WAIT_OBJECT_0) {
    Fail("WM_CLOSE did not end the program");
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, kExitTimeoutMs);
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    ExpectEq("exit code after WM_CLOSE", "1", std::to_string(code));
  }
  CloseHandle(process_);
}

bool Dialog::Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::string Dialog::Text(int id) const {
  wchar_t buffer[2048] = {};
  GetDlgItemTextW(window_, id, buffer, 2048);
  return Utf8(buffer);
}

std::vector<std::string> Dialog::Shown() const {
  return {Text(kAnswerControl), Text(kTextControl), Text(kTitleControl), Text(kCounterControl)};
}

std::vector<std::string> Dialog::AllTexts() const {
  std::vector<std::string> texts;
  EnumChildWindows(
      window_,
      [](HWND child, LPARAM lp) -> BOOL {
        wchar_t buffer[256] = {};
        GetWindowTextW(child, buffer, 256);
        reinterpret_cast<std::vector<std::string>*>(lp)->push_back(Utf8(buffer));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

void Dialog::Click(int id) const { SendMessageW(GetDlgItem(window_, id), BM_CLICK, 0, 0); }

LRESULT Dialog::Send(UINT message, WPARAM wp, LPARAM lp) const { return SendMessageW(window_, message, wp, lp); }

std::vector<std::string> Record(std::string_view file, int k) {
  const ExpectedReport& report = Report(file);
  const ExpectedRecord& r = report.records[static_cast<std::size_t>(k - 1)];
  return {std::string(r.answer), OnScreen(r.text), std::string(r.title),
          std::to_string(k) + "/" + std::to_string(report.records.size())};
}

const std::vector<std::string> kTemplateTexts = {"", "", "  Feladvány  ", ""};
const std::vector<std::string> kNoSuchFile = {"", "Nincs ilyen fájl", " Feladvány ", ""};

void ExpectShown(const std::string& what, const std::vector<std::string>& want, const Dialog& dialog) {
  const std::vector<std::string> got = dialog.Shown();
  static constexpr const char* kNames[] = {"answer", "text", "title", "counter"};
  for (std::size_t i = 0; i < 4; ++i) ExpectEq(what + " " + kNames[i], want[i], got[i]);
}

void HandOver(const Dialog& dialog, const std::string& path) {
  const HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, "PATH");
  if (block == nullptr) return Fail("cannot create the block PATH");
  char* bytes = static_cast<char*>(MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, 1024));
  if (bytes == nullptr) {
    CloseHandle(block);
    return Fail("cannot map the block PATH");
  }
  std::memset(bytes, 0, 1024);
  std::memcpy(bytes, path.data(), std::min<std::size_t>(path.size(), 1023));
  dialog.Send(kLoadSharedPathMessage, 0, 0);
  UnmapViewOfFile(bytes);
  CloseHandle(block);
}

/// A DROPFILES block with wide names, as the shell builds it. A drop handle is only
/// good in the process that receives it, so the block is placed in the dialog's
/// address space, where the real drop's is too.
void Drop(const Dialog& dialog, HANDLE process, const std::vector<std::wstring>& files) {
  std::wstring names;
  for (const std::wstring& f : files) names += f + L'\0';
  names += L'\0';
  std::string block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t), '\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof header);
  std::memcpy(block.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
  void* remote = PlaceInProcess(process, block.data(), block.size());
  if (remote == nullptr) return;
  const std::vector<std::string> before = dialog.Shown();
  if (!PostMessageW(dialog.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0))
    return Fail("cannot post WM_DROPFILES");
  // A message sent now would overtake the posted one; watch the screen instead.
  for (DWORD waited = 0; dialog.Shown() == before && waited < kStartTimeoutMs; waited += 50) Sleep(50);
}

void* PlaceInProcess(HANDLE process, const void* bytes, std::size_t size) {
  void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr) {
    Fail("cannot allocate memory in the dialog's process");
    return nullptr;
  }
  if (!WriteProcessMemory(process, remote, bytes, size, nullptr)) {
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    Fail("cannot write into the dialog's process");
    return nullptr;
  }
  return remote;
}

bool WaitForCounter(const Dialog& dialog, const std::string& want, DWORD limit) {
  for (DWORD waited = 0; waited <= limit; waited += 25) {
    if (dialog.Text(kCounterControl) == want) return true;
    Sleep(25);
  }
  return false;
}

void Save(const char* example, const std::wstring& folder, const std::wstring& name) {
  const std::wstring path = Join(folder, name);
  CopyFileW(Example(example).c_str(), path.c_str(), FALSE);
  const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail("cannot stamp the saved report " + Utf8(path));
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  SetFileTime(file, nullptr, nullptr, &now);
  CloseHandle(file);
}

std::wstring FreshFolder(const std::wstring& name) {
  const std::wstring folder = Join(g_scratch, name);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void TypeWithCtrl(WORD key) {
  INPUT keys[4] = {};
  for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_CONTROL;
  keys[1].ki.wVk = key;
  keys[2].ki.wVk = key;
  keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
  keys[3].ki.wVk = VK_CONTROL;
  keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  if (SendInput(4, keys, sizeof(INPUT)) != 4) Fail("cannot type Ctrl+key");
}

std::string ClipboardText() {
  // Another program may hold the clipboard for a moment.
  constexpr DWORD kTimeoutMs = 5000;
  constexpr DWORD kPollMs = 25;
  std::string text;
  for (DWORD waited = 0; waited < kTimeoutMs; waited += kPollMs) {
    if (OpenClipboard(nullptr)) {
      if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
          text = Utf8(wide);
          GlobalUnlock(data);
        }
      }
      CloseClipboard();
      return text;
    }
    Sleep(kPollMs);
  }
  Fail("cannot open the clipboard");
  return text;
}

void SetClipboardText(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return Fail("cannot open the clipboard");
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

}  // namespace talvorix::e2e
