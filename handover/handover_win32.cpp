// The hand-over on Windows: the named file mapping "PATH" backed by the paging
// file, and message kLoadSharedPathMessage sent to the dialog found by its caption.
// Our senders take turns through the named mutex "talvorix-PATH-sender", held from
// before the write until the dialog has read the path, so that two of them never
// overwrite each other's path in the one block. The dialog's answer
// (handover/handover_win32.h) says which path it read and what it did with it.

#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "handover/handover.h"
#include "handover/handover_win32.h"
#include "wintext/wide_text_win32.h"

namespace talvorix {
namespace {

constexpr char kBlockName[] = "PATH";
constexpr char kDialogClass[] = "#32770";
constexpr char kSenderLockName[] = "talvorix-PATH-sender";
/// How long a sender waits for the dialog to read a report.
constexpr UINT kAnswerTimeoutMs = 30000;
/// How long a sender waits for the senders before it to finish.
constexpr DWORD kLockWaitMs = 10000;

std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
    message.pop_back();
  if (message.empty()) message = "error " + std::to_string(error);
  return message;
}

/// An opening and full view of the block; both are released with the object.
class Mapping {
 public:
  Mapping() = default;
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  ~Mapping() {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    if (handle_ != nullptr) CloseHandle(handle_);
  }

  /// Opens the block, creating it when no one holds it; false with the system's error.
  bool Open(DWORD* error) {
    handle_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                 static_cast<DWORD>(kSharedPathSize), kBlockName);
    if (handle_ == nullptr) {
      *error = GetLastError();
      return false;
    }
    view_ = MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, kSharedPathSize);
    if (view_ == nullptr) {
      *error = GetLastError();
      CloseHandle(handle_);
      handle_ = nullptr;
      return false;
    }
    return true;
  }

  char* bytes() const { return static_cast<char*>(view_); }

 private:
  HANDLE handle_ = nullptr;
  void* view_ = nullptr;
};

/// The senders' turn: the named mutex, owned from Take() until the object goes.
class SenderLock {
 public:
  enum class Result { kTaken, kBusy, kFailed };

  SenderLock() = default;
  SenderLock(const SenderLock&) = delete;
  SenderLock& operator=(const SenderLock&) = delete;
  ~SenderLock() {
    if (owned_) ReleaseMutex(handle_);
    if (handle_ != nullptr) CloseHandle(handle_);
  }

  /// Waits at most `waitMs` for the turn; kFailed comes with the system's error.
  Result Take(DWORD waitMs, DWORD* error) {
    handle_ = CreateMutexA(nullptr, FALSE, kSenderLockName);
    if (handle_ == nullptr) {
      *error = GetLastError();
      return Result::kFailed;
    }
    switch (WaitForSingleObject(handle_, waitMs)) {
      // An abandoned turn belonged to a sender that ended half way; the block it may
      // have left half written is overwritten whole below.
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED:
        owned_ = true;
        return Result::kTaken;
      case WAIT_TIMEOUT:
        return Result::kBusy;
      default:
        *error = GetLastError();
        return Result::kFailed;
    }
  }

 private:
  HANDLE handle_ = nullptr;
  bool owned_ = false;
};

class Win32SharedPathBlock : public SharedPathBlock {
 public:
  std::optional<std::span<const char>> Bytes() override {
    if (mapping_ == nullptr) {
      auto opened = std::make_unique<Mapping>();
      DWORD error = 0;
      if (!opened->Open(&error)) return std::nullopt;  // tried again on the next message
      mapping_ = std::move(opened);
    }
    return std::span<const char>(mapping_->bytes(), kSharedPathSize);
  }

 private:
  std::unique_ptr<Mapping> mapping_;
};

}  // namespace

std::unique_ptr<SharedPathBlock> MakeSharedPathBlock() { return std::make_unique<Win32SharedPathBlock>(); }

SendOutcome SendPathToDialog(std::string_view path, std::string* detail) {
  if (path.find('\0') != std::string_view::npos) return SendOutcome::kPathTooLong;
  // The block holds 8-bit text in the code page; a name it cannot hold exactly would
  // reach the dialog as the name of another file.
  const std::wstring wide = WideFromUtf8(path);
  if (wide.empty()) return SendOutcome::kNotInCodePage;
  const std::optional<std::string> narrow = NarrowTo(wide, CP_ACP);
  if (!narrow) return SendOutcome::kNotInCodePage;
  const std::string& inBlock = *narrow;
  if (inBlock.size() >= kSharedPathSize) return SendOutcome::kPathTooLong;

  // Held from here to the return: no other sender of ours writes the block until the
  // dialog has read this path from it.
  SenderLock lock;
  DWORD error = 0;
  switch (lock.Take(kLockWaitMs, &error)) {
    case SenderLock::Result::kTaken:
      break;
    case SenderLock::Result::kBusy:
      if (detail != nullptr)
        *detail = std::string("another program has held the senders' turn, the mutex ") + kSenderLockName +
                  ", for " + std::to_string(kLockWaitMs / 1000) + " seconds";
      return SendOutcome::kTurnHeld;
    case SenderLock::Result::kFailed:
      if (detail != nullptr) *detail = std::string("the mutex ") + kSenderLockName + ": " + SystemMessage(error);
      return SendOutcome::kBlockUnavailable;
  }

  const std::string caption(kDialogCaption);
  HWND window = FindWindowExA(nullptr, nullptr, kDialogClass, caption.c_str());
  if (window == nullptr) return SendOutcome::kNoDialog;

  Mapping block;
  if (!block.Open(&error)) {
    if (detail != nullptr) *detail = SystemMessage(error);
    return SendOutcome::kBlockUnavailable;
  }
  // Every window with the dialog's class and caption is asked in turn until one answers
  // as a Talvorix dialog: another program's window of that name proves nothing.
  bool impostor = false;
  for (; window != nullptr; window = FindWindowExA(nullptr, window, kDialogClass, caption.c_str())) {
    std::memset(block.bytes(), 0, kSharedPathSize);
    std::memcpy(block.bytes(), inBlock.data(), inBlock.size());
    // Sent, not posted: the dialog reads the block and loads the report before the
    // call returns, and opens the block of its own before this program lets go of it,
    // so the block outlives the sender.
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, kLoadSharedPathMessage, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) == 0) {
      const DWORD sendError = GetLastError();
      if (sendError == ERROR_INVALID_WINDOW_HANDLE) continue;  // it closed meanwhile
      // The message stays with the window, which may still take it later and then
      // reads whatever the block holds by that time.
      if (detail != nullptr)
        *detail = sendError == ERROR_TIMEOUT || sendError == 0
                      ? "no answer in " + std::to_string(kAnswerTimeoutMs / 1000) + " seconds"
                      : SystemMessage(sendError);
      return SendOutcome::kNoAnswer;
    }
    const std::optional<ParsedHandOverAnswer> parsed = ParseHandOverAnswer(static_cast<int64_t>(answer));
    if (!parsed) {
      impostor = true;
      continue;
    }
    // The dialog says which path it read: a program outside our turns may have written
    // the block between this write and the dialog's read.
    if (parsed->result == HandOverResult::kNoBlock) {
      if (detail != nullptr) *detail = "the dialog could not open the block";
      return SendOutcome::kBlockUnavailable;
    }
    if (parsed->result == HandOverResult::kEmpty || parsed->fingerprint != HandOverFingerprint(inBlock)) {
      if (detail != nullptr) *detail = "another program changed the path in the block before the dialog read it";
      return SendOutcome::kBlockChanged;
    }
    if (parsed->result == HandOverResult::kUnreadable) return SendOutcome::kUnreadable;
    return SendOutcome::kSent;
  }
  if (!impostor) return SendOutcome::kNoDialog;
  if (detail != nullptr) *detail = "a window titled \"" + caption + "\" answered, but not as a Talvorix dialog";
  return SendOutcome::kNotTalvorix;
}

}  // namespace talvorix
