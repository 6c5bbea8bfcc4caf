#include "tests/dialog/win32/hostile_tests.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog_template.h"
#include "handover/handover.h"
#include "handover/handover_win32.h"
#include "tests/dialog/win32/e2e_support.h"

namespace talvorix::e2e {
namespace {

constexpr char kSenderLockName[] = "talvorix-PATH-sender";
/// A sender that waits out a held turn takes 10 s.
constexpr DWORD kHeldTurnTimeoutMs = 40000;
/// talvorix-cli --once --watch waits for a save to settle.
constexpr DWORD kWatchTimeoutMs = 30000;

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

/// Which sample's first record the CLI printed: its counter names it (112 has 4
/// records, 113 three).
std::string FirstCounter(const std::string& output) {
  const std::size_t open = output.find("[1/");
  return open == std::string::npos ? "(none)" : output.substr(open, 5);
}

/// Writes `path` into the block "PATH" over and over, as a program that ignores the
/// senders' turn, until stopped.
class RacingWriter {
 public:
  explicit RacingWriter(std::string path) : path_(std::move(path)) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedPathSize, "PATH");
    if (mapping_ != nullptr)
      bytes_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, kSharedPathSize));
    if (bytes_ == nullptr) {
      Fail("cannot open the block PATH");
      return;
    }
    thread_ = CreateThread(nullptr, 0, [](void* self) -> DWORD { return static_cast<RacingWriter*>(self)->Run(); },
                           this, 0, nullptr);
  }
  RacingWriter(const RacingWriter&) = delete;
  RacingWriter& operator=(const RacingWriter&) = delete;
  ~RacingWriter() {
    stop_ = true;
    if (thread_ != nullptr) {
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
    }
    if (bytes_ != nullptr) UnmapViewOfFile(bytes_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
  }

 private:
  DWORD Run() {
    for (unsigned round = 0; !stop_; ++round) {
      std::memset(bytes_, 0, kSharedPathSize);
      std::memcpy(bytes_, path_.data(), path_.size());
      Sleep(round % 3);  // now at once, now a little later
    }
    return 0;
  }

  std::string path_;
  HANDLE mapping_ = nullptr;
  char* bytes_ = nullptr;
  HANDLE thread_ = nullptr;
  std::atomic<bool> stop_{false};
};

/// Waits until every message sent to the dialog before has been handled.
void Sync(const Dialog& dialog) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(dialog.window(), WM_NULL, 0, 0, SMTO_NORMAL, kStartTimeoutMs, &result);
}

/// Posts messages to the dialog and then a click on ">", and waits until the click has
/// been handled: the messages before it have been handled too.
void PostThenNext(const Dialog& dialog, const std::vector<std::pair<UINT, WPARAM>>& messages, const std::string& want) {
  for (const auto& [message, wp] : messages) PostMessageW(dialog.window(), message, wp, 0);
  PostMessageW(dialog.window(), WM_COMMAND, kNextButton, 0);
  if (!WaitForCounter(dialog, want, kStartTimeoutMs)) Fail("the dialog did not page to " + want);
}

}  // namespace

void BestFitNamesAreRefused() {
  // The samples differ in their record count: 113 has three, 112 four.
  const std::wstring folder = FreshFolder(L"best-fit");
  const std::wstring plain = Join(folder, L"fordulo.html");
  const std::wstring accented = Join(folder, L"fordul\u0151.html");
  CopyFileW(Example("fordulo-113.html").c_str(), plain.c_str(), FALSE);  // the sample's old time
  Save("fordulo-112.html", folder, L"fordul\u0151.html");                 // saved now: the newest

  std::string output;
  long code = RunCaptured(CliProgram(), Quoted(accented), &output);
  ExpectEq("talvorix-cli fordulő.html: exit code", "0", std::to_string(code));
  ExpectEq("talvorix-cli fordulő.html: the report printed", "[1/4]", FirstCounter(output));

  code = RunCaptured(CliProgram(), L"--once --watch " + Quoted(folder), &output, kWatchTimeoutMs);
  ExpectEq("talvorix-cli --watch: exit code", "0", std::to_string(code));
  ExpectTrue("talvorix-cli --watch names fordulő.html: " + output, Contains(output, "fordulő.html <==\n"));
  ExpectEq("talvorix-cli --watch: the report printed", "[1/4]", FirstCounter(output));

  {
    Dialog dialog(Quoted(accented));
    if (dialog.ok()) ExpectShown("talvorix.exe fordulő.html", Record("fordulo-112.html", 1), dialog);
  }
  {
    Dialog dialog(L"");
    if (dialog.ok()) {
      code = RunCaptured(g_send, Quoted(accented), &output);
      ExpectEq("talvorix-send fordulő.html on a Western code page: exit code", "64", std::to_string(code));
      ExpectTrue("talvorix-send says why: " + output, Contains(output, "code page"));
      Sync(dialog);
      ExpectShown("the dialog after talvorix-send fordulő.html", kTemplateTexts, dialog);
    }
  }

  // A name with a full-width slash, which the code page would make "../kint.html".
  const std::wstring outer = FreshFolder(L"full-width");
  const std::wstring watched = Join(outer, L"watched");
  CreateDirectoryW(watched.c_str(), nullptr);
  Save("fordulo-113.html", outer, L"kint.html");
  Save("fordulo-112.html", watched, L"..\uFF0Fkint.html");
  code = RunCaptured(CliProgram(), L"--once --watch " + Quoted(watched), &output, kWatchTimeoutMs);
  ExpectEq("a full-width slash: exit code", "0", std::to_string(code));
  ExpectEq("a full-width slash: the report in the watched folder", "[1/4]", FirstCounter(output));
}

void HandOverTellsTheTruth() {
  const std::wstring ours = Example("fordulo-113.html");
  std::string output;

  // A window with the dialog's class and caption, and no Talvorix running.
  const HWND decoy = CreateWindowExW(0, L"#32770", L"Talvorix v0.93", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
  if (decoy == nullptr) {
    Fail("cannot make the decoy window");
  } else {
    const long code = RunCaptured(g_send, Quoted(ours), &output);
    DestroyWindow(decoy);
    ExpectEq("a decoy window: exit code", "1", std::to_string(code));
    ExpectTrue("a decoy window: the message says so: " + output, Contains(output, "not as a Talvorix dialog"));
  }

  {
    // Another program writes its path into the block all the time, without the turn.
    Dialog dialog(L"");
    if (!dialog.ok()) return;
    const std::string ourAnswer = Record("fordulo-113.html", 1)[0];
    RacingWriter writer(AnsiPath(Example("fordulo-114.html")));
    int taken = 0;
    for (int round = 1; round <= 20; ++round) {
      // Each round starts from another report, so that it shows only its own load.
      Drop(dialog, dialog.process(), {Example("fordulo-112.html")});
      const long code = RunCaptured(g_send, Quoted(ours), &output);
      Sync(dialog);
      const std::string shown = dialog.Text(kAnswerControl);
      const std::string row = "racing writer, round " + std::to_string(round) + ": exit " + std::to_string(code) +
                              ", shown \"" + shown + "\" (" + output + ")";
      // The writer may be caught half way (an empty or cut path): then the screen keeps
      // the dropped report or says "Nincs ilyen fájl", and the sender fails all the same.
      ExpectTrue(row, (code == 0 && shown == ourAnswer) || (code == 1 && shown != ourAnswer));
      if (code == 0) ++taken;
    }
    std::printf("     racing writer: the dialog took the sender's path in %d of 20 rounds\n", taken);
  }

  {
    // A report that another program holds open without sharing.
    const std::wstring locked = Join(g_scratch, L"locked.html");
    CopyFileW(Example("fordulo-114.html").c_str(), locked.c_str(), FALSE);
    const HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (lock == INVALID_HANDLE_VALUE) return Fail("cannot lock the report");
    Dialog dialog(Example("fordulo-112.html"));
    if (dialog.ok()) {
      const long code = RunCaptured(g_send, Quoted(locked), &output);
      ExpectEq("a locked report: exit code", "1", std::to_string(code));
      ExpectTrue("a locked report: the message says so: " + output, Contains(output, "could not read the report"));
      ExpectShown("a locked report", kNoSuchFile, dialog);
    }
    CloseHandle(lock);
  }

  {
    // Another program takes the senders' turn and never gives it back.
    Dialog dialog(Example("fordulo-112.html"));
    const HANDLE squatter = CreateMutexA(nullptr, TRUE, kSenderLockName);
    if (squatter == nullptr) return Fail("cannot take the senders' turn");
    const long code = RunCaptured(g_send, Quoted(ours), &output, kHeldTurnTimeoutMs);
    ReleaseMutex(squatter);
    CloseHandle(squatter);
    ExpectEq("a squatted turn: exit code", "1", std::to_string(code));
    ExpectTrue("a squatted turn: the message names the mutex: " + output, Contains(output, kSenderLockName));
    ExpectTrue("a squatted turn: the message does not blame the dialog: " + output, !Contains(output, "dialog did"));
    if (dialog.ok()) ExpectShown("a squatted turn", Record("fordulo-112.html", 1), dialog);
  }
}

void StrayMessagesChangeNothing() {
  {
    Dialog dialog(Example("fordulo-112.html"));
    if (!dialog.ok()) return;
    dialog.Click(kNextButton);
    // Before the dialog's first hand-over, the name PATH taken by another kind of
    // object: the block cannot be had. The dialog says so in its answer and changes
    // nothing, the sender names the block, and once the name is free again the next
    // hand-over opens the block.
    const HANDLE squatter = CreateEventW(nullptr, TRUE, FALSE, L"PATH");
    if (squatter == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
      if (squatter != nullptr) CloseHandle(squatter);
      return Fail("cannot take the name PATH");
    }
    const std::optional<ParsedHandOverAnswer> answer = ParseHandOverAnswer(dialog.Send(kLoadSharedPathMessage, 0, 0));
    ExpectTrue("16715 without a block: a Talvorix answer", answer.has_value());
    if (answer) {
      ExpectEq("16715 without a block: the answer says so", std::to_string(static_cast<uint32_t>(HandOverResult::kNoBlock)),
               std::to_string(static_cast<uint32_t>(answer->result)));
    }
    std::string output;
    const long code = RunCaptured(g_send, Quoted(Example("fordulo-113.html")), &output);
    ExpectEq("talvorix-send without a block: exit code", "1", std::to_string(code));
    ExpectTrue("talvorix-send without a block names it: " + output, Contains(output, "shared block PATH"));
    CloseHandle(squatter);
    ExpectShown("16715 without a block", Record("fordulo-112.html", 2), dialog);
    HandOver(dialog, AnsiPath(Example("fordulo-113.html")));
    ExpectShown("a hand-over once the block can be had", Record("fordulo-113.html", 1), dialog);
    dialog.Click(kNextButton);
    HandOver(dialog, "");
    ExpectShown("16715 with an empty block", Record("fordulo-113.html", 2), dialog);
    // Posted, as another program would; a click posted after them shows when they are done.
    PostThenNext(dialog, {{WM_DROPFILES, 0x1234}, {WM_DROPFILES, 0}}, "3/3");
    ExpectShown("WM_DROPFILES with bogus handles", Record("fordulo-113.html", 3), dialog);
  }
  // While a folder is watched (its report paging as any other).
  const std::wstring folder = FreshFolder(L"stray");
  Save("fordulo-113.html", folder, L"elso.html");
  Dialog dialog(Quoted(folder));
  if (!dialog.ok()) return;
  if (!WaitForCounter(dialog, "1/3", 10000)) return Fail("the watched folder's report did not show");
  HandOver(dialog, "");
  ExpectEq("the watch after an empty block", "Figyelt mappa: stray", dialog.Text(kHintControl));
  PostThenNext(dialog, {{WM_DROPFILES, 0x1234}, {WM_DROPFILES, 0}}, "2/3");
  ExpectEq("the watch after bogus drops", "Figyelt mappa: stray", dialog.Text(kHintControl));
  Save("fordulo-112.html", folder, L"uj.html");
  ExpectTrue("a save after stray messages is shown", WaitForCounter(dialog, "1/4", 10000));
}

void CliPathsAndOutput() {
  const std::wstring folder = FreshFolder(L"long-form");
  Save("fordulo-113.html", folder, L"mentett.html");
  std::string output;
  long code = RunCaptured(CliProgram(), L"--once --watch " + Quoted(L"\\\\?\\" + folder), &output, kWatchTimeoutMs);
  ExpectEq("--watch \\\\?\\FOLDER: exit code", "0", std::to_string(code));
  ExpectEq("--watch \\\\?\\FOLDER: the report printed (" + output + ")", "[1/3]", FirstCounter(output));

  code = RunCaptured(CliProgram(), Quoted(Example("fordulo-114.html")), &output);
  ExpectEq("redirected output: exit code", "0", std::to_string(code));
  ExpectTrue("redirected output has LF line ends", !output.empty() && !Contains(output, "\r\n"));

  // A named pipe's server learns who connected, but may not act as that user.
  const std::wstring pipeName = L"\\\\.\\pipe\\talvorix-e2e-report";
  const HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096,
                                       0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return Fail("cannot make a named pipe");
  struct Server {
    HANDLE pipe;
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    bool impersonated = false;
  } server{pipe};
  const HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* p) -> DWORD {
        auto* s = static_cast<Server*>(p);
        if (!ConnectNamedPipe(s->pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 1;
        if (ImpersonateNamedPipeClient(s->pipe)) {
          HANDLE token = nullptr;
          if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
            DWORD size = 0;
            s->impersonated = GetTokenInformation(token, TokenImpersonationLevel, &s->level, sizeof s->level, &size);
            CloseHandle(token);
          }
          RevertToSelf();
        }
        DisconnectNamedPipe(s->pipe);
        return 0;
      },
      &server, 0, nullptr);
  code = RunCaptured(CliProgram(), Quoted(pipeName), &output);
  ExpectEq("a named pipe as a report: exit code", "2", std::to_string(code));
  if (WaitForSingleObject(thread, 5000) != WAIT_OBJECT_0) Fail("the pipe's server did not end");
  CloseHandle(thread);
  CloseHandle(pipe);
  // Wine gives a pipe's server the client's token at the impersonation level whatever
  // the client asked for, so the level is only shown here; Windows keeps it at
  // SecurityIdentification for a report opened by Talvorix.
  std::printf("     a named pipe's server got the player's token at level %d%s\n", static_cast<int>(server.level),
              server.impersonated ? "" : " (no impersonation)");
}

}  // namespace talvorix::e2e
