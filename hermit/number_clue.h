#pragma once
// Clues about the two-digit answer: reading, testing, negating and the search.

#include <array>
#include <cstdint>
#include <string_view>

#include "hermit/number_words.h"
#include "hermit/truth_set.h"

namespace talvorix {

/// Clue kinds; n is the candidate, t its first digit and u its second.
inline constexpr int32_t kDigitOrder = 0;         ///< t compared with u
inline constexpr int32_t kFirstDigitIn = 1;       ///< t in the digit list
inline constexpr int32_t kSecondDigitIn = 2;      ///< u in the digit list
inline constexpr int32_t kAnswerCompare = 3;      ///< n compared with value
inline constexpr int32_t kDigitDifference = 4;    ///< |t - u| compared with value
inline constexpr int32_t kDigitSum = 5;           ///< t + u compared with value
inline constexpr int32_t kDivisibleBy = 6;        ///< value divides n
inline constexpr int32_t kNotDivisibleBy = 7;     ///< value does not divide n
inline constexpr int32_t kFirstDigitNotIn = 11;   ///< t not in the digit list
inline constexpr int32_t kSecondDigitNotIn = 12;  ///< u not in the digit list

/// Relations, left side first; any other code always passes.
inline constexpr int32_t kLess = 0;
inline constexpr int32_t kGreater = 1;
inline constexpr int32_t kNotLess = 2;
inline constexpr int32_t kNotGreater = 3;

/// The candidates tried, in increasing order.
inline constexpr int32_t kFirstCandidate = 10;
inline constexpr int32_t kLastCandidate = 90;

/// One clue. A digit list packs its digits into `value`, the first listed digit in
/// the units place; a zero listed last is a trailing 0 digit.
struct NumberClue {
  int32_t kind = kDigitOrder;
  int32_t relation = kLess;
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

/// Turns the clue into its negation in place; kinds that have none stay as they are.
void NegateNumberClue(NumberClue* clue);

/// The wantedOrdinal-th candidate (1 is the first) that passes all six clues, or
/// kNoNumber when there are fewer.
int32_t SolveNumberClues(const ClueSlots& clues, int32_t wantedOrdinal);

/// Negates in place the clues of the speakers who are not kTruthful in `row` (the
/// hermit's never), then searches like SolveNumberClues.
int32_t SolveNumberCluesFor(ClueSlots* clues, const TruthRow& row, int32_t wantedOrdinal);

}  // namespace talvorix
