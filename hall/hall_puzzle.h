#pragma once
// A Hall riddle cut out of its gathered lines, recognised and solved.

#include <cstdint>

#include "scanner/puzzle_result.h"

namespace talvorix {

class HallPuzzle {
 public:
  /// Borrows a writable NUL-terminated buffer of `size` bytes; Solve writes one terminator into it.
  HallPuzzle(char* riddle, int32_t size);
  virtual ~HallPuzzle() = default;

  /// Cuts the riddle, runs the matching solvers and fills `result`; false when a recognised kind cannot be read.
  bool Solve();

  PuzzleResult result;
  int32_t number = 0;

 private:
  char* riddle_;
  int32_t size_;
};

}  // namespace talvorix
