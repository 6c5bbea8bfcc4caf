// What the end-to-end tests share: the programs under test, failure reporting,
// starting processes, and one running talvorix.exe worked through window messages.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "tests/dialog/win32/dialog_state_probe.h"
#include "tests/dialog/win32/expected_records.h"

namespace talvorix::e2e {

inline constexpr DWORD kStartTimeoutMs = 20000;
inline constexpr DWORD kExitTimeoutMs = 10000;

/// The programs and folders from the command line (Windows paths).
extern std::wstring g_talvorix;
extern std::wstring g_send;
extern std::wstring g_examples;
extern std::wstring g_scratch;
/// Checks failed so far, and the test that is running.
extern int g_failures;
extern std::string g_test;

std::string Utf8(std::wstring_view wide);
std::wstring Wide(std::string_view utf8);
/// A path in the system's code page, as a program using the 8-bit API holds it.
std::string AnsiPath(const std::wstring& path);
/// A text as a static control holds it: every line feed after a carriage return.
std::string OnScreen(std::string_view text);

void Fail(const std::string& what);
void ExpectEq(const std::string& what, std::string_view want, std::string_view got);
void ExpectTrue(const std::string& what, bool condition);

std::wstring Join(const std::wstring& dir, const std::wstring& name);
/// A sample report's path.
std::wstring Example(std::string_view file);
/// A sample report's expected records.
const ExpectedReport& Report(std::string_view file);

/// Runs a program with a whole command line; the process handle, or null.
HANDLE Launch(const std::wstring& exe, const std::wstring& arguments);
/// Runs a program to its end and returns its exit code (or -1).
long RunToEnd(const std::wstring& exe, const std::wstring& arguments);
/// Runs a program to its end with its standard output and error in `*output` (bytes as
/// written); returns its exit code (or -1). Serves this thread's windows meanwhile, so
/// that a program may send messages to a window the driver made.
long RunCaptured(const std::wstring& exe, const std::wstring& arguments, std::string* output,
                 DWORD timeoutMs = kStartTimeoutMs);
/// talvorix-cli.exe, next to talvorix-send.exe.
std::wstring CliProgram();

class Dialog;
/// What the test hook reads on the dialog's thread (DPI, client size, the process's CPU
/// time); nullopt (and a failure) when it could not.
std::optional<DialogStateProbe> ReadDialogState(const Dialog& dialog);

/// One running talvorix.exe and its dialog; closing it checks the exit code.
class Dialog {
 public:
  explicit Dialog(const std::wstring& arguments);
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  ~Dialog();

  bool ok() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  HANDLE process() const { return process_; }
  bool Running() const;

  std::string Text(int id) const;
  /// The four texts the results are shown in, in the order answer, text, title, counter.
  std::vector<std::string> Shown() const;
  /// Every control's text, in the order of the template.
  std::vector<std::string> AllTexts() const;
  /// A click on a button, as the mouse makes it.
  void Click(int id) const;
  LRESULT Send(UINT message, WPARAM wp, LPARAM lp) const;

 private:
  HANDLE process_ = nullptr;
  HWND window_ = nullptr;
};

/// What the dialog shows for record k (from 1) of a sample report.
std::vector<std::string> Record(std::string_view file, int k);
extern const std::vector<std::string> kTemplateTexts;
extern const std::vector<std::string> kNoSuchFile;
void ExpectShown(const std::string& what, const std::vector<std::string>& want, const Dialog& dialog);

/// Hands a path over as another program would: the block "PATH", then message 16715.
void HandOver(const Dialog& dialog, const std::string& path);
/// Drops files on the dialog and waits until the screen changes.
void Drop(const Dialog& dialog, HANDLE process, const std::vector<std::wstring>& files);
/// Copies bytes into the dialog's address space, for a message whose pointer the system
/// passes on unchanged; null (and a failure) when that cannot be done.
void* PlaceInProcess(HANDLE process, const void* bytes, std::size_t size);

/// How long a saved report may take to show in a watched folder.
inline constexpr DWORD kSettleTimeoutMs = 2000;
/// Waits until the counter shows `want`; false when it does not within the time.
bool WaitForCounter(const Dialog& dialog, const std::string& want, DWORD limit = kSettleTimeoutMs);
/// Saves a sample report into the folder as a browser does: a new file, written now
/// (CopyFileW alone would keep the sample's old modification time).
void Save(const char* example, const std::wstring& folder, const std::wstring& name);
/// A new folder in the scratch folder.
std::wstring FreshFolder(const std::wstring& name);

/// Types Ctrl and a key into the window that has the keyboard, as the keyboard does.
void TypeWithCtrl(WORD key);
/// The clipboard's Unicode text in UTF-8 ("" when it holds none); a failure when the
/// clipboard cannot be opened.
std::string ClipboardText();
/// Puts Unicode text on the clipboard.
void SetClipboardText(const std::wstring& text);

}  // namespace talvorix::e2e
