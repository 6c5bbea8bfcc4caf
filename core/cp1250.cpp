#include "core/cp1250.h"

namespace talvorix {

std::string Cp1250ToUtf8(std::string_view cp1250) {
  std::string out;
  out.reserve(cp1250.size() + cp1250.size() / 4);
  for (const char c : cp1250) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
      continue;
    }
    const char32_t cp = cp1250_detail::kHighHalf[byte - 0x80];
    if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::optional<std::string> Utf8ToCp1250(std::string_view utf8) {
  std::string out(utf8.size(), '\0');
  const long written = cp1250_detail::EncodeUtf8(utf8.data(), utf8.size(), out.data());
  if (written < 0) return std::nullopt;
  out.resize(static_cast<std::size_t>(written));
  return out;
}

}  // namespace talvorix
