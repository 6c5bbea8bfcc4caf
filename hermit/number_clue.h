#pragma once
// Clues about the two-digit answer: reading, testing, negating and the search.

#include <array>
#include <cstdint>
#include <string_view>

#include "hermit/number_words.h"
#include "hermit/truth_set.h"

namespace talvorix {

/// What a clue says about the candidate n, with t its first digit and u its second.
/// A kind outside the list passes every candidate and has no negation.
enum class ClueKind : int32_t {
  kDigitOrder,        ///< t compared with u
  kFirstDigitIn,      ///< t in the digit list
  kSecondDigitIn,     ///< u in the digit list
  kAnswerCompare,     ///< n compared with value
  kDigitDifference,   ///< |t - u| compared with value
  kDigitSum,          ///< t + u compared with value
  kDivisibleBy,       ///< value divides n
  kNotDivisibleBy,    ///< value does not divide n
  kFirstDigitNotIn,   ///< t not in the digit list
  kSecondDigitNotIn,  ///< u not in the digit list
};

/// How the comparing kinds compare, left side first. A relation outside the list
/// always passes and has no negation.
enum class Relation : int32_t {
  kLess,
  kGreater,
  kNotLess,
  kNotGreater,
};

/// The candidates tried, in increasing order.
inline constexpr int32_t kFirstCandidate = 10;
inline constexpr int32_t kLastCandidate = 90;

/// One clue. A digit list packs its digits into `value`, the first listed digit in
/// the units place; a zero listed last is a trailing 0 digit.
struct NumberClue {
  ClueKind kind = ClueKind::kDigitOrder;
  Relation relation = Relation::kLess;  ///< used by the comparing kinds only
  int32_t value = 0;
};

/// Slots 0-4 hold the speakers' clues, slot 5 the hermit's.
using ClueSlots = std::array<NumberClue, kSpeakerCount + 1>;

/// Reads one clue sentence (without its full stop; it stops at a NUL) into *clue.
/// Every known phrase present writes its fields, later phrases over earlier ones.
/// False when no phrase is present, a number is unreadable, a digit sum or
/// difference says neither "több" nor "kevesebb", or a digit list lacks its ","
/// or its "vagy"; *clue may then be partly written.
bool ParseNumberClue(std::string_view sentence, NumberClue* clue);

/// Whether candidate n passes the clue. A divisor of 0 divides nothing.
bool TestNumberClue(const NumberClue& clue, int32_t n);

/// Turns the clue into its negation in place: a comparing kind turns over its
/// relation, the other kinds become their opposite kind. The not-in kinds are not
/// turned back: negating them leaves them as they are, like a kind outside the list.
void NegateNumberClue(NumberClue* clue);

/// The wantedOrdinal-th candidate (1 is the first) that passes all six clues, or
/// kNoNumber when there are fewer.
int32_t SolveNumberClues(const ClueSlots& clues, int32_t wantedOrdinal);

/// Negates in place the clues of the speakers who are not Truth::kTruthful in `row`
/// (the hermit's never), then searches like SolveNumberClues.
int32_t SolveNumberCluesFor(ClueSlots* clues, const TruthRow& row, int32_t wantedOrdinal);

}  // namespace talvorix
