#pragma once
// Reads a report the way a text-mode stream delivers it, one bounded line at a time.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/byte_source.h"

namespace talvorix {

/// A carriage return followed by a line feed reads as one line feed, a byte 26
/// (control-Z) ends the file, and a read error counts as the end of the file.
class LineReader {
 public:
  /// Reads from bytes held in memory; they must outlive the reader.
  explicit LineReader(std::string_view bytes);
  /// Reads from a source in blocks of 64 KiB; the source must outlive the reader.
  explicit LineReader(ByteSource& source);

  /// Takes characters up to a line feed (consumed, not stored) or until `limit`
  /// characters have been taken. Returns true when the end of the file was met
  /// during this read; the characters taken so far are still in `line`. The line is
  /// valid until the next call: most lines are read where they lie, without a copy.
  bool ReadLine(std::size_t limit, std::string_view* line);

 private:
  /// A line that lies whole in the block, ends in a line feed, a CR LF or at `limit`,
  /// and holds no other carriage return and no control-Z: the common case, read in
  /// place.
  bool ReadInPlace(std::size_t limit, std::string_view* line);
  /// Any other line, character by character across blocks, into `copied_`.
  bool ReadCopied(std::size_t limit);
  bool Refill();
  /// The next translated character, or -1 at the end of the file.
  int Get();

  ByteSource* source_ = nullptr;
  std::vector<char> block_;
  const char* data_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
  std::string copied_;
};

}  // namespace talvorix
