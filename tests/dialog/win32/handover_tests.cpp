// How a load is observed. The dialog shows only the report it loaded last, so its
// controls, read from outside once the senders have ended, cannot tell a lost load
// from a doubled one, and polling them while senders run misses loads that follow
// each other quickly. So the driver places a window-procedure hook
// (talvorix-e2e-hook.dll, load_log_hook.cpp) on the dialog's thread. talvorix.exe
// itself is the shipped program; the system calls the hook on the dialog's own
// thread right after each announcement (message 16715) has been handled, and the hook appends
// the answer control's text to a log that the driver reads. Every report made here
// holds one Hall riddle whose answer is a number of its own, so an answer names the
// report that was loaded. A path that nobody sent loads nothing ("Nincs ilyen
// fájl", an empty answer).
//
// Senders run in batches of k: all k are created suspended and then resumed
// together, so that their writes and messages overlap as much as process start-up
// allows. The driver takes the log's length before resuming them and again after
// all k have ended and a WM_NULL sent to the dialog has come back (sent messages
// are handled in turn, so every load before it is logged by then). The entries
// between must be exactly the batch's answers, each once: a lost load leaves an
// answer missing, a doubled one shows an answer twice, a garbled path shows an
// empty or unknown answer. Since a batch starts only when the one before it has
// ended, this also checks the order: no load comes before its sender started or
// after its sender ended. With one sender at a time the answer control is read
// from outside after each sender too, as a user would see it.

#include "tests/dialog/win32/handover_tests.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_template.h"
#include "tests/core/win1250.h"
#include "tests/dialog/win32/e2e_support.h"
#include "tests/dialog/win32/load_log.h"

namespace talvorix::e2e {
namespace {

constexpr char kSenderLockName[] = "talvorix-PATH-sender";
constexpr int kPathsPerRow = 200;
/// A batch of senders, or one sender kept waiting on purpose, ends well within this.
constexpr DWORD kBatchTimeoutMs = 30000;
/// The senders' own wait for their turn.
constexpr DWORD kSenderLockWaitMs = 10000;
/// Tries at starting one sender.
constexpr int kStartAttempts = 5;
/// Failing batches described in full; the rest are only counted.
constexpr int kBatchesDescribed = 3;
/// Mixed-length paths are spread up to this length (the dialog opens at most 259).
constexpr std::size_t kLongestPath = 240;

// A Hall purchase riddle: three swords and two shields, then four swords and five
// shields; the answer is the price of a sword. The shield costs 7. The riddle's
// sums have at most four digits, so a sword costs at most kHighestPrice.
constexpr int kHighestPrice = (9999 - 5 * 7) / 4;
std::string ReportBytes(int swordPrice) {
  return test::Win1250(
             u8"<HTML><BODY>\r\n"
             u8"<P>A második teremben por a földön, és lassan alakot ölt egy újabb jelenés.<BR>\r\n"
             u8"Halld!<BR>\r\n"
             u8"Tudjuk, hogy a vásáron első ízben 3 kard és 2 pajzs ") +
         std::to_string(3 * swordPrice + 2 * 7) +
         test::Win1250(u8" aranyért, kelt el, második alkalommal 4 kard és 5 pajzs ") +
         std::to_string(4 * swordPrice + 5 * 7) +
         test::Win1250(u8" aranyért. Mennyibe kerül egy kard?<BR>\r\n</BODY></HTML>\r\n");
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

/// A report made for one hand-over: its path and the answer that names it.
struct MadeReport {
  std::wstring path;
  std::string answer;
};

/// Makes a report answering `answer` in `dir`, named after it with four digits and
/// `pad` more letters.
MadeReport MakeReport(const std::wstring& dir, int answer, std::size_t pad) {
  if (answer < 1 || answer > kHighestPrice) Fail("no report can answer " + std::to_string(answer));
  std::wstring digits = std::to_wstring(answer);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), L'0');
  MadeReport report{Join(dir, L"r" + digits + L"-" + std::wstring(pad, L'x') + L".html"), std::to_string(answer)};
  if (!WriteWholeFile(report.path, ReportBytes(answer))) Fail("cannot write " + Utf8(report.path));
  return report;
}

/// The driver's view of the hook's log, and the hook on one dialog's thread.
class LoadWatch {
 public:
  explicit LoadWatch(const Dialog& dialog) : dialog_(dialog) {
    if (!Install()) Fail("cannot watch the dialog's loads");
  }
  LoadWatch(const LoadWatch&) = delete;
  LoadWatch& operator=(const LoadWatch&) = delete;
  ~LoadWatch() {
    if (after_ != nullptr) UnhookWindowsHookEx(after_);
    if (before_ != nullptr) UnhookWindowsHookEx(before_);
    if (module_ != nullptr) FreeLibrary(module_);
    if (log_ != nullptr) UnmapViewOfFile(log_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
  }

  bool ok() const { return after_ != nullptr && before_ != nullptr; }

  /// Loads logged so far, once every message sent to the dialog before has been handled.
  std::size_t Count() const {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(dialog_.window(), WM_NULL, 0, 0, SMTO_NORMAL, kBatchTimeoutMs, &result) == 0)
      Fail("the dialog does not answer");
    return static_cast<std::size_t>(InterlockedCompareExchange(&log_->count, 0, 0));
  }

  /// The answers of loads [from, to), as far as the log keeps them.
  std::vector<std::string> Answers(std::size_t from, std::size_t to) const {
    std::vector<std::string> answers;
    for (std::size_t i = from; i < to; ++i)
      answers.push_back(i < kLoadLogCapacity ? std::string(log_->answers[i], strnlen(log_->answers[i], kLoadAnswerSize))
                                             : std::string("(not kept)"));
    return answers;
  }

  /// Before the dialog handles the next announcement, `path` replaces what the block holds.
  void WriteForeignPathBeforeNextLoad(const std::string& path) {
    std::memset(log_->foreignPath, 0, kPathBlockSize);
    std::memcpy(log_->foreignPath, path.data(), std::min(path.size(), kPathBlockSize - 1));
    InterlockedExchange(&log_->writeForeignPath, 1);
  }

 private:
  /// A function the hook DLL exports, as a hook procedure.
  HOOKPROC HookProc(const char* name) const {
    // void (*)() stands for any function type between the two casts.
    return reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

  /// Makes the log and hooks the dialog's thread.
  bool Install() {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LoadLog), kLoadLogName);
    if (mapping_ == nullptr) return false;
    log_ = static_cast<LoadLog*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LoadLog)));
    if (log_ == nullptr) return false;
    std::memset(log_, 0, sizeof(LoadLog));

    // The DLL lies next to this program; the system loads it into the dialog by this name.
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring dll(self, length);
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"talvorix-e2e-hook.dll";
    module_ = LoadLibraryW(dll.c_str());
    if (module_ == nullptr) return false;
    const HOOKPROC before = HookProc("BeforeDialogMessage");
    const HOOKPROC after = HookProc("AfterDialogMessage");
    const DWORD thread = GetWindowThreadProcessId(dialog_.window(), nullptr);
    if (before == nullptr || after == nullptr || thread == 0) return false;
    before_ = SetWindowsHookExW(WH_CALLWNDPROC, before, module_, thread);
    after_ = SetWindowsHookExW(WH_CALLWNDPROCRET, after, module_, thread);
    return before_ != nullptr && after_ != nullptr;
  }

  const Dialog& dialog_;
  HANDLE mapping_ = nullptr;
  LoadLog* log_ = nullptr;
  HMODULE module_ = nullptr;
  HHOOK before_ = nullptr;
  HHOOK after_ = nullptr;
};

/// A talvorix-send.exe created suspended, so that a batch can start together; in the
/// driver's working directory, or in `workDir` when one is given.
class Sender {
 public:
  explicit Sender(const std::wstring& path, const std::wstring& workDir = {}) {
    std::wstring commandLine = L"\"" + g_send + L"\" \"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Wine now and then refuses to start a process while many start and end at
    // once; starting it is not what is tested here, so it is tried again.
    DWORD error = 0;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
      if (CreateProcessW(g_send.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                         workDir.empty() ? nullptr : workDir.c_str(), &startup, &process_))
        return;
      error = GetLastError();
      process_ = {};
      Sleep(50);
    }
    Fail("cannot start talvorix-send.exe: error " + std::to_string(error));
  }
  Sender(const Sender&) = delete;
  Sender& operator=(const Sender&) = delete;
  ~Sender() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  bool ok() const { return process_.hProcess != nullptr; }
  HANDLE process() const { return process_.hProcess; }
  void Resume() const { ResumeThread(process_.hThread); }
  bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

  /// The exit code once it has ended within `timeoutMs`; -1 when it has not.
  long Wait(DWORD timeoutMs) const {
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION process_{};
};

std::string List(std::vector<std::string> items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ", ") + (item.empty() ? "(empty)" : item);
  return "[" + out + "]";
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

/// The block "PATH" as a program outside the senders' turns sees it.
class PathBlock {
 public:
  PathBlock() {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kPathBlockSize, "PATH");
    if (mapping_ != nullptr)
      bytes_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, kPathBlockSize));
    if (bytes_ == nullptr) Fail("cannot open the block PATH");
  }
  PathBlock(const PathBlock&) = delete;
  PathBlock& operator=(const PathBlock&) = delete;
  ~PathBlock() {
    if (bytes_ != nullptr) UnmapViewOfFile(bytes_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
  }

  void Write(std::string_view text) {
    if (bytes_ == nullptr) return;
    std::memset(bytes_, 0, kPathBlockSize);
    std::memcpy(bytes_, text.data(), std::min(text.size(), kPathBlockSize - 1));
  }
  std::string Read() const {
    return bytes_ == nullptr ? std::string() : std::string(bytes_, strnlen(bytes_, kPathBlockSize));
  }

 private:
  HANDLE mapping_ = nullptr;
  char* bytes_ = nullptr;
};

}  // namespace

void ConcurrentSendersLoadEachPathOnce() {
  struct Row {
    int senders;        // at a time
    bool mixedLengths;  // path lengths spread from short to kLongestPath, else all equal
  };
  static constexpr Row kRows[] = {{1, false}, {1, true}, {2, false}, {2, true}, {8, false}, {8, true}};

  int rowNumber = 0;
  for (const Row& row : kRows) {
    ++rowNumber;
    const std::string name = std::to_string(row.senders) + (row.senders == 1 ? " sender" : " senders") +
                             " at a time, " + (row.mixedLengths ? "mixed" : "equal") + " path lengths";
    const std::wstring dir =
        Join(g_scratch, L"senders-" + std::to_wstring(row.senders) + (row.mixedLengths ? L"-mixed" : L"-equal"));
    CreateDirectoryW(dir.c_str(), nullptr);
    // Answers differ between rows, so a load from another row is caught too.
    const std::size_t shortest = dir.size() + std::wstring_view(L"\\r0000-.html").size();
    const std::size_t spread = kLongestPath > shortest ? kLongestPath - shortest + 1 : 1;
    std::vector<MadeReport> reports;
    std::size_t minLength = kLongestPath;
    std::size_t maxLength = 0;
    for (int i = 0; i < kPathsPerRow; ++i) {
      // Neighbours in a batch differ in length by 37 letters, wrapping round the spread.
      reports.push_back(MakeReport(dir, kPathsPerRow * rowNumber + i,
                                   row.mixedLengths ? static_cast<std::size_t>(i) * 37 % spread : 0));
      minLength = std::min(minLength, reports.back().path.size());
      maxLength = std::max(maxLength, reports.back().path.size());
    }

    Dialog dialog(L"");
    if (!dialog.ok()) continue;
    LoadWatch watch(dialog);
    if (!watch.ok()) continue;

    int failedSenders = 0;
    int wrongBatches = 0;
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    QueryPerformanceCounter(&start);
    for (std::size_t first = 0; first < reports.size(); first += static_cast<std::size_t>(row.senders)) {
      const std::size_t last = std::min(reports.size(), first + static_cast<std::size_t>(row.senders));
      std::vector<std::unique_ptr<Sender>> batch;
      std::vector<HANDLE> handles;
      std::vector<std::string> want;
      for (std::size_t i = first; i < last; ++i) {
        batch.push_back(std::make_unique<Sender>(reports[i].path));
        if (batch.back()->ok()) handles.push_back(batch.back()->process());
        want.push_back(reports[i].answer);
      }
      if (handles.size() != batch.size()) {
        ++failedSenders;
        continue;
      }
      const std::size_t before = watch.Count();
      for (const auto& sender : batch) sender->Resume();
      if (WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, kBatchTimeoutMs) !=
          WAIT_OBJECT_0)
        Fail(name + ": a batch of senders did not end");
      for (const auto& sender : batch)
        if (sender->Wait(0) != 0) ++failedSenders;
      std::vector<std::string> got = watch.Answers(before, watch.Count());
      // One sender at a time: what a user sees after each hand-over, too.
      const std::string shown = row.senders == 1 ? dialog.Text(kAnswerControl) : want.front();
      std::sort(want.begin(), want.end());
      std::sort(got.begin(), got.end());
      if ((got != want || shown != want.front()) && ++wrongBatches <= kBatchesDescribed)
        Fail(name + ": senders of " + List(want) + " made the dialog load " + List(got) +
             (row.senders == 1 ? " and show " + List({shown}) : std::string()));
    }
    QueryPerformanceCounter(&end);

    ExpectEq(name + ": senders that did not end with 0", "0", std::to_string(failedSenders));
    ExpectEq(name + ": batches whose loads differ from their paths", "0", std::to_string(wrongBatches));
    const std::size_t loads = watch.Count();
    ExpectEq(name + ": loads", std::to_string(reports.size()), std::to_string(loads));
    // Text and title are alike in every report made here; answer and counter tell them apart.
    const std::vector<std::string> lastLoad = watch.Answers(loads > 0 ? loads - 1 : 0, loads);
    ExpectEq(name + ": answer shown at the end", lastLoad.empty() ? "" : lastLoad.front(), dialog.Text(kAnswerControl));
    ExpectEq(name + ": counter shown at the end", "1/1", dialog.Text(kCounterControl));
    const double seconds = Seconds(start, end);
    std::printf("     %s (%lu to %lu bytes): %d hand-overs in %.2f s, %.1f ms each\n", name.c_str(),
                static_cast<unsigned long>(minLength), static_cast<unsigned long>(maxLength), kPathsPerRow, seconds,
                1000.0 * seconds / kPathsPerRow);
    std::fflush(stdout);
  }
}

void SendersTakeTurns() {
  const std::wstring dir = Join(g_scratch, L"turns");
  CreateDirectoryW(dir.c_str(), nullptr);
  constexpr std::string_view kHeld = "left in the block by the driver";

  enum class Turn { kHeldAWhile, kAbandoned, kHeldTooLong };
  struct Case {
    std::string name;
    Turn turn;
    long wantExit;
    bool wantLoad;
  };
  const std::vector<Case> cases = {
      {"a turn held for a second, then given back", Turn::kHeldAWhile, 0, true},
      {"a turn abandoned by a sender that ended holding it", Turn::kAbandoned, 0, true},
      {"a turn held past the sender's wait", Turn::kHeldTooLong, 1, false},
  };
  int answer = kPathsPerRow * 8;
  for (const Case& c : cases) {
    const MadeReport report = MakeReport(dir, ++answer, 0);
    Dialog dialog(L"");
    if (!dialog.ok()) continue;
    LoadWatch watch(dialog);
    if (!watch.ok()) continue;
    PathBlock block;
    block.Write(kHeld);

    const HANDLE lock = CreateMutexA(nullptr, FALSE, kSenderLockName);
    if (lock == nullptr) {
      Fail(c.name + ": cannot create the lock");
      continue;
    }
    if (c.turn == Turn::kAbandoned) {
      // A thread that takes the turn and ends without giving it back, as a sender
      // killed half way through does.
      const HANDLE taker = CreateThread(
          nullptr, 0, [](void* mutex) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE); },
          lock, 0, nullptr);
      if (taker != nullptr) {
        WaitForSingleObject(taker, kBatchTimeoutMs);
        CloseHandle(taker);
      }
    } else if (WaitForSingleObject(lock, 0) != WAIT_OBJECT_0) {
      Fail(c.name + ": cannot take the lock");
      CloseHandle(lock);
      continue;
    }

    Sender sender(report.path);
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    QueryPerformanceCounter(&start);
    sender.Resume();
    if (c.turn == Turn::kHeldAWhile) {
      Sleep(1000);
      ExpectTrue(c.name + ": the sender waits for its turn", sender.Running());
      ExpectEq(c.name + ": the block while the sender waits", kHeld, block.Read());
      ExpectEq(c.name + ": loads while the sender waits", "0", std::to_string(watch.Count()));
      ReleaseMutex(lock);
    }
    const long exitCode = sender.Wait(kBatchTimeoutMs);
    QueryPerformanceCounter(&end);
    if (c.turn == Turn::kHeldTooLong) {
      ReleaseMutex(lock);
      const double waited = Seconds(start, end);
      ExpectTrue(c.name + ": the sender waited about " + std::to_string(kSenderLockWaitMs / 1000) + " s, not " +
                     std::to_string(waited),
                 waited > 0.9 * kSenderLockWaitMs / 1000.0 && waited < 2.0 * kSenderLockWaitMs / 1000.0);
      ExpectEq(c.name + ": the block after the sender gave up", kHeld, block.Read());
    }
    CloseHandle(lock);
    ExpectEq(c.name + ": exit code", std::to_string(c.wantExit), std::to_string(exitCode));
    const std::vector<std::string> loads = watch.Answers(0, watch.Count());
    ExpectEq(c.name + ": loads", c.wantLoad ? List({report.answer}) : List({}), List(loads));
  }
}

void ForeignWriteFailsTheSender() {
  const std::wstring dir = Join(g_scratch, L"foreign");
  CreateDirectoryW(dir.c_str(), nullptr);
  const MadeReport ours = MakeReport(dir, kPathsPerRow * 9, 0);
  const MadeReport foreign = MakeReport(dir, kPathsPerRow * 9 + 1, 0);
  Dialog dialog(L"");
  if (!dialog.ok()) return;
  LoadWatch watch(dialog);
  if (!watch.ok()) return;
  watch.WriteForeignPathBeforeNextLoad(AnsiPath(foreign.path));
  Sender sender(ours.path);
  sender.Resume();
  ExpectEq("talvorix-send exit code", "1", std::to_string(sender.Wait(kBatchTimeoutMs)));
  ExpectEq("loads", List({foreign.answer}), List(watch.Answers(0, watch.Count())));
  ExpectEq("the dialog shows the foreign report", foreign.answer, dialog.Text(kAnswerControl));
}

void RelativePathsArriveWhole() {
  // The dialog runs in the driver's working directory; each sender runs in another
  // and names its report from there.
  const std::wstring dir = Join(g_scratch, L"relative");
  const std::wstring sub = Join(dir, L"sub");
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW(sub.c_str(), nullptr);
  struct Case {
    std::string name;
    std::wstring workDir;
    std::wstring reportDir;
    std::wstring prefix;  // before the report's name, as the sender names it
  };
  const std::vector<Case> cases = {
      {"a name in the sender's directory", dir, dir, L""},
      {"a path through ..", sub, dir, L"..\\"},
      {"a path through . and a folder", dir, sub, L".\\sub\\"},
  };
  int answer = kPathsPerRow * 9 + 10;
  for (const Case& c : cases) {
    const MadeReport report = MakeReport(c.reportDir, ++answer, 0);
    const std::wstring name = report.path.substr(report.path.find_last_of(L'\\') + 1);
    Dialog dialog(L"");
    if (!dialog.ok()) continue;
    LoadWatch watch(dialog);
    if (!watch.ok()) continue;
    PathBlock block;
    Sender sender(c.prefix + name, c.workDir);
    sender.Resume();
    ExpectEq(c.name + ": talvorix-send exit code", "0", std::to_string(sender.Wait(kBatchTimeoutMs)));
    ExpectEq(c.name + ": loads", List({report.answer}), List(watch.Answers(0, watch.Count())));
    ExpectEq(c.name + ": the path in the block", AnsiPath(report.path), block.Read());
    ExpectEq(c.name + ": the dialog shows the report", report.answer, dialog.Text(kAnswerControl));
  }
}

}  // namespace talvorix::e2e
