#pragma once
// Truth formulas of the speakers' statements and of the whole puzzle.

#include <array>
#include <cstdint>

#include "hermit/statement_reader.h"
#include "hermit/truth_set.h"

namespace talvorix {

/// Speakers x and y both truthful; then both liars.
TruthSet Same(int32_t x, int32_t y);

/// x truthful and y a liar; then x a liar and y truthful.
TruthSet Differ(int32_t x, int32_t y);

/// The formula of `statement` made by `speaker` (0-4): it holds when the speaker is
/// truthful and fails when he lies; a hint is and-ed on. Empty for an unknown kind
/// or a speaker outside 0-4.
TruthSet StatementFormula(const Statement& statement, int32_t speaker);

/// The and of the five statement formulas, speaker 0 first: every consistent
/// assignment, ordered by the rows of statement 0's formula, then statement 1's, ...
TruthSet PuzzleFormula(const std::array<Statement, kSpeakerCount>& statements);

}  // namespace talvorix
