// Reading a saved page in the game's form, over any bytes. Besides not crashing: the
// page never grows, it is the same whatever the sizes of the reads, a report that
// cannot be Unicode and holds "<BR>" outside comments, or no other tag spelling, is read
// exactly as it is, and reading such a report a second time changes nothing. Whether a
// report can be Unicode (a byte order mark, a zero byte early on, any well-formed
// multi-byte UTF-8 character) and which tags it holds are decided here by plain rules of
// their own, not by the engine's detector.
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

/// Somewhere a well-formed UTF-8 character of two or more bytes (no overlong form, no
/// surrogate, nothing past U+10FFFF): without one, a report is never UTF-8.
bool HoldsMultiByteUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
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
      continue;
    }
    if (bytes.size() - i <= more) continue;
    bool continued = true;
    for (std::size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      continued = continued && (next & 0xC0) == 0x80;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0x80, 0x800, 0x10000};
    if (continued && codePoint >= smallest[more - 1] && codePoint <= 0x10FFFF &&
        (codePoint < 0xD800 || codePoint > 0xDFFF))
      return true;
  }
  return false;
}

/// A zero byte among the first 4 KB: UTF-16 without a byte order mark is not ruled out.
bool HoldsZeroEarly(std::string_view bytes) { return bytes.substr(0, 4096).find('\0') != std::string_view::npos; }

/// "<BR>" outside HTML comments ("<!--" to the next "-->").
bool HoldsGameSpelling(std::string_view bytes) {
  for (std::size_t from = 0;;) {
    const std::size_t comment = bytes.find("<!--", from);
    const std::size_t tag = bytes.find("<BR>", from);
    if (tag < comment) return true;
    if (comment == std::string_view::npos) return false;
    const std::size_t end = bytes.find("-->", comment + 4);
    if (end == std::string_view::npos) return false;
    from = end + 3;
  }
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

  const bool unicode = StartsWithByteOrderMark(input) || HoldsZeroEarly(input) || HoldsMultiByteUtf8(input);
  if (unicode) return 0;
  if (HoldsGameSpelling(input) || !HoldsOtherTagSpelling(input)) fuzz::Require(page == input);
  fuzz::Require(NormaliseSavedPage(page) == page);
  return 0;
}
