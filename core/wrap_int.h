#pragma once
// 32-bit two's-complement arithmetic that wraps instead of overflowing.

#include <cstdint>

namespace talvorix {

constexpr int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
constexpr int32_t WrapNeg(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }
/// Truncating division; the caller has rejected b == 0. INT32_MIN / -1 stays INT32_MIN.
constexpr int32_t WrapDiv(int32_t a, int32_t b) { return (a == INT32_MIN && b == -1) ? INT32_MIN : a / b; }
/// Remainder with the dividend's sign; the caller has rejected b == 0.
constexpr int32_t WrapMod(int32_t a, int32_t b) { return (b == -1) ? 0 : a % b; }

static_assert(WrapAdd(INT32_MAX, 1) == INT32_MIN);
static_assert(WrapSub(INT32_MIN, 1) == INT32_MAX);
static_assert(WrapMul(65536, 65536) == 0);
static_assert(WrapNeg(INT32_MIN) == INT32_MIN);
static_assert(WrapDiv(INT32_MIN, -1) == INT32_MIN && WrapDiv(-15, 2) == -7);
static_assert(WrapMod(INT32_MIN, -1) == 0 && WrapMod(-7, 2) == -1);

}  // namespace talvorix
