// A Hall riddle solve over an arbitrary gathered buffer.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "hall/hall_puzzle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  talvorix::fuzz::SolvePuzzle<talvorix::HallPuzzle>(data, size);
  return 0;
}
