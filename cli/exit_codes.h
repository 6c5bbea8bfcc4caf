#pragma once
// The exit statuses of talvorix-cli (the sysexits.h numbers where one fits).

namespace talvorix {

/// Every report could be read and everything was written.
inline constexpr int kExitOk = 0;
/// A report (or the watched folder) could not be read.
inline constexpr int kExitUnreadable = 2;
/// Bad usage: an unknown option, no report, options that do not go together.
inline constexpr int kExitUsage = 64;
/// Standard output could not be written (a full disk, a reader that went away).
inline constexpr int kExitIoError = 74;

}  // namespace talvorix
