#include <cstddef>
#include <string>

#include "hermit/number_clue.h"
#include "core/text.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

/// left compared with right by `relation`; a relation outside the list always passes.
bool Compare(int32_t left, Relation relation, int32_t right) {
  switch (relation) {
    case Relation::kLess:
      return left < right;
    case Relation::kGreater:
      return left > right;
    case Relation::kNotLess:
      return left >= right;
    case Relation::kNotGreater:
      return left <= right;
  }
  return true;
}

/// The relation that holds exactly where `relation` fails; one outside the list stays.
constexpr Relation Negation(Relation relation) {
  switch (relation) {
    case Relation::kLess:
      return Relation::kNotLess;
    case Relation::kGreater:
      return Relation::kNotGreater;
    case Relation::kNotLess:
      return Relation::kLess;
    case Relation::kNotGreater:
      return Relation::kGreater;
  }
  return relation;
}

/// What negating a clue of a kind does: the kind it becomes, and whether its
/// relation turns over (the comparing kinds keep their kind).
struct KindNegation {
  ClueKind kind;
  bool turnsRelation;
};

constexpr KindNegation NegationOf(ClueKind kind) {
  switch (kind) {
    case ClueKind::kDigitOrder:
    case ClueKind::kAnswerCompare:
    case ClueKind::kDigitDifference:
    case ClueKind::kDigitSum:
      return {kind, true};
    case ClueKind::kFirstDigitIn:
      return {ClueKind::kFirstDigitNotIn, false};
    case ClueKind::kSecondDigitIn:
      return {ClueKind::kSecondDigitNotIn, false};
    case ClueKind::kDivisibleBy:
      return {ClueKind::kNotDivisibleBy, false};
    case ClueKind::kNotDivisibleBy:
      return {ClueKind::kDivisibleBy, false};
    case ClueKind::kFirstDigitNotIn:
    case ClueKind::kSecondDigitNotIn:
      break;  // not turned back
  }
  return {kind, false};
}

/// Whether the decimal text of digit occurs in the decimal text of the packed list.
bool InDigitList(int32_t digit, int32_t packed) {
  return Contains(std::to_string(packed), std::to_string(digit));
}

/// |t - u|, wrapping like the rest of the clue arithmetic.
int32_t DigitDistance(int32_t t, int32_t u) {
  const int32_t difference = WrapSub(t, u);
  return difference < 0 ? WrapNeg(difference) : difference;
}

/// Whether n passes all the clues.
bool PassesAll(const ClueSlots& clues, int32_t n) {
  for (const NumberClue& clue : clues)
    if (!TestNumberClue(clue, n)) return false;
  return true;
}

}  // namespace

bool TestNumberClue(const NumberClue& clue, int32_t n) {
  const int32_t t = WrapDiv(n, 10);
  const int32_t u = WrapMod(n, 10);
  switch (clue.kind) {
    case ClueKind::kDigitOrder:
      return Compare(t, clue.relation, u);
    case ClueKind::kFirstDigitIn:
      return InDigitList(t, clue.value);
    case ClueKind::kSecondDigitIn:
      return InDigitList(u, clue.value);
    case ClueKind::kAnswerCompare:
      return Compare(n, clue.relation, clue.value);
    case ClueKind::kDigitDifference:
      return Compare(DigitDistance(t, u), clue.relation, clue.value);
    case ClueKind::kDigitSum:
      return Compare(WrapAdd(t, u), clue.relation, clue.value);
    case ClueKind::kDivisibleBy:
      return clue.value != 0 && WrapMod(n, clue.value) == 0;
    case ClueKind::kNotDivisibleBy:
      return clue.value == 0 || WrapMod(n, clue.value) != 0;
    case ClueKind::kFirstDigitNotIn:
      return !InDigitList(t, clue.value);
    case ClueKind::kSecondDigitNotIn:
      return !InDigitList(u, clue.value);
  }
  return true;
}

void NegateNumberClue(NumberClue* clue) {
  const KindNegation negation = NegationOf(clue->kind);
  clue->kind = negation.kind;
  if (negation.turnsRelation) clue->relation = Negation(clue->relation);
}

int32_t SolveNumberClues(const ClueSlots& clues, int32_t wantedOrdinal) {
  int32_t passed = 0;
  for (int32_t n = kFirstCandidate; n <= kLastCandidate; ++n) {
    const bool passes = PassesAll(clues, n);
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
