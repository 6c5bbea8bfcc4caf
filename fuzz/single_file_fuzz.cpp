// Reading a single-file save (MIME), over any bytes. Besides not crashing and never
// reading past the bytes: the decoded page is never larger than the input, neither is
// the page in the game's form, and both are the same whatever the sizes of the reads of
// the file and of the page.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "scanner/byte_source.h"
#include "scanner/single_file_save.h"

using namespace talvorix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::View(data, size);
  MemoryBytes whole(input);
  const std::optional<std::string> decoded = DecodeSingleFilePage(whole);
  MemoryBytes inPieces(input, 1 + size % 7);
  fuzz::Require(DecodeSingleFilePage(inPieces, 1 + size % 5) == decoded);
  if (decoded) fuzz::Require(decoded->size() <= input.size());

  const std::optional<std::string> page = NormaliseSingleFileSave(whole);
  fuzz::Require(page.has_value() == decoded.has_value());
  MemoryBytes pageInPieces(input, 1 + size % 3);
  fuzz::Require(NormaliseSingleFileSave(pageInPieces, 1 + size % 11) == page);
  if (page) fuzz::Require(page->size() <= decoded->size());
  return 0;
}
