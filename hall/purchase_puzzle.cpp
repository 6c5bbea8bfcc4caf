// The two purchases: x0 of the first goods and y0 of the second for z0 gold, then x1
// and y1 for z1 gold; the question names the goods whose unit price is wanted.

#include <optional>

#include "hall/hall_puzzle.h"
#include "core/cp1250.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

constexpr auto kFirstTime = Cp1250(u8"ízben ");
constexpr auto kAnd = Cp1250(u8"és ");
constexpr auto kForGold = Cp1250(u8"aranyért,");
constexpr auto kForGoldLast = Cp1250(u8"aranyért");
constexpr std::string_view kSecondTime = "alkalommal";
static_assert(kFirstTime.view().size() == 6 && kAnd.view().size() == 3);

// A name of goods keeps at most this many characters; a longer one is cut.
constexpr std::size_t kMaxNameLength = 39;
// Back from the gold keyword to before a sum of 1 to 4 digits.
constexpr std::size_t kBackToSum = 6;

/// The name from `from` up to `end`, cut to kMaxNameLength; nothing when end lies before from.
std::optional<std::string_view> GoodsName(std::string_view text, std::size_t from, std::size_t end) {
  if (end < from) return std::nullopt;
  const std::size_t length = end - from;
  return text.substr(from, length < kMaxNameLength ? length : kMaxNameLength);
}

}  // namespace

bool HallPuzzle::SolvePurchasePuzzle() {
  const RiddleText riddle = Text();
  const std::string_view text = riddle.text;
  int32_t x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;

  const std::size_t x0Pos = ReadAfterKeyword(text, riddle.start, kFirstTime, kFirstTime.view().size(), &x0);
  if (x0Pos == kNpos) return false;
  const std::size_t x0End = Find(text, " ", x0Pos);
  if (x0End == kNpos) return false;
  const std::size_t firstName = x0End + 1;
  const std::size_t firstAnd = Find(text, kAnd, firstName);
  if (firstAnd == kNpos) return false;
  // The name ends before the blank in front of "és "; an "és " right after x0's blank
  // would give it a negative length.
  const std::optional<std::string_view> first = GoodsName(text, firstName, firstAnd - 1);
  if (!first) return false;
  const std::size_t y0Pos = StepForward(text, firstAnd, kAnd.view().size());
  if (!ReadIntegerAt(text, y0Pos, &y0)) return false;

  const std::size_t y0End = Find(text, " ", y0Pos);
  if (y0End == kNpos) return false;
  const std::size_t secondName = y0End + 1;
  const std::size_t z0Pos = ReadBeforeKeyword(text, secondName, kForGold, kBackToSum, &z0);
  if (z0Pos == kNpos) return false;
  const std::optional<std::string_view> second = GoodsName(text, secondName, z0Pos - 1);
  if (!second) return false;

  const std::size_t x1Pos = ReadAfterKeyword(text, secondName, kSecondTime, kSecondTime.size() + 1, &x1);
  if (x1Pos == kNpos) return false;
  const std::size_t y1Pos = ReadAfterKeyword(text, x1Pos, kAnd, kAnd.view().size(), &y1);
  if (y1Pos == kNpos) return false;
  const std::size_t z1Pos = ReadBeforeKeyword(text, y1Pos, kForGoldLast, kBackToSum, &z1);
  if (z1Pos == kNpos) return false;
  const std::string_view question = text.substr(z1Pos);

  // Cramer's rule for x0·P + y0·Q = z0 and x1·P + y1·Q = z1, one truncating division
  // each; the first goods are asked about first.
  if (Contains(question, *first)) {
    const int32_t divisor = WrapSub(WrapMul(x0, y1), WrapMul(x1, y0));
    if (divisor == 0) return false;
    number = WrapDiv(WrapSub(WrapMul(z0, y1), WrapMul(z1, y0)), divisor);
    return true;
  }
  if (Contains(question, *second)) {
    const int32_t divisor = WrapSub(WrapMul(y0, x1), WrapMul(y1, x0));
    if (divisor == 0) return false;
    number = WrapDiv(WrapSub(WrapMul(z0, x1), WrapMul(z1, x0)), divisor);
    return true;
  }
  return false;
}

}  // namespace talvorix
