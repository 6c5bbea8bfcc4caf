// End-to-end tests of talvorix.exe: starts the real program, finds its dialog and
// works it through window messages as a user and a sending program would.
//
// Usage: talvorix-e2e TALVORIX_EXE SEND_EXE EXAMPLES_DIR SCRATCH_DIR
// (Windows paths). Exit status 0 when every check held, 1 otherwise.

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/resources/resource.h"
#include "tests/win32/expected_records.h"

namespace {

constexpr wchar_t kCaption[] = L"Talvorix v0.93";
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;

std::wstring g_talvorix;
std::wstring g_send;
std::wstring g_examples;
std::wstring g_scratch;
int g_failures = 0;
std::string g_test;

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

/// A text as a static control holds it: every line feed after a carriage return.
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

/// Runs a program with a whole command line; the process handle, or null.
HANDLE Launch(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    Fail("cannot start " + Utf8(exe) + ": error " + std::to_string(GetLastError()));
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

/// Runs a program to its end and returns its exit code (or -1).
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

/// One running talvorix.exe and its dialog.
class Dialog {
 public:
  explicit Dialog(const std::wstring& arguments) {
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
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  /// Closes the dialog the way the title bar does and checks the exit code.
  ~Dialog() {
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

  bool ok() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  HANDLE process() const { return process_; }

  bool Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  std::string Text(int id) const {
    wchar_t buffer[2048] = {};
    GetDlgItemTextW(window_, id, buffer, 2048);
    return Utf8(buffer);
  }

  /// The four texts the results are shown in, in the order answer, text, title, counter.
  std::vector<std::string> Shown() const {
    return {Text(IDC_ANSWER), Text(IDC_TEXT), Text(IDC_TITLE), Text(IDC_COUNTER)};
  }

  /// Every control's text, in the order of the template.
  std::vector<std::string> AllTexts() const {
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

  /// A click on a button, as the mouse makes it.
  void Click(int id) const { SendMessageW(GetDlgItem(window_, id), BM_CLICK, 0, 0); }

  LRESULT Send(UINT message, WPARAM wp, LPARAM lp) const { return SendMessageW(window_, message, wp, lp); }

 private:
  HANDLE process_ = nullptr;
  HWND window_ = nullptr;
};

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

/// Hands a path over as another program would: the block "PATH", then message 16715.
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
  dialog.Send(WM_LOADSHAREDPATH, 0, 0);
  UnmapViewOfFile(bytes);
  CloseHandle(block);
}

/// Drops files on the dialog: a DROPFILES block with wide names, as the shell
/// builds it. A drop handle is only good in the process that receives it, so the
/// block is placed in the dialog's address space, where the real drop's is too.
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
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr) return Fail("cannot place the drop in the dialog's process");
  if (!WriteProcessMemory(process, remote, block.data(), block.size(), nullptr)) {
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return Fail("cannot write the drop into the dialog's process");
  }
  const std::vector<std::string> before = dialog.Shown();
  if (!PostMessageW(dialog.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0))
    return Fail("cannot post WM_DROPFILES");
  // A message sent now would overtake the posted one; watch the screen instead.
  for (DWORD waited = 0; dialog.Shown() == before && waited < kStartTimeoutMs; waited += 50) Sleep(50);
}

std::string AnsiPath(const std::wstring& path) {
  std::string out(path.size() * 2 + 1, '\0');
  const int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr,
                                    nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return out;
}

// ---------------------------------------------------------------------------

void StartsWithReport() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  ExpectShown("first record", Record("fordulo-112.html", 1), dialog);
  const std::vector<std::string> all = dialog.AllTexts();
  const std::vector<std::string> want = {" Csarnok feladvány ", "Húzd rá a fordulót", OnScreen(Report("fordulo-112.html").records[0].text),
                                         "Készítette a Talvorix csapata", "<", ">", "1/4", "Megoldás :", "50"};
  ExpectEq("control count", std::to_string(want.size()), std::to_string(all.size()));
  for (std::size_t i = 0; i < want.size() && i < all.size(); ++i)
    ExpectEq("control " + std::to_string(i) + " in template order", want[i], all[i]);
  const LONG_PTR exStyle = GetWindowLongPtrW(dialog.window(), GWL_EXSTYLE);
  ExpectTrue("the dialog accepts dropped files", (exStyle & WS_EX_ACCEPTFILES) != 0);
  RECT rect{};
  GetWindowRect(dialog.window(), &rect);
  ExpectTrue("the dialog sits at the top left corner", rect.left == 0 && rect.top == 0);
}

void ButtonsPageAndWrap() {
  struct Step {
    int button;
    int want;
  };
  struct Case {
    std::string_view file;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {"fordulo-112.html", {{IDC_NEXT, 2}, {IDC_NEXT, 3}, {IDC_NEXT, 4}, {IDC_NEXT, 1}, {IDC_PREV, 4},
                            {IDC_PREV, 3}, {IDC_PREV, 2}, {IDC_PREV, 1}, {IDC_PREV, 4}}},
      {"fordulo-113.html", {{IDC_PREV, 3}, {IDC_NEXT, 1}, {IDC_NEXT, 2}, {IDC_NEXT, 3}}},
      {"fordulo-114.html", {{IDC_NEXT, 2}, {IDC_NEXT, 3}, {IDC_PREV, 2}}},
  };
  for (const Case& c : cases) {
    Dialog dialog(Example(c.file));
    if (!dialog.ok()) continue;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      dialog.Click(step.button);
      ExpectShown(std::string(c.file) + " step " + std::to_string(i + 1) + (step.button == IDC_NEXT ? " >" : " <"),
                  Record(c.file, step.want), dialog);
    }
  }
}

void HandOverReplacesTable() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  dialog.Click(IDC_NEXT);
  dialog.Click(IDC_NEXT);
  ExpectEq("talvorix-send exit code", "0",
           std::to_string(RunToEnd(g_send, L"\"" + Example("fordulo-113.html") + L"\"")));
  ExpectShown("after talvorix-send", Record("fordulo-113.html", 1), dialog);
  dialog.Click(IDC_PREV);
  ExpectShown("paging the handed-over report", Record("fordulo-113.html", 3), dialog);

  HandOver(dialog, AnsiPath(Example("fordulo-114.html")));
  ExpectShown("after a second hand-over", Record("fordulo-114.html", 1), dialog);
  dialog.Click(IDC_PREV);
  ExpectShown("a text with line feeds and Hungarian letters", Record("fordulo-114.html", 3), dialog);

  HandOver(dialog, AnsiPath(Join(g_scratch, L"nincs-ilyen.html")));
  ExpectShown("a handed-over path that cannot be opened", kNoSuchFile, dialog);
  dialog.Click(IDC_NEXT);
  ExpectShown("buttons after a failed hand-over", kNoSuchFile, dialog);
}

void SendWithoutDialog() {
  ExpectEq("talvorix-send with no dialog", "1",
           std::to_string(RunToEnd(g_send, L"\"" + Example("fordulo-113.html") + L"\"")));
  ExpectEq("talvorix-send with a path too long", "64", std::to_string(RunToEnd(g_send, std::wstring(1100, L'a'))));
}

void CommandLinePaths() {
  struct Case {
    std::string name;
    std::wstring arguments;
    std::vector<std::string> want;
  };
  const std::wstring blank = Join(g_scratch, L"report with blanks.html");
  CopyFileW(Example("fordulo-113.html").c_str(), blank.c_str(), FALSE);
  const std::vector<Case> cases = {
      {"no path", L"", kTemplateTexts},
      {"a missing file", Join(g_scratch, L"nincs-ilyen.html"), kNoSuchFile},
      {"a folder", g_examples, kNoSuchFile},
      {"a quoted path with blanks", L"\"" + blank + L"\"", Record("fordulo-113.html", 1)},
      {"blanks before the path", L"   " + Example("fordulo-114.html"), Record("fordulo-114.html", 1)},
  };
  for (const Case& c : cases) {
    Dialog dialog(c.arguments);
    if (!dialog.ok()) continue;
    ExpectShown(c.name, c.want, dialog);
    if (c.want[3].empty()) {
      dialog.Click(IDC_NEXT);
      dialog.Click(IDC_PREV);
      ExpectShown(c.name + ", buttons do nothing", c.want, dialog);
    }
  }
}

void EscapeAndEnterKeepItOpen() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  dialog.Send(WM_COMMAND, IDCANCEL, 0);
  dialog.Send(WM_COMMAND, IDOK, 0);
  // The key itself, through the dialog's keyboard handling. A click posted after
  // it shows when it has been handled.
  PostMessageW(dialog.window(), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(dialog.window(), WM_KEYUP, VK_ESCAPE, 0);
  PostMessageW(dialog.window(), WM_COMMAND, IDC_NEXT, 0);
  for (DWORD waited = 0; dialog.Text(IDC_COUNTER) != "2/4" && waited < kStartTimeoutMs; waited += 50) Sleep(50);
  ExpectTrue("Escape and Enter leave the dialog open", dialog.Running() && IsWindow(dialog.window()));
  ExpectEq("counter after the key and a click", "2/4", dialog.Text(IDC_COUNTER));
  // A notification other than a click, for a button's id, is no click.
  dialog.Send(WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_SETFOCUS), 0);
  ExpectEq("counter after other commands", "2/4", dialog.Text(IDC_COUNTER));
}

void DropLoadsFirstFile() {
  const std::wstring unusual = Join(g_scratch, L"forduló-ő-ű-Ω.html");
  CopyFileW(Example("fordulo-112.html").c_str(), unusual.c_str(), FALSE);

  Dialog dialog(L"");
  if (!dialog.ok()) return;
  Drop(dialog, dialog.process(), {Example("fordulo-113.html"), Example("fordulo-112.html")});
  ExpectShown("the first of two dropped files", Record("fordulo-113.html", 1), dialog);
  dialog.Click(IDC_NEXT);
  ExpectShown("paging a dropped report", Record("fordulo-113.html", 2), dialog);
  Drop(dialog, dialog.process(), {unusual});
  ExpectShown("a name outside the system code page", Record("fordulo-112.html", 1), dialog);
  Drop(dialog, dialog.process(), {g_examples});
  ExpectShown("a dropped folder", kNoSuchFile, dialog);
  dialog.Click(IDC_PREV);
  ExpectShown("buttons after a failed drop", kNoSuchFile, dialog);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::printf("usage: talvorix-e2e TALVORIX_EXE SEND_EXE EXAMPLES_DIR SCRATCH_DIR\n");
    return 64;
  }
  g_talvorix = argv[1];
  g_send = argv[2];
  g_examples = argv[3];
  g_scratch = argv[4];

  const std::vector<std::pair<const char*, std::function<void()>>> tests = {
      {"StartsWithReport", StartsWithReport},
      {"ButtonsPageAndWrap", ButtonsPageAndWrap},
      {"HandOverReplacesTable", HandOverReplacesTable},
      {"SendWithoutDialog", SendWithoutDialog},
      {"CommandLinePaths", CommandLinePaths},
      {"EscapeAndEnterKeepItOpen", EscapeAndEnterKeepItOpen},
      {"DropLoadsFirstFile", DropLoadsFirstFile},
  };
  for (const auto& [name, run] : tests) {
    g_test = name;
    const int before = g_failures;
    run();
    std::printf("%s %s\n", g_failures == before ? "ok  " : "FAIL", name);
    std::fflush(stdout);
  }
  std::printf("%d check(s) failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
