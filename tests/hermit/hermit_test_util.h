#pragma once
// Shared pieces of the hermit tests: the dwarves of the sample puzzles.

#include <string>
#include <string_view>

#include "hermit/statement_reader.h"
#include "core/cp1250.h"

namespace talvorix::hermit_test {

/// A Windows-1250 literal as an owned string, for test tables.
inline std::string W(std::string_view cp1250) { return std::string(cp1250); }

/// The full names of the five speakers of the sample puzzles.
inline SpeakerNames Dwarves() {
  const std::string kind = W(Cp1250(u8" törpe"));
  return {"Bori" + kind, "Dzsoki" + kind, "Fili" + kind, "Kili" + kind, "Tapsi" + kind};
}

}  // namespace talvorix::hermit_test
