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

/// What the riddle gives: the numbers and names of both purchases, and the question.
struct Purchases {
  int32_t x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
  std::string_view first, second, question;
};

/// Reads x0, the first goods' name and y0; returns y0's reading position, or kNpos.
std::size_t ReadFirstGoods(std::string_view text, std::size_t from, Purchases* p) {
  const std::size_t x0Pos = ReadAfterKeyword(text, from, kFirstTime, kFirstTime.view().size(), &p->x0);
  if (x0Pos == kNpos) return kNpos;
  const std::size_t x0End = Find(text, " ", x0Pos);
  if (x0End == kNpos) return kNpos;
  const std::size_t firstName = x0End + 1;
  const std::size_t firstAnd = Find(text, kAnd, firstName);
  if (firstAnd == kNpos) return kNpos;
  // The name ends before the blank in front of "és "; an "és " right after x0's blank
  // would give it a negative length.
  const std::optional<std::string_view> first = GoodsName(text, firstName, firstAnd - 1);
  if (!first) return kNpos;
  p->first = *first;
  const std::size_t y0Pos = StepForward(text, firstAnd, kAnd.view().size());
  if (!ReadIntegerAt(text, y0Pos, &p->y0)) return kNpos;
  return y0Pos;
}

/// Reads the second goods' name after y0 and the sum z0 that ends it; returns where the
/// name starts, or kNpos.
std::size_t ReadSecondGoods(std::string_view text, std::size_t y0Pos, Purchases* p) {
  const std::size_t y0End = Find(text, " ", y0Pos);
  if (y0End == kNpos) return kNpos;
  const std::size_t secondName = y0End + 1;
  const std::size_t z0Pos = ReadBeforeKeyword(text, secondName, kForGold, kBackToSum, &p->z0);
  if (z0Pos == kNpos) return kNpos;
  const std::optional<std::string_view> second = GoodsName(text, secondName, z0Pos - 1);
  if (!second) return kNpos;
  p->second = *second;
  return secondName;
}

/// Reads x1, y1 and z1 of the second purchase, searched from the second goods' name, and
/// the question after z1.
bool ReadSecondPurchase(std::string_view text, std::size_t secondName, Purchases* p) {
  const std::size_t x1Pos = ReadAfterKeyword(text, secondName, kSecondTime, kSecondTime.size() + 1, &p->x1);
  if (x1Pos == kNpos) return false;
  const std::size_t y1Pos = ReadAfterKeyword(text, x1Pos, kAnd, kAnd.view().size(), &p->y1);
  if (y1Pos == kNpos) return false;
  const std::size_t z1Pos = ReadBeforeKeyword(text, y1Pos, kForGoldLast, kBackToSum, &p->z1);
  if (z1Pos == kNpos) return false;
  p->question = text.substr(z1Pos);
  return true;
}

/// Cramer's rule for x0·P + y0·Q = z0 and x1·P + y1·Q = z1, one truncating division
/// each; the first goods are asked about first. Nothing when the question names
/// neither or the purchases give no single price.
std::optional<int32_t> AskedPrice(const Purchases& p) {
  if (Contains(p.question, p.first)) {
    const int32_t divisor = WrapSub(WrapMul(p.x0, p.y1), WrapMul(p.x1, p.y0));
    if (divisor == 0) return std::nullopt;
    return WrapDiv(WrapSub(WrapMul(p.z0, p.y1), WrapMul(p.z1, p.y0)), divisor);
  }
  if (Contains(p.question, p.second)) {
    const int32_t divisor = WrapSub(WrapMul(p.y0, p.x1), WrapMul(p.y1, p.x0));
    if (divisor == 0) return std::nullopt;
    return WrapDiv(WrapSub(WrapMul(p.z0, p.x1), WrapMul(p.z1, p.x0)), divisor);
  }
  return std::nullopt;
}

}  // namespace

bool HallPuzzle::SolvePurchasePuzzle() {
  const RiddleText riddle = Text();
  Purchases purchases;
  const std::size_t y0Pos = ReadFirstGoods(riddle.text, riddle.start, &purchases);
  if (y0Pos == kNpos) return false;
  const std::size_t secondName = ReadSecondGoods(riddle.text, y0Pos, &purchases);
  if (secondName == kNpos) return false;
  if (!ReadSecondPurchase(riddle.text, secondName, &purchases)) return false;
  const std::optional<int32_t> price = AskedPrice(purchases);
  if (!price) return false;
  number = *price;
  return true;
}

}  // namespace talvorix
