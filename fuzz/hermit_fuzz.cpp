// A hermit puzzle solve over an arbitrary gathered text.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "hermit/hermit_puzzle.h"

using namespace talvorix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size >= INT32_MAX) return 0;
  fuzz::NulTerminated buffer(data, size);
  HermitPuzzle puzzle(buffer.bytes.get(), static_cast<int32_t>(buffer.size));
  puzzle.Solve();
  fuzz::Require(FieldText(puzzle.result.answer).size() < puzzle.result.answer.size());
  fuzz::Require(FieldText(puzzle.result.title).size() < puzzle.result.title.size());
  fuzz::Require(FieldText(puzzle.result.text).size() < puzzle.result.text.size());
  return 0;
}
