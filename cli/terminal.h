#pragma once
// Where the command-line programs' text meets the platform: a Windows console shows
// UTF-8 only through its wide-character interface, and arguments there are taken in
// UTF-16 and held in UTF-8.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace talvorix {

/// Writes UTF-8 text to `stream`; false when the write failed. A Windows console gets
/// it as UTF-16, so every letter shows whatever the console's code page; files, pipes
/// and every stream on other systems get the bytes as they are.
bool WriteText(std::FILE* stream, std::string_view utf8);

/// The program's arguments, its own name first. On Windows they are read from the UTF-16
/// command line and held in UTF-8, the form every 8-bit path takes there (the code page
/// would bend a name it cannot hold into another: "ő" into "o"); an argument with a lone
/// surrogate becomes a NUL, which names no file. Elsewhere they are argv as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

/// A path or argument from ProgramArguments, in UTF-8 for showing next to the report's
/// text: on Windows it is UTF-8 already; elsewhere it is shown as it is (names there are
/// bytes, usually UTF-8).
std::string ArgumentAsUtf8(std::string_view argument);

/// Whether the reader of `stream` (a pipe or a socket) has gone, so that nothing written
/// to it could ever be read; false for files, terminals and where it cannot be told.
bool OutputReaderGone(std::FILE* stream);

}  // namespace talvorix
