#pragma once
// A Hall riddle cut out of its gathered lines, recognised and solved.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "hall/riddle_reader.h"
#include "core/puzzle_result.h"

namespace talvorix {

/// The number sequence answer when the list was read but no rule fits it.
inline constexpr int32_t kNoSolution = -99999;

class HallPuzzle {
 public:
  /// Borrows the gathered text, which ends at its first NUL if it holds one; the text
  /// must outlive the puzzle.
  explicit HallPuzzle(std::string_view gathered);
  virtual ~HallPuzzle() = default;

  /// Cuts the riddle, runs the matching solvers, fills `result`; false when a recognised kind is unreadable.
  bool Solve();

  // The solvers read the riddle (the whole text until Solve has cut it), leave their
  // answer in `number` and return true, or return false when they cannot read it.
  // None of them writes `result`.

  /// Straight-line distance after two legs of a walk with a turn between them.
  bool SolveCompassPuzzle();
  /// Unit price of the goods that the question names, from two purchases.
  bool SolvePurchasePuzzle();
  /// Increase for a new pair of rations, by the linear rule through three observations.
  bool SolveRationPuzzle();
  /// Rule of three over a count and a number of weeks.
  bool SolveProportionPuzzle();
  /// Positive root x of b·x·x + a·x = c.
  bool SolveLitterPuzzle();
  /// The number after the list that follows "számok:"; kNoSolution when no rule fits.
  bool SolveSequencePuzzle();

  PuzzleResult result;
  int32_t number = 0;
  /// The kind whose solver read the riddle last (the one that failed, when one did);
  /// kUnknown when no kind's keywords match.
  PuzzleKind kind = PuzzleKind::kUnknown;
  /// Whether the answer is a number rather than "?".
  bool answered = false;

 private:
  /// The text (after the cut: up to the riddle's closing mark) and the riddle's start in it.
  RiddleText Text() const { return {text_, start_}; }
  /// Writes the answer and title fields.
  void SetOutcome(std::string_view answer, std::string_view title);
  /// Writes `number` as the answer with the solved title.
  void ShowNumber();
  /// Ends the text at the riddle's closing mark and moves the riddle's start past the
  /// opening one; nullopt (text untouched) when either mark is missing.
  std::optional<std::string_view> CutRiddle();
  /// Runs the solver of every kind the riddle matches; false when one cannot read it.
  bool SolveMatchingKinds(std::string_view riddle);
  /// The number sequence, for a riddle that mentions one.
  bool SolveSequenceKind();

  std::string_view text_;
  std::size_t start_ = 0;
};

}  // namespace talvorix
