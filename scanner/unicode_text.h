#pragma once
// Unicode text decoded one character at a time, and the Windows-1250 byte of a character.

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/cp1250.h"

namespace talvorix {

/// What a decoding step found at the start of some bytes.
enum class Decoding : uint8_t {
  kCharacter,  // a well-formed character
  kIllFormed,  // `length` bytes (at least one) that are no character: one replacement
  kTruncated,  // the bytes end inside a character that more bytes could still complete
};

struct DecodedCharacter {
  Decoding kind = Decoding::kTruncated;
  uint8_t length = 0;      // bytes taken
  char32_t codePoint = 0;  // for kCharacter
};

namespace unicode_detail {

/// A UTF-8 lead byte: how many bytes its character has, and the range its second byte
/// must be in (every later byte is 80 to BF).
struct Utf8Lead {
  uint8_t length = 0;  // 0: the byte starts no character
  uint8_t secondLow = 0x80;
  uint8_t secondHigh = 0xBF;
};

struct Utf8LeadRange {
  uint8_t first;
  uint8_t last;
  Utf8Lead lead;
};

/// The well-formed byte sequences of UTF-8. Narrow second-byte ranges rule out overlong
/// forms, surrogates and code points past U+10FFFF; C0, C1 and F5 to FF lead nothing.
inline constexpr std::array<Utf8LeadRange, 9> kUtf8Leads = {{
    {0x00, 0x7F, {1, 0x00, 0x00}},
    {0xC2, 0xDF, {2, 0x80, 0xBF}},
    {0xE0, 0xE0, {3, 0xA0, 0xBF}},
    {0xE1, 0xEC, {3, 0x80, 0xBF}},
    {0xED, 0xED, {3, 0x80, 0x9F}},
    {0xEE, 0xEF, {3, 0x80, 0xBF}},
    {0xF0, 0xF0, {4, 0x90, 0xBF}},
    {0xF1, 0xF3, {4, 0x80, 0xBF}},
    {0xF4, 0xF4, {4, 0x80, 0x8F}},
}};

consteval std::array<Utf8Lead, 256> MakeLeadTable() {
  std::array<Utf8Lead, 256> table{};
  for (const Utf8LeadRange& range : kUtf8Leads)
    for (unsigned byte = range.first; byte <= range.last; ++byte) table[byte] = range.lead;
  return table;
}
inline constexpr std::array<Utf8Lead, 256> kLeadOf = MakeLeadTable();

/// Code points below this may have a Windows-1250 byte; the highest one is U+2122, and
/// every two-byte UTF-8 character (below U+0800) has a place in the table.
inline constexpr char32_t kCp1250TableSize = 0x2123;

/// The Windows-1250 byte of each code point from U+0080 on, from the engine's one table;
/// 0 where the code page lacks the character.
consteval std::array<uint8_t, kCp1250TableSize> MakeCp1250Table() {
  std::array<uint8_t, kCp1250TableSize> table{};
  for (std::size_t i = 0; i < cp1250_detail::kHighHalf.size(); ++i)
    table[cp1250_detail::kHighHalf[i]] = static_cast<uint8_t>(0x80 + i);
  return table;
}
inline constexpr std::array<uint8_t, kCp1250TableSize> kCp1250Of = MakeCp1250Table();
static_assert(kCp1250TableSize > 0x7FF);

}  // namespace unicode_detail

/// The UTF-8 character at the start of `n` bytes (n > 0). Bytes that are no character
/// are taken as a maximal sequence: a lead byte and the continuation bytes that it
/// allows up to the first that does not fit, or one byte that leads nothing. A byte
/// below 0x80 is therefore never taken into another character's replacement.
inline DecodedCharacter DecodeUtf8(const unsigned char* bytes, std::size_t n) {
  const unicode_detail::Utf8Lead lead = unicode_detail::kLeadOf[bytes[0]];
  if (lead.length == 0) return {Decoding::kIllFormed, 1, 0};
  if (lead.length == 1) return {Decoding::kCharacter, 1, bytes[0]};
  // The lead's own bits: 5, 4 or 3 of them.
  char32_t codePoint = bytes[0] & (0x7Fu >> lead.length);
  for (uint8_t k = 1; k < lead.length; ++k) {
    if (k >= n) return {Decoding::kTruncated, k, 0};
    const unsigned char next = bytes[k];
    const unsigned char low = k == 1 ? lead.secondLow : 0x80;
    const unsigned char high = k == 1 ? lead.secondHigh : 0xBF;
    if (next < low || next > high) return {Decoding::kIllFormed, k, 0};
    codePoint = (codePoint << 6) | (next & 0x3Fu);
  }
  return {Decoding::kCharacter, lead.length, codePoint};
}

/// The UTF-16 character at the start of `n` bytes, little- or big-endian. A surrogate
/// without its partner is ill-formed (its two bytes); one byte alone is truncated.
inline DecodedCharacter DecodeUtf16(const unsigned char* bytes, std::size_t n, bool bigEndian) {
  const auto unitAt = [&](std::size_t i) -> char32_t {
    return bigEndian ? (char32_t{bytes[i]} << 8) | bytes[i + 1] : (char32_t{bytes[i + 1]} << 8) | bytes[i];
  };
  if (n < 2) return {Decoding::kTruncated, static_cast<uint8_t>(n), 0};
  const char32_t unit = unitAt(0);
  if (unit < 0xD800 || unit > 0xDFFF) return {Decoding::kCharacter, 2, unit};
  if (unit > 0xDBFF) return {Decoding::kIllFormed, 2, 0};  // a low surrogate first
  if (n < 4) return {Decoding::kTruncated, 2, 0};
  const char32_t low = unitAt(2);
  if (low < 0xDC00 || low > 0xDFFF) return {Decoding::kIllFormed, 2, 0};
  return {Decoding::kCharacter, 4, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)};
}

/// The Windows-1250 byte of a code point, or -1 when the code page lacks it. The five
/// bytes the code page leaves undefined come from U+0081, U+0083, U+0088, U+0090 and
/// U+0098, as they decode.
inline int Cp1250ByteOf(char32_t codePoint) {
  if (codePoint < 0x80) return static_cast<int>(codePoint);
  if (codePoint >= unicode_detail::kCp1250TableSize) return -1;
  const uint8_t byte = unicode_detail::kCp1250Of[codePoint];
  return byte == 0 ? -1 : byte;
}

}  // namespace talvorix
