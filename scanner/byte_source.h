#pragma once
// Where the line reader and the saved-page reader take their bytes from.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>

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

/// Bytes that can be read from any offset, as often as needed.
class RandomAccessBytes {
 public:
  virtual ~RandomAccessBytes() = default;

  /// Fills the start of `buffer` with bytes from `offset` on and returns how many; that
  /// may be fewer than there are. For a buffer that is not empty, 0 means that there
  /// are no bytes at `offset`, or that they could not be read.
  virtual std::size_t ReadAt(uint64_t offset, std::span<char> buffer) = 0;

  /// At most how many bytes there are; nullopt when that is not known.
  virtual std::optional<uint64_t> SizeLimit() const { return std::nullopt; }
};

/// Bytes held in memory; they must outlive the reader. A read takes at most `piece`
/// bytes, so that tests can cut the bytes as a slow source would.
class MemoryBytes final : public RandomAccessBytes {
 public:
  explicit MemoryBytes(std::string_view bytes, std::size_t piece = std::numeric_limits<std::size_t>::max())
      : bytes_(bytes), piece_(piece) {}

  std::size_t ReadAt(uint64_t offset, std::span<char> buffer) override {
    if (offset >= bytes_.size()) return 0;
    return bytes_.copy(buffer.data(), std::min(buffer.size(), piece_), static_cast<std::size_t>(offset));
  }
  std::optional<uint64_t> SizeLimit() const override { return bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t piece_;
};

}  // namespace talvorix
