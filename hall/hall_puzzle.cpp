#include "hall/hall_puzzle.h"

namespace talvorix {

HallPuzzle::HallPuzzle(char* riddle, int32_t size) : riddle_(riddle), size_(size) {}

bool HallPuzzle::Solve() { return false; }

}  // namespace talvorix
