// The litter: the positive root x of b·x·x + a·x = c.

#include <cmath>

#include "hall/hall_puzzle.h"
#include "core/cp1250.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

constexpr auto kAltogether = Cp1250(u8"összesen");
static_assert(kAltogether.view().size() == 8);

}  // namespace

bool HallPuzzle::SolveLitterPuzzle() {
  const RiddleText riddle = Text();
  const std::string_view text = riddle.text;
  int32_t a = 0, b = 0, c = 0;
  const std::size_t aPos = ReadAfterKeyword(text, riddle.start, "felfalt", 8, &a);
  if (aPos == kNpos) return false;
  const std::size_t bPos = ReadAfterKeyword(text, aPos, "megevett", 9, &b);
  if (bPos == kNpos) return false;
  if (ReadAfterKeyword(text, bPos, kAltogether, 9, &c) == kNpos) return false;

  const int32_t discriminant = WrapAdd(WrapMul(a, a), WrapMul(WrapMul(4, b), c));
  const int32_t divisor = WrapMul(2, b);
  if (discriminant < 0 || divisor == 0) return false;
  // The root of a non-negative 32-bit value is below 46341, so it converts safely.
  const auto root = static_cast<int32_t>(std::sqrt(static_cast<double>(discriminant)));
  number = WrapDiv(WrapSub(root, a), divisor);
  return true;
}

}  // namespace talvorix
