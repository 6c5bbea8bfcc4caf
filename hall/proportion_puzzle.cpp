// The rule of three: if a give c in b weeks, what do d give in e weeks?

#include "hall/hall_puzzle.h"
#include "core/cp1250.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

constexpr auto kWeek = Cp1250(u8"hét");
// Back from "hét" to before a count of 1 to 3 digits.
constexpr std::size_t kBackToCount = 5;

}  // namespace

bool HallPuzzle::SolveProportionPuzzle() {
  const RiddleText riddle = Text();
  const std::string_view text = riddle.text;
  int32_t a = 0, b = 0, c = 0, d = 0, e = 0;
  const std::size_t aPos = ReadAfterKeyword(text, riddle.start, "Ha", 3, &a);
  if (aPos == kNpos) return false;
  const std::size_t bPos = ReadBeforeKeyword(text, aPos, kWeek, kBackToCount, &b);
  if (bPos == kNpos) return false;
  const std::size_t cPos = ReadAfterKeyword(text, bPos, "alatt", 6, &c);
  if (cPos == kNpos) return false;
  const std::size_t dPos = ReadAfterKeyword(text, cPos, "akkor", 6, &d);
  if (dPos == kNpos) return false;
  if (ReadBeforeKeyword(text, dPos, kWeek, kBackToCount, &e) == kNpos) return false;

  // Each division truncates before the next step, so the order decides the answer.
  if (a == 0 || b == 0) return false;
  const int32_t perHeadAndWeek = WrapDiv(WrapDiv(c, a), b);
  number = WrapMul(WrapMul(perHeadAndWeek, e), d);
  return true;
}

}  // namespace talvorix
