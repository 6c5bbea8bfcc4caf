#pragma once
// The result of a truth-teller puzzle: one column per assignment, one number each.

#include <cstdint>
#include <vector>

#include "hermit/statement_reader.h"
#include "hermit/truth_set.h"
#include "core/puzzle_result.h"

namespace talvorix {

/// Writes result->text and result->answer for the assignments in `solutions` and
/// the number found for each (`numbers[k]` for row k, negative for none). The text
/// has one line per speaker: the full name, then "  :  " or "  ,  " and "I" or "H"
/// per row; with several rows "Nem egyértelmű megoldás!" follows. An answer too
/// long for its field is shown cut, ending in "…", and whole on a last text line
/// "Megoldás : ...". Fields are cut to fit.
void WriteTruthTable(const SpeakerNames& names, const TruthSet& solutions,
                     const std::vector<int32_t>& numbers, PuzzleResult* result);

}  // namespace talvorix
