#pragma once
// The hermit's two-digit-number puzzle: speakers, clues, statements and answers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hermit/number_clue.h"
#include "hermit/statement_reader.h"
#include "hermit/truth_set.h"
#include "core/puzzle_result.h"

namespace talvorix {

class HermitPuzzle {
 public:
  /// Borrows the gathered text, which ends at its first NUL if it holds one; the text
  /// must outlive the puzzle.
  explicit HermitPuzzle(std::string_view text);
  virtual ~HermitPuzzle() = default;

  /// Reads and solves the puzzle; true when `result` holds a record to keep.
  bool Solve();

  /// Speaker i's full name ("name kindword") as Solve read it.
  const std::string& name(std::size_t i) const { return names_.at(i); }
  /// Speaker j's statement as Solve read it.
  const Statement& statement(std::size_t j) const { return statements_.at(j); }
  /// Which passing candidate, in increasing order, is the answer; 1 is the first.
  int32_t wantedOrdinal() const { return wantedOrdinal_; }
  /// The consistent truth assignments of a truth-teller puzzle, in table order.
  const TruthSet& solutions() const { return solutions_; }

  PuzzleResult result;
  /// kHermit for the simple kind, kTruthTeller for the truth-teller kind, once Solve
  /// has told them apart (kUnknown before, and when the speakers cannot be read).
  PuzzleKind kind = PuzzleKind::kUnknown;

 private:
  /// Replaces result.text by the message; always false.
  bool Fail(std::string_view message);
  /// Concatenates the parts into result.text; always false.
  bool Fail(std::string_view first, std::string_view second);

  /// The steps of Solve, in order; each false has already called Fail.
  bool ReadHeader(std::string_view text, std::string_view* kindWord, std::size_t* pos);
  bool ReadNameList(std::string_view text, std::string_view kindWord, std::size_t* pos);
  bool ReadWantedOrdinal(std::string_view text, std::size_t* pos);
  bool ReadSpeakers(std::string_view text, std::size_t* pos, int32_t* unrecognised);
  /// Reads speaker j's clue, named at or after pos; *clueEnd is its full stop.
  bool ReadSpeakerClue(std::string_view text, std::size_t pos, int32_t j, std::size_t* clueEnd);
  /// Reads speaker j's statement from `begin` and the hint after it; one that is not
  /// recognised adds to *unrecognised.
  bool ReadSpeakerStatement(std::string_view text, std::size_t begin, int32_t j,
                            int32_t* unrecognised);
  bool ReadHermitClue(std::string_view text, std::size_t pos, std::string_view* clue);
  bool SolveTruthTellers(std::string_view hermitClue);

  /// Reads speaker j's statement; a sentence with a phrase but a missing speaker
  /// leaves its message in result.text.
  bool ReadStatementOf(std::string_view sentence, int32_t j);
  /// Sets speaker j's hint, which his statement has just cleared, from the sentence
  /// after the statement.
  void ReadHint(std::string_view sentence, int32_t j);

  SpeakerNames names_;
  std::string_view text_;
  std::array<Statement, kSpeakerCount> statements_{};
  ClueSlots clues_{};
  ClueSlots savedClues_{};
  TruthSet solutions_;
  int32_t wantedOrdinal_ = 1;
};

}  // namespace talvorix
