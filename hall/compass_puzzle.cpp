// The compass walk: two legs of a and c steps with a turn of b degrees between them.

#include <cmath>

#include "hall/hall_puzzle.h"
#include "core/cp1250.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

constexpr auto kFirstLeg = Cp1250(u8"lépéseit -");
constexpr auto kCompass = Cp1250(u8"iránytűjét,");
constexpr auto kSecondLeg = Cp1250(u8"újabb");
static_assert(kFirstLeg.view().size() == 10 && kCompass.view().size() == 11);

// Degrees to radians with pi taken as 3.1416, a little more than the true factor; the
// answers depend on it (a straight walk of 3 and 4 steps comes out as 6, not 7).
constexpr double kDegreeFactor = 0.017453333333333335;

}  // namespace

bool HallPuzzle::SolveCompassPuzzle() {
  const RiddleText riddle = Text();
  const std::string_view text = riddle.text;
  int32_t a = 0;
  int32_t b = 0;
  int32_t c = 0;
  const std::size_t aPos = ReadAfterKeyword(text, riddle.start, kFirstLeg, 11, &a);
  if (aPos == kNpos) return false;
  const std::size_t bPos = ReadAfterKeyword(text, aPos, kCompass, 12, &b);
  if (bPos == kNpos) return false;
  if (ReadAfterKeyword(text, bPos, kSecondLeg, 6, &c) == kNpos) return false;

  // Law of cosines for legs that meet at 180 - b degrees.
  const int32_t squares = WrapAdd(WrapMul(a, a), WrapMul(c, c));
  const int32_t twice = WrapMul(WrapMul(2, a), c);
  const double angle = static_cast<double>(WrapSub(180, b)) * kDegreeFactor;
  const double square = static_cast<double>(squares) - static_cast<double>(twice) * std::cos(angle);
  // Sums that wrapped can make the square negative: it has no root, and the riddle
  // counts as unreadable. Otherwise the square is below 2^32, so the root is below
  // 65536 and truncates to an int32_t safely.
  if (!(square >= 0.0)) return false;
  number = static_cast<int32_t>(std::sqrt(square));
  return true;
}

}  // namespace talvorix
