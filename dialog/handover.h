#pragma once
// Handing a report path from another program to the running dialog: a 1024-byte
// named shared block holding a NUL-terminated path, announced by a message.

#include <memory>
#include <string>
#include <string_view>

#include "dialog/dialog_view.h"

namespace talvorix {

/// Bytes of the shared block; a path must leave room for its NUL.
inline constexpr std::size_t kSharedPathSize = 1024;
/// The window message (0x414B) that announces a path in the block to the Windows dialog.
inline constexpr unsigned kLoadSharedPathMessage = 16715;

/// The dialog's side: the block, opened or created on first use and kept open.
std::unique_ptr<SharedPathBlock> MakeSharedPathBlock();

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
