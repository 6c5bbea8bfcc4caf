// Reading a saved page in the game's form, over any bytes. Besides not crashing: the
// page never grows, it is the same whatever the sizes of the reads, a report that is
// not Unicode and holds "<BR>" or no other tag spelling is read exactly as it is, and
// reading a report that is not Unicode a second time changes nothing. Whether a report
// is Unicode and which tags it holds are decided here by plain rules of their own, not
// by the engine's detector.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "scanner/byte_source.h"
#include "scanner/saved_page_reader.h"

using namespace talvorix;

namespace {

bool StartsWithByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

/// Well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF) that
/// holds a character of two or more bytes.
bool IsMultiByteUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t more = 0;
    char32_t codePoint = 0;
    if ((lead & 0xE0) == 0xC0) {
      more = 1;
      codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2;
      codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3;
      codePoint = lead & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i <= more) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0x80, 0x800, 0x10000};
    if (codePoint < smallest[more - 1] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    multiByte = true;
    i += more + 1;
  }
  return multiByte;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

/// A line-break tag in any spelling but "<BR>".
bool HoldsOtherTagSpelling(std::string_view bytes) {
  for (std::size_t open = bytes.find('<'); open != std::string_view::npos; open = bytes.find('<', open + 1)) {
    std::size_t i = open + 1;
    if (i + 1 >= bytes.size() || (bytes[i] != 'b' && bytes[i] != 'B') || (bytes[i + 1] != 'r' && bytes[i + 1] != 'R'))
      continue;
    i += 2;
    while (i < bytes.size() && IsBlank(bytes[i])) ++i;
    if (i < bytes.size() && bytes[i] == '/') ++i;
    while (i < bytes.size() && IsBlank(bytes[i])) ++i;
    if (i < bytes.size() && bytes[i] == '>' && bytes.substr(open, i + 1 - open) != "<BR>") return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::View(data, size);
  const std::string page = NormaliseSavedPage(input);
  fuzz::Require(page.size() <= input.size());
  MemoryBytes inPieces(input, 1 + size % 5);
  fuzz::Require(NormaliseSavedPage(inPieces, 1 + size % 3) == page);

  const bool unicode = StartsWithByteOrderMark(input) || IsMultiByteUtf8(input);
  if (unicode) return 0;
  if (input.find("<BR>") != std::string_view::npos || !HoldsOtherTagSpelling(input)) fuzz::Require(page == input);
  fuzz::Require(NormaliseSavedPage(page) == page);
  return 0;
}
