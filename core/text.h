#pragma once
// Byte-wise text search and number reading over 8-bit Windows-1250 text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/wrap_int.h"

namespace talvorix {

inline constexpr std::size_t kNpos = std::string_view::npos;

/// First occurrence of needle in text at or after from (case-sensitive, byte-wise); kNpos if none.
constexpr std::size_t Find(std::string_view text, std::string_view needle, std::size_t from = 0) {
  if (from > text.size()) return kNpos;
  return text.find(needle, from);
}

/// Whether text holds needle anywhere.
constexpr bool Contains(std::string_view text, std::string_view needle) {
  return text.find(needle) != kNpos;
}

/// The text up to its first NUL: what a C string function would see.
constexpr std::string_view UpToNul(std::string_view text) {
  const std::size_t nul = text.find('\0');
  return nul == kNpos ? text : text.substr(0, nul);
}

/// The first position from `pos` that is not a blank (character 32 only); a position
/// at or past the end stays where it is.
constexpr std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos;
}

/// White space as the C library's classification gives it in the "C" locale.
constexpr bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

/// Reads a leading decimal integer as the C library's string-to-integer conversion
/// does (white space, an optional sign, digits), accumulating in wrapping 32-bit
/// arithmetic. No digits give 0.
constexpr int32_t ReadLeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = WrapAdd(WrapMul(value, 10), text[i] - '0');
  return negative ? WrapNeg(value) : value;
}

static_assert(ReadLeadingInteger(" \t-12x") == -12);
static_assert(ReadLeadingInteger("+7") == 7 && ReadLeadingInteger("x1") == 0);
static_assert(ReadLeadingInteger("4294967297") == 1);
static_assert(SkipBlanks("  a ", 0) == 2 && SkipBlanks("a  ", 1) == 3 && SkipBlanks("a", 5) == 5);

}  // namespace talvorix
