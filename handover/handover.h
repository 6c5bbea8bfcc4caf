#pragma once
// Handing a report path from another program to the running dialog. Every platform has
// the same sender's call and outcomes; how the path travels is the platform's own (on
// Windows a 1024-byte named shared block announced by a message, on POSIX systems a
// Unix-domain socket in a private directory).

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace talvorix {

/// Bytes of the shared block; a path must leave room for its NUL. Every platform takes
/// paths of at most kSharedPathSize - 1 bytes.
inline constexpr std::size_t kSharedPathSize = 1024;

/// The dialog's caption. The Windows sender finds the dialog by it, so the dialog's
/// template takes it from here. ASCII: the same in every code page.
inline constexpr std::string_view kDialogCaption = "Talvorix v0.93";

/// The named shared block "PATH" through which another program hands over a path.
class SharedPathBlock {
 public:
  virtual ~SharedPathBlock() = default;
  /// The block's bytes (kSharedPathSize), opening or creating and mapping it on first
  /// use and keeping it open until the program ends; nullopt when it cannot be had.
  virtual std::optional<std::span<const char>> Bytes() = 0;
};

/// The NUL-terminated path at the start of the shared block, or all of the block's
/// bytes when it holds no NUL.
std::string_view SharedBlockPath(std::span<const char> block);

enum class SendOutcome {
  kSent,
  kPathTooLong,       // the path and its NUL do not fit the block
  kBlockUnavailable,  // the block could not be opened or mapped
  kNoDialog,          // no running dialog to tell
  kNoAnswer,          // a dialog was told but did not confirm in time (busy or stopped)
  kNotTaken,          // the dialog answered, but did not take this path
  kNotInCodePage,     // Windows: the path has a character the system's code page lacks
  kNotTalvorix,       // Windows: a window with the dialog's caption answered, but not as the dialog
  kBlockChanged,      // Windows: another program changed the block before the dialog read it
  kUnreadable,        // Windows: the dialog read this path but could not read the report
  kTurnHeld,          // Windows: another program held the senders' turn (mutex) too long
};

/// The sender's side: hands `path` to the running dialog. kSent only once the dialog
/// has confirmed that it holds this exact path. `detail` receives a system message
/// when there is one. On Windows `path` is UTF-8 and goes into the block in the
/// system's code page.
SendOutcome SendPathToDialog(std::string_view path, std::string* detail);

}  // namespace talvorix
