#include "hermit/hermit_puzzle.h"

namespace talvorix {

HermitPuzzle::HermitPuzzle(char* text, int32_t size) : text_(text), size_(size) {}

bool HermitPuzzle::Solve() { return false; }

}  // namespace talvorix
