// A hermit puzzle solve over an arbitrary gathered text.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "hermit/hermit_puzzle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  talvorix::fuzz::SolvePuzzle<talvorix::HermitPuzzle>(data, size);
  return 0;
}
