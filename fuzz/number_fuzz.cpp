// Number words and number clues over arbitrary sentences.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "hermit/number_clue.h"
#include "hermit/number_words.h"

using namespace talvorix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // Copied so that the sentence ends exactly where the input does.
  fuzz::NulTerminated copy(data, size);
  const std::string_view sentence(copy.bytes.get(), copy.size - 1);
  ReadNumber(sentence);
  NumberClue clue;
  if (ParseNumberClue(sentence, &clue)) {
    for (int pass = 0; pass < 2; ++pass) {
      for (int32_t n = kFirstCandidate; n <= kLastCandidate; ++n) TestNumberClue(clue, n);
      NegateNumberClue(&clue);
    }
  }
  return 0;
}
