#include "hall/sequence_rules.h"

#include <array>
#include <cmath>

#include "hall/sequence_row_tests.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

/// A derived row of at most kMaxSequenceLength integers.
struct Row {
  std::array<int32_t, kMaxSequenceLength> values{};
  std::size_t size = 0;

  static Row From(std::span<const int32_t> x) {
    Row row;
    for (const int32_t v : x) row.values[row.size++] = v;
    return row;
  }
  std::span<const int32_t> View() const { return {values.data(), size}; }
  int32_t Last() const { return values[size - 1]; }
  int32_t SecondLast() const { return values[size - 2]; }
  /// Whether the last two elements multiply (wrapping) to 0.
  bool LastProductIsZero() const { return WrapMul(Last(), SecondLast()) == 0; }
};

/// row'[i] = row[i+1] - factor·row[i], one element shorter.
Row Remainders(const Row& row, int32_t factor) {
  Row next;
  for (std::size_t i = 0; i + 1 < row.size; ++i)
    next.values[next.size++] = WrapSub(row.values[i + 1], WrapMul(factor, row.values[i]));
  return next;
}

/// Truncated square root of a non-negative value (below 46341, so it converts safely).
int32_t SquareRoot(int32_t value) { return static_cast<int32_t>(std::sqrt(static_cast<double>(value))); }

int32_t Abs(int32_t value) { return value < 0 ? WrapNeg(value) : value; }

int32_t Pow(int32_t base, int exponent) {
  int32_t power = 1;
  for (int i = 0; i < exponent; ++i) power = WrapMul(power, base);
  return power;
}

/// The coefficients that tell rule 4 (added term (k+1)·o·r^k) from rule 3 (o·r^k).
struct FactorWeights {
  int32_t hSquare, hCross;        // H = hSquare·x2² - hCross·x0·x4
  int32_t gCross, gMixed, gTail;  // G = x0·(gCross·(x1·x4 - x0·x5) + gMixed·x2·x3) - gTail·x1·x2²
  int32_t dFactor;                // D = G² - dFactor·H·K
  int32_t w2, w3, w4, w6;         // the weights of o·r^k in x2, x3, x4 and the prediction
};
constexpr FactorWeights kPlainWeights = {1, 1, 1, 2, 2, 4, 1, 1, 1, 1};
constexpr FactorWeights kGrowingWeights = {5, 9, 9, 10, 10, 20, 2, 3, 4, 6};

/// u from x2 = u·x1 + w2·o·r; nothing unless the division is exact.
std::optional<int32_t> SecondFactor(std::span<const int32_t> x, int32_t added) {
  const int32_t u = WrapDiv(WrapSub(x[2], added), x[1]);
  if (WrapAdd(WrapMul(u, x[1]), added) != x[2]) return std::nullopt;
  return u;
}

/// The scale o of the added term: the exact integer root of H·o² + G·o + K = 0, whose
/// discriminant D must be a perfect square. Nothing when there is none or it is 0.
std::optional<int32_t> AddedTermScale(std::span<const int32_t> x, const FactorWeights& w) {
  const int32_t x2Square = WrapMul(x[2], x[2]);
  const int32_t h = WrapSub(WrapMul(w.hSquare, x2Square), WrapMul(w.hCross, WrapMul(x[0], x[4])));
  if (h == 0) return std::nullopt;
  const int32_t cross = WrapSub(WrapMul(x[1], x[4]), WrapMul(x[0], x[5]));
  const int32_t inner = WrapAdd(WrapMul(w.gCross, cross), WrapMul(w.gMixed, WrapMul(x[2], x[3])));
  const int32_t g = WrapSub(WrapMul(x[0], inner), WrapMul(w.gTail, WrapMul(x[1], x2Square)));
  const int32_t k0 = WrapSub(WrapMul(x[0], x[3]), WrapMul(x[1], x[2]));
  const int32_t k = WrapMul(k0, k0);
  const int32_t d = WrapSub(WrapMul(g, g), WrapMul(WrapMul(w.dFactor, h), k));
  if (d < 0) return std::nullopt;
  const int32_t s = SquareRoot(d);
  if (WrapMul(s, s) != d) return std::nullopt;

  // The root with + s is tried first.
  const int32_t twiceH = WrapMul(2, h);
  if (twiceH == 0) return std::nullopt;
  int32_t o = WrapDiv(WrapSub(s, g), twiceH);
  if (WrapMul(twiceH, o) != WrapSub(s, g)) {
    const int32_t other = WrapSub(WrapNeg(g), s);
    o = WrapDiv(other, twiceH);
    if (WrapMul(twiceH, o) != other) return std::nullopt;
  }
  if (o == 0) return std::nullopt;
  return o;
}

std::optional<int32_t> AlternatingFactor(std::span<const int32_t> x, const FactorWeights& w) {
  if (x.size() < 6 || x.size() > kMaxSequenceLength || x[0] == 0) return std::nullopt;
  const std::optional<int32_t> scale = AddedTermScale(x, w);
  if (!scale) return std::nullopt;
  const int32_t o = *scale;

  const int32_t p = WrapDiv(WrapSub(x[1], o), x[0]);
  const int32_t qDivisor = WrapMul(w.w3, o);
  if (qDivisor == 0) return std::nullopt;
  const int32_t q = WrapDiv(WrapSub(x[3], WrapMul(x[2], p)), qDivisor);
  if (q < 0) return std::nullopt;
  int32_t r = SquareRoot(q);
  if (x[1] == 0) return std::nullopt;
  std::optional<int32_t> u = SecondFactor(x, WrapMul(WrapMul(w.w2, o), r));
  if (!u) {
    r = WrapNeg(r);
    u = SecondFactor(x, WrapMul(WrapMul(w.w2, o), r));
    if (!u) return std::nullopt;
  }
  if (WrapAdd(WrapMul(WrapMul(w.w4, o), Pow(r, 3)), WrapMul(*u, x[3])) != x[4]) return std::nullopt;
  return WrapAdd(WrapMul(*u, x[5]), WrapMul(WrapMul(w.w6, o), Pow(r, 5)));
}

/// The remainders R[i] = x[i+2] - x[i+1] - x[i].
Row SumRemainders(std::span<const int32_t> x) {
  Row r;
  for (std::size_t i = 0; i + 2 < x.size(); ++i)
    r.values[r.size++] = WrapSub(WrapSub(x[i + 2], x[i + 1]), x[i]);
  return r;
}

}  // namespace

std::optional<int32_t> DifferenceRule(std::span<const int32_t> x) {
  if (x.size() < 4 || x.size() > kMaxSequenceLength) return std::nullopt;
  Row row = Row::From(x);
  int32_t base = 0;
  for (int level = 1; level <= 3; ++level) {
    base = WrapAdd(base, row.Last());
    row = Remainders(row, 1);
    if (const int32_t g = ConstantRatio(row.View()); g != kNoMatch)
      return WrapAdd(base, WrapMul(g, row.Last()));
    if (const int32_t d = ConstantStep(row.View()); d != kNoMatch)
      return WrapAdd(WrapAdd(base, row.Last()), d);
    if (const int32_t next = Repetition(row.View()); next != kNoMatch) return WrapAdd(base, next);
  }
  return std::nullopt;
}

std::optional<int32_t> InterleavedRule(std::span<const int32_t> x) {
  if (x.size() % 2 != 0 || x.size() > kMaxSequenceLength) return std::nullopt;
  Row even, odd;
  for (std::size_t i = 0; i < x.size(); ++i) {
    Row& half = i % 2 == 0 ? even : odd;
    half.values[half.size++] = x[i];
  }
  // Only the even places' step or ratio is used; the odd places must merely have one.
  std::optional<int32_t> prediction;
  const int32_t step = ConstantStep(even.View());
  if (step != kNoMatch && ConstantStep(odd.View()) != kNoMatch) prediction = WrapAdd(even.Last(), step);
  const int32_t ratio = ConstantRatio(even.View());
  if (ratio != kNoMatch && ConstantRatio(odd.View()) != kNoMatch) prediction = WrapMul(even.Last(), ratio);
  return prediction;
}

std::optional<int32_t> AlternatingFactorRule(std::span<const int32_t> x) {
  return AlternatingFactor(x, kPlainWeights);
}

std::optional<int32_t> WeightedAlternatingFactorRule(std::span<const int32_t> x) {
  return AlternatingFactor(x, kGrowingWeights);
}

std::optional<int32_t> SquareAddendRule(std::span<const int32_t> x) {
  if (x.size() < 6 || x.size() > kMaxSequenceLength) return std::nullopt;
  if (x[0] == 0 || x[1] == 0 || x[2] == 0 || x[3] == 0 || x[4] == 0) return std::nullopt;
  const int32_t c1 = WrapDiv(WrapSub(x[3], 9), x[2]);
  const int32_t c0 = WrapDiv(WrapSub(x[1], 1), x[0]);
  const int32_t c2 = WrapDiv(WrapSub(x[5], 25), x[4]);
  if (c1 != c0 || c2 != c0) return std::nullopt;
  const int32_t h1 = WrapDiv(WrapSub(x[4], 16), x[3]);
  const int32_t h0 = WrapDiv(WrapSub(x[2], 4), x[1]);
  if (h1 != h0) return std::nullopt;
  const bool exact = WrapMul(c0, x[0]) == WrapSub(x[1], 1) && WrapMul(h0, x[1]) == WrapSub(x[2], 4) &&
                     WrapMul(c1, x[2]) == WrapSub(x[3], 9) && WrapMul(h1, x[3]) == WrapSub(x[4], 16) &&
                     WrapMul(c2, x[4]) == WrapSub(x[5], 25);
  if (!exact) return std::nullopt;
  return WrapAdd(WrapMul(h0, x[5]), 36);
}

std::optional<int32_t> RatioRemainderRule(std::span<const int32_t> x) {
  if (x.size() < 2 || x.size() > 6) return std::nullopt;
  Row row = Row::From(x);
  if (row.LastProductIsZero()) return std::nullopt;
  // Every test runs at every level and a later fit overrides an earlier one.
  std::optional<int32_t> prediction;
  int32_t base = 0;
  while (true) {
    const int32_t q = WrapDiv(row.Last(), row.SecondLast());  // the product check rules out 0
    base = WrapAdd(base, WrapMul(q, row.Last()));
    row = Remainders(row, q);
    if (const int32_t g = ConstantRatio(row.View()); g != kNoMatch)
      prediction = WrapAdd(base, WrapMul(g, row.Last()));
    if (const int32_t d = ConstantStep(row.View()); d != kNoMatch)
      prediction = WrapAdd(WrapAdd(base, row.Last()), d);
    if (const int32_t next = Repetition(row.View()); next != kNoMatch) prediction = WrapAdd(base, next);
    if (row.size <= 3 || row.LastProductIsZero()) return prediction;
  }
}

std::optional<int32_t> SumRemainderRule(std::span<const int32_t> x) {
  if (x.size() < 4 || x.size() > kMaxSequenceLength) return std::nullopt;
  const Row r = SumRemainders(x);
  int32_t d = WrapSub(r.values[1], r.values[0]);
  for (std::size_t i = 1; i + 1 < r.size; ++i) {
    d = WrapAdd(d, 1);
    if (WrapSub(r.values[i + 1], r.values[i]) != d) return std::nullopt;
  }
  const std::size_t n = x.size();
  return WrapAdd(WrapAdd(WrapAdd(WrapAdd(x[n - 1], x[n - 2]), r.Last()), d), 1);
}

std::optional<int32_t> SumStepRemainderRule(std::span<const int32_t> x) {
  if (x.size() < 6 || x.size() > kMaxSequenceLength) return std::nullopt;
  const Row r = SumRemainders(x);
  const std::size_t n = x.size();
  const int32_t e = Abs(WrapSub(r.values[2], r.values[0]));
  for (std::size_t k = 1; k + 1 <= (n - 2) / 2; ++k)
    if (Abs(WrapSub(r.values[2 * k + 1], r.values[2 * k - 1])) != e) return std::nullopt;
  const int32_t next = WrapSub(WrapMul(2, r.values[n - 4]), r.values[n - 6]);
  return WrapAdd(WrapAdd(x[n - 2], x[n - 1]), next);
}

std::optional<int32_t> PredictNextNumber(std::span<const int32_t> x) {
  using Rule = std::optional<int32_t> (*)(std::span<const int32_t>);
  constexpr Rule kRules[] = {
      DifferenceRule,   InterleavedRule,    AlternatingFactorRule, WeightedAlternatingFactorRule,
      SquareAddendRule, RatioRemainderRule, SumRemainderRule,      SumStepRemainderRule};
  std::optional<int32_t> prediction;
  for (const Rule rule : kRules)
    if (const std::optional<int32_t> next = rule(x)) prediction = next;  // the last fitting rule decides
  return prediction;
}

}  // namespace talvorix
