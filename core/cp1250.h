#pragma once
// Windows-1250 text: compile-time literals and the one decoding table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talvorix {

/// A Windows-1250 byte string made at compile time from a UTF-8 literal.
template <std::size_t N>
struct Cp1250Text {
  std::array<char, N> bytes{};
  std::size_t size = 0;

  constexpr std::string_view view() const { return {bytes.data(), size}; }
  constexpr operator std::string_view() const { return view(); }  // NOLINT: implicit by design
};

namespace cp1250_detail {

/// Unicode code points of the bytes 0x80 to 0xFF. The five bytes the code page
/// leaves undefined stand for the C1 controls of the same number.
inline constexpr std::array<char32_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

/// The Windows-1250 byte of a code point, or -1 when the code page lacks it.
constexpr int EncodeCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHighHalf.size(); ++i)
    if (kHighHalf[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

/// Converts n UTF-8 units into Windows-1250 bytes at `out` (room for n bytes).
/// Returns the number of bytes written, or -1 for malformed UTF-8 or a character
/// outside the code page.
template <typename Unit>
constexpr long EncodeUtf8(const Unit* utf8, std::size_t n, char* out) {
  std::size_t i = 0;
  long written = 0;
  while (i < n) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    char32_t cp = 0;
    std::size_t extra = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      cp = lead & 0x1F;
      extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
      cp = lead & 0x0F;
      extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
      cp = lead & 0x07;
      extra = 3;
    } else {
      return -1;
    }
    if (n - i <= extra) return -1;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(utf8[i + k]);
      if ((cont & 0xC0) != 0x80) return -1;
      cp = (cp << 6) | (cont & 0x3F);
    }
    i += extra + 1;
    const int byte = EncodeCodePoint(cp);
    if (byte < 0) return -1;
    out[written++] = static_cast<char>(static_cast<unsigned char>(byte));
  }
  return written;
}

// Not constexpr: reaching it stops constant evaluation, so a bad literal is a
// compile error.
void LiteralNotInCp1250();

}  // namespace cp1250_detail

/// Turns a UTF-8 literal into Windows-1250 bytes; malformed UTF-8 or a character
/// outside the code page does not compile.
template <std::size_t N>
consteval Cp1250Text<N> Cp1250(const char8_t (&utf8)[N]) {
  Cp1250Text<N> out;
  const long written = cp1250_detail::EncodeUtf8(utf8, N - 1, out.bytes.data());
  if (written < 0) cp1250_detail::LiteralNotInCp1250();
  out.size = static_cast<std::size_t>(written);
  return out;
}

/// A UTF-8 string literal carried as a template argument.
template <std::size_t N>
struct Utf8Literal {
  char8_t chars[N]{};
  consteval Utf8Literal(const char8_t (&utf8)[N]) {  // NOLINT: implicit by design
    for (std::size_t i = 0; i < N; ++i) chars[i] = utf8[i];
  }
};

/// The Windows-1250 bytes of a literal, in static storage.
template <Utf8Literal kUtf8>
inline constexpr auto kCp1250Literal = Cp1250(kUtf8.chars);

namespace literals {

/// u8"..."_cp1250 is a std::string_view of the literal's Windows-1250 bytes, with
/// static storage, so it can stand in tables of views.
template <Utf8Literal kUtf8>
constexpr std::string_view operator""_cp1250() {
  return kCp1250Literal<kUtf8>.view();
}

}  // namespace literals

/// Decodes Windows-1250 bytes to UTF-8; every byte maps to one code point.
std::string Cp1250ToUtf8(std::string_view cp1250);
/// The same, appended to `out`.
void AppendUtf8(std::string_view cp1250, std::string* out);

/// Encodes UTF-8 text as Windows-1250; nullopt when it is malformed or holds a
/// character that the code page lacks.
std::optional<std::string> Utf8ToCp1250(std::string_view utf8);

}  // namespace talvorix
