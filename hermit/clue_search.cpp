#include <cstddef>
#include <string>

#include "hermit/number_clue.h"
#include "core/text.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

/// left compared with right by `relation`; an unknown relation always passes.
bool Compare(int32_t left, int32_t relation, int32_t right) {
  switch (relation) {
    case kLess:
      return left < right;
    case kGreater:
      return left > right;
    case kNotLess:
      return left >= right;
    case kNotGreater:
      return left <= right;
    default:
      return true;
  }
}

/// Whether the decimal text of digit occurs in the decimal text of the packed list.
bool InDigitList(int32_t digit, int32_t packed) {
  return Contains(std::to_string(packed), std::to_string(digit));
}

}  // namespace

bool TestNumberClue(const NumberClue& clue, int32_t n) {
  const int32_t t = WrapDiv(n, 10);
  const int32_t u = WrapMod(n, 10);
  switch (clue.kind) {
    case kDigitOrder:
      return Compare(t, clue.relation, u);
    case kFirstDigitIn:
      return InDigitList(t, clue.value);
    case kSecondDigitIn:
      return InDigitList(u, clue.value);
    case kAnswerCompare:
      return Compare(n, clue.relation, clue.value);
    case kDigitDifference: {
      const int32_t difference = WrapSub(t, u);
      return Compare(difference < 0 ? WrapNeg(difference) : difference, clue.relation, clue.value);
    }
    case kDigitSum:
      return Compare(WrapAdd(t, u), clue.relation, clue.value);
    case kDivisibleBy:
      return clue.value != 0 && WrapMod(n, clue.value) == 0;
    case kNotDivisibleBy:
      return clue.value == 0 || WrapMod(n, clue.value) != 0;
    case kFirstDigitNotIn:
      return !InDigitList(t, clue.value);
    case kSecondDigitNotIn:
      return !InDigitList(u, clue.value);
    default:
      return true;
  }
}

void NegateNumberClue(NumberClue* clue) {
  switch (clue->kind) {
    case kDigitOrder:
    case kAnswerCompare:
    case kDigitDifference:
    case kDigitSum:
      // Less and NotLess swap, Greater and NotGreater swap.
      clue->relation = WrapMod(WrapAdd(clue->relation, 2), 4);
      break;
    case kFirstDigitIn:
    case kSecondDigitIn:
      clue->kind += 10;
      break;
    case kDivisibleBy:
    case kNotDivisibleBy:
      clue->kind = 13 - clue->kind;
      break;
    default:
      break;  // the "not in" kinds are not turned back
  }
}

int32_t SolveNumberClues(const ClueSlots& clues, int32_t wantedOrdinal) {
  int32_t passed = 0;
  for (int32_t n = kFirstCandidate; n <= kLastCandidate; ++n) {
    bool passes = true;
    for (const NumberClue& clue : clues) {
      if (!TestNumberClue(clue, n)) {
        passes = false;
        break;
      }
    }
    if (passes) ++passed;
    if (passed == wantedOrdinal) return passes ? n : kNoNumber;
  }
  return kNoNumber;
}

int32_t SolveNumberCluesFor(ClueSlots* clues, const TruthRow& row, int32_t wantedOrdinal) {
  for (std::size_t i = 0; i < row.size(); ++i)
    if (row[i] != Truth::kTruthful) NegateNumberClue(&(*clues)[i]);  // undecided counts as a liar
  return SolveNumberClues(*clues, wantedOrdinal);
}

}  // namespace talvorix
