#pragma once
// Where the line reader takes its bytes from, block by block.

#include <cstddef>
#include <span>

namespace talvorix {

/// A stream of bytes read in blocks.
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  /// Fills the start of `buffer` with the next bytes and returns how many. For a buffer
  /// that is not empty, 0 means the end: the source has no more bytes, or it could not
  /// read them.
  virtual std::size_t Read(std::span<char> buffer) = 0;
};

}  // namespace talvorix
