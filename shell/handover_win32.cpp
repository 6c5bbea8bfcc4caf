// The hand-over on Windows: the named file mapping "PATH" backed by the paging
// file, and message WM_LOADSHAREDPATH sent to the dialog found by its caption.

#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "shell/handover.h"

namespace talvorix {
namespace {

constexpr char kBlockName[] = "PATH";
constexpr char kDialogClass[] = "#32770";
constexpr char kDialogCaption[] = "Talvorix v0.93";
/// How long a sender waits for the dialog to read a report.
constexpr UINT kAnswerTimeoutMs = 30000;

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
  const HWND dialog = FindWindowA(kDialogClass, kDialogCaption);
  if (dialog == nullptr) return SendOutcome::kNoDialog;

  Mapping block;
  DWORD error = 0;
  if (!block.Open(&error)) {
    if (detail != nullptr) *detail = SystemMessage(error);
    return SendOutcome::kBlockUnavailable;
  }
  std::memset(block.bytes(), 0, kSharedPathSize);
  std::memcpy(block.bytes(), path.data(), path.size());

  // Sent, not posted: the dialog opens the block of its own before this program
  // lets go of it, so the block outlives the sender.
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(dialog, WM_LOADSHAREDPATH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) == 0) {
    if (detail != nullptr) {
      const DWORD sendError = GetLastError();
      *detail = sendError == ERROR_TIMEOUT || sendError == 0 ? "the dialog did not answer" : SystemMessage(sendError);
    }
    return SendOutcome::kNoDialog;
  }
  return SendOutcome::kSent;
}

}  // namespace talvorix
