#pragma once
// Where the command-line programs' text meets the platform: a Windows console shows
// UTF-8 only through its wide-character interface, and arguments there arrive in the
// system's code page.

#include <cstdio>
#include <string>
#include <string_view>

namespace talvorix {

/// Writes UTF-8 text to `stream`; false when the write failed. A Windows console gets
/// it as UTF-16, so every letter shows whatever the console's code page; files, pipes
/// and every stream on other systems get the bytes as they are.
bool WriteText(std::FILE* stream, std::string_view utf8);

/// A path or argument as the program was given it, in UTF-8 for showing next to the
/// report's text: on Windows the arguments are in the system's code page and are
/// converted; elsewhere they are shown as they are (names there are bytes, usually
/// UTF-8).
std::string ArgumentAsUtf8(std::string_view argument);

/// Whether the reader of `stream` (a pipe or a socket) has gone, so that nothing written
/// to it could ever be read; false for files, terminals and where it cannot be told.
bool OutputReaderGone(std::FILE* stream);

}  // namespace talvorix
