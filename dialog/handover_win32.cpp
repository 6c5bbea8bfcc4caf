// The hand-over on Windows: the named file mapping "PATH" backed by the paging
// file, and message kLoadSharedPathMessage sent to the dialog found by its caption.
// Our senders take turns through the named mutex "talvorix-PATH-sender", held from
// before the write until the dialog has read the path, so that two of them never
// overwrite each other's path in the one block.

#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "dialog/dialog_template.h"
#include "dialog/handover.h"

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

/// Whether the block holds exactly `path`: its bytes and then the NUL (the caller made
/// sure that the path is shorter than the block).
bool HoldsPath(const char* block, std::string_view path) {
  return std::memcmp(block, path.data(), path.size()) == 0 && block[path.size()] == '\0';
}

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
  if (path.size() >= kSharedPathSize || path.find('\0') != std::string_view::npos) return SendOutcome::kPathTooLong;

  // Held from here to the return: no other sender of ours writes the block until the
  // dialog has read this path from it.
  SenderLock lock;
  DWORD error = 0;
  switch (lock.Take(kLockWaitMs, &error)) {
    case SenderLock::Result::kTaken:
      break;
    case SenderLock::Result::kBusy:
      if (detail != nullptr)
        *detail = "another hand-over was still under way after " + std::to_string(kLockWaitMs / 1000) + " seconds";
      return SendOutcome::kNoAnswer;
    case SenderLock::Result::kFailed:
      if (detail != nullptr) *detail = std::string("the lock ") + kSenderLockName + ": " + SystemMessage(error);
      return SendOutcome::kBlockUnavailable;
  }

  const std::string caption(kDialogTemplate.caption);  // ASCII: the same in every code page
  const HWND dialog = FindWindowA(kDialogClass, caption.c_str());
  if (dialog == nullptr) return SendOutcome::kNoDialog;

  Mapping block;
  if (!block.Open(&error)) {
    if (detail != nullptr) *detail = SystemMessage(error);
    return SendOutcome::kBlockUnavailable;
  }
  std::memset(block.bytes(), 0, kSharedPathSize);
  std::memcpy(block.bytes(), path.data(), path.size());

  // Sent, not posted: the dialog reads the block and loads the report before the
  // call returns, and opens the block of its own before this program lets go of it,
  // so the block outlives the sender.
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(dialog, kLoadSharedPathMessage, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) == 0) {
    const DWORD sendError = GetLastError();
    if (sendError == ERROR_INVALID_WINDOW_HANDLE) return SendOutcome::kNoDialog;  // it closed meanwhile
    // The message stays with the dialog, which may still take it later and then
    // loads whatever the block holds by that time.
    if (detail != nullptr)
      *detail = sendError == ERROR_TIMEOUT || sendError == 0
                    ? "no answer in " + std::to_string(kAnswerTimeoutMs / 1000) + " seconds"
                    : SystemMessage(sendError);
    return SendOutcome::kNoAnswer;
  }
  // Only a program outside our turns can have written the block meanwhile; then the
  // dialog may have read that program's path instead of this one.
  if (!HoldsPath(block.bytes(), path)) {
    if (detail != nullptr) *detail = "another program wrote a different path into the block during the hand-over";
    return SendOutcome::kNotTaken;
  }
  return SendOutcome::kSent;
}

}  // namespace talvorix
