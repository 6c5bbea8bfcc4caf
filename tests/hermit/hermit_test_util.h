#pragma once
// Shared pieces of the hermit tests: the dwarves of the sample puzzles.

#include <string>

#include "hermit/statement_reader.h"
#include "tests/core/win1250.h"

namespace talvorix::hermit_test {

/// The full names of the five speakers of the sample puzzles.
inline SpeakerNames Dwarves() {
  const std::string kind = test::Win1250(" törpe");
  return {"Bori" + kind, "Dzsoki" + kind, "Fili" + kind, "Kili" + kind, "Tapsi" + kind};
}

}  // namespace talvorix::hermit_test
