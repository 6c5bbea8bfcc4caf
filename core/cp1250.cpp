#include "core/cp1250.h"

#include <array>
#include <cstdint>

namespace talvorix {

namespace {

/// The UTF-8 form of each byte from 0x80 on: up to three bytes and their count.
struct Utf8Form {
  std::array<char, 3> bytes{};
  std::uint8_t size = 0;
};

constexpr std::array<Utf8Form, 128> kHighHalfUtf8 = [] {
  std::array<Utf8Form, 128> forms{};
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const char32_t cp = cp1250_detail::kHighHalf[i];
    Utf8Form& form = forms[i];
    if (cp < 0x800) {
      form.bytes = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0};
      form.size = 2;
    } else {
      form.bytes = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))};
      form.size = 3;
    }
  }
  return forms;
}();

}  // namespace

void AppendUtf8(std::string_view cp1250, std::string* out) {
  std::size_t i = 0;
  while (i < cp1250.size()) {
    // A run of ASCII goes over as it is, in one piece.
    std::size_t run = i;
    while (run < cp1250.size() && static_cast<unsigned char>(cp1250[run]) < 0x80) ++run;
    out->append(cp1250.data() + i, run - i);
    if (run == cp1250.size()) break;
    const Utf8Form& form = kHighHalfUtf8[static_cast<unsigned char>(cp1250[run]) - 0x80];
    out->append(form.bytes.data(), form.size);
    i = run + 1;
  }
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
  std::string out;
  out.reserve(cp1250.size() + cp1250.size() / 4);
  AppendUtf8(cp1250, &out);
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
