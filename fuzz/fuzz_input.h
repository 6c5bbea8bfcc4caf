#pragma once
// Turning a fuzzer's bytes into the buffers the engine borrows.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/puzzle_result.h"

namespace talvorix::fuzz {

/// A heap copy of the input with a NUL after it and no spare room, so that a read
/// past the terminator is caught by the address sanitizer.
struct NulTerminated {
  NulTerminated(const uint8_t* data, std::size_t length)
      : bytes(std::make_unique<char[]>(length + 1)), size(length + 1) {
    if (length > 0) std::memcpy(bytes.get(), data, length);
    bytes[length] = '\0';
  }
  std::unique_ptr<char[]> bytes;
  std::size_t size;  // the NUL included
};

inline std::string_view View(const uint8_t* data, std::size_t size) {
  return size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size);
}

/// Stops a fuzz run on a broken invariant in every build, sanitizers or not.
inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}

/// Solves a puzzle of either kind over the input and checks that every field of its
/// record ends inside the field.
template <typename Puzzle>
void SolvePuzzle(const uint8_t* data, std::size_t size) {
  // A heap copy of exactly the input, so that a read past its end is caught by the
  // address sanitizer.
  const auto copy = std::make_unique<char[]>(size);
  if (size > 0) std::memcpy(copy.get(), data, size);
  Puzzle puzzle(std::string_view(copy.get(), size));
  puzzle.Solve();
  Require(FieldText(puzzle.result.answer).size() < puzzle.result.answer.size());
  Require(FieldText(puzzle.result.title).size() < puzzle.result.title.size());
  Require(FieldText(puzzle.result.text).size() < puzzle.result.text.size());
}

}  // namespace talvorix::fuzz
