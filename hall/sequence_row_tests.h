#pragma once
// Tests that find a common pattern in a row of integers.

#include <cstdint>
#include <span>

namespace talvorix {

/// What a row test gives when the row does not fit it.
inline constexpr int32_t kNoMatch = -999;

/// The common exact quotient b / a of all consecutive pairs (no zero anywhere, q != 0),
/// or kNoMatch. Only quotients from -998 to 9999 are recognised.
int32_t ConstantRatio(std::span<const int32_t> row);

/// The common difference b - a of all consecutive pairs, or kNoMatch. Only steps from
/// -998 to 9999 are recognised.
int32_t ConstantStep(std::span<const int32_t> row);

/// The element that continues the row's period, the period ending where row[0] first
/// comes back; kNoMatch when it never comes back or the rest does not repeat.
int32_t Repetition(std::span<const int32_t> row);

}  // namespace talvorix
