#pragma once
// The hermit's two-digit-number puzzle: speakers, clues, statements and answers.

#include <cstdint>

#include "scanner/puzzle_result.h"

namespace talvorix {

class HermitPuzzle {
 public:
  /// Borrows a NUL-terminated text of `size` bytes (terminator included).
  HermitPuzzle(char* text, int32_t size);
  virtual ~HermitPuzzle() = default;

  /// Reads and solves the puzzle; true when `result` holds a record to keep.
  bool Solve();

  PuzzleResult result;

 private:
  char* text_;
  int32_t size_;
};

}  // namespace talvorix
