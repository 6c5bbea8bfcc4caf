#pragma once
// Eight bytes at a time: where plain ASCII ends and where a line-break tag may open.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace talvorix::byte_words {

inline constexpr uint64_t kOnes = 0x0101010101010101u;
inline constexpr uint64_t kHighBits = 0x8080808080808080u;
inline constexpr uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Fu;

inline uint64_t Load(const unsigned char* bytes) {
  uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

/// The high bit of each byte of `word` that is 0, and of no other.
constexpr uint64_t ZeroBytes(uint64_t word) { return ~(((word & kLowBits) + kLowBits) | word | kLowBits); }

/// The high bit of each byte of `word` from 0x80 on.
constexpr uint64_t HighBytes(uint64_t word) { return word & kHighBits; }

/// The high bit of each of the eight bytes at `bytes` that is a "<" followed by "b" or
/// "B": the only "<" that can open a line-break tag. Reads nine bytes.
inline uint64_t BreakOpenings(const unsigned char* bytes) {
  const uint64_t opening = ZeroBytes(Load(bytes) ^ (kOnes * '<'));
  const uint64_t b = ZeroBytes((Load(bytes + 1) | (kOnes * 0x20)) ^ (kOnes * 'b'));
  return opening & b;
}

/// The index (0 to 7) of the first byte marked in `marks`; 8 when none is.
inline std::size_t FirstMarked(uint64_t marks) {
  if (marks == 0) return 8;
  if constexpr (std::endian::native == std::endian::little) return static_cast<std::size_t>(std::countr_zero(marks)) / 8;
  return static_cast<std::size_t>(std::countl_zero(marks)) / 8;
}

}  // namespace talvorix::byte_words
