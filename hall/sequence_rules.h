#pragma once
// The eight rules that predict the number after a short integer sequence.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace talvorix {

/// The longest list the rules take.
inline constexpr std::size_t kMaxSequenceLength = 7;

// Each rule takes the list x0, x1, ... and gives the number it predicts after it, or
// nothing when the list does not fit the rule or is too short or too long for it. No
// rule takes more than kMaxSequenceLength numbers; a zero divisor means no fit.

/// Rule 1: differences, up to three levels deep; a ratio, step or repetition in the
/// first level that shows one ends it. Needs at least 4 numbers.
std::optional<int32_t> DifferenceRule(std::span<const int32_t> x);
/// Rule 2: the even and odd places both step, or both grow by a ratio (the ratio wins).
/// Needs an even count.
std::optional<int32_t> InterleavedRule(std::span<const int32_t> x);
/// Rule 3: x(k+1) = m·x(k) + o·r^k with m alternating between two factors. Uses x0..x5.
std::optional<int32_t> AlternatingFactorRule(std::span<const int32_t> x);
/// Rule 4: as rule 3 with the added term (k+1)·o·r^k. Uses x0..x5.
std::optional<int32_t> WeightedAlternatingFactorRule(std::span<const int32_t> x);
/// Rule 5: x(k+1) = m·x(k) + (k+1)² with m alternating between two factors. Uses x0..x5.
std::optional<int32_t> SquareAddendRule(std::span<const int32_t> x);
/// Rule 6: remainders after the ratio of the last two elements, level by level; every
/// fit overrides the one before. Takes 2 to 6 numbers.
std::optional<int32_t> RatioRemainderRule(std::span<const int32_t> x);
/// Rule 7: each term is the sum of the two before it plus a remainder whose steps grow
/// by one. Needs at least 4 numbers.
std::optional<int32_t> SumRemainderRule(std::span<const int32_t> x);
/// Rule 8: each term is the sum of the two before it plus a remainder that changes by
/// the same amount every second term. Needs at least 6 numbers.
std::optional<int32_t> SumStepRemainderRule(std::span<const int32_t> x);

/// Runs rules 1 to 8 in order; the last rule that fits decides. Nothing when none fits.
std::optional<int32_t> PredictNextNumber(std::span<const int32_t> x);

}  // namespace talvorix
