// The record of the dialog's loads that the test hook (load_log_hook.cpp) keeps
// inside talvorix.exe and the driver reads, in a named block both open.
#pragma once

#include <windows.h>

#include <cstddef>

namespace talvorix::e2e {

/// The name of the block; the driver creates it, the hook opens it.
inline constexpr char kLoadLogName[] = "talvorix-e2e-load-log";
/// Loads kept; later ones are still counted.
inline constexpr std::size_t kLoadLogCapacity = 1024;
/// Bytes kept of each load's answer text, NUL included.
inline constexpr std::size_t kLoadAnswerSize = 32;
/// The bytes of the block "PATH".
inline constexpr std::size_t kPathBlockSize = 1024;

/// Written only by the dialog's thread, through the hook.
struct LoadLog {
  /// Announcements the dialog has handled. Each one's entry is complete before
  /// the count takes it in.
  volatile LONG count;
  /// When nonzero, the hook writes `foreignPath` into the block "PATH" just before
  /// the dialog handles the next announcement, as a program that ignores our
  /// senders' turns could, and clears this.
  volatile LONG writeForeignPath;
  char foreignPath[kPathBlockSize];
  /// The answer control's text right after each announcement was handled.
  char answers[kLoadLogCapacity][kLoadAnswerSize];
};

}  // namespace talvorix::e2e
