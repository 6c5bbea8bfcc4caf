#include "hermit/statement_formula.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace talvorix {
namespace {

using enum StatementKind;
constexpr Truth U = Truth::kUndecided, I = Truth::kTruthful, H = Truth::kLiar;

Statement Make(StatementKind kind, int32_t speaker1, int32_t speaker2 = 0, Hint hint = {}) {
  return Statement{kind, speaker1, speaker2, hint, false};
}

TEST(StatementFormula, RowsInOrder) {
  Statement heardLies = Make(kHeard, 2, 3);
  heardLies.heardLies = true;
  struct Case {
    std::string name;
    TruthSet got;
    std::vector<TruthRow> want;
  };
  const Case kCases[] = {
      {"lies about himself", StatementFormula(Make(kLies, 2), 2), {}},
      {"truth teller among",
       StatementFormula(Make(kTruthTellerAmong, 1, 2), 0),
       {{I, I, U, U, U}, {I, U, I, U, U}, {H, H, H, U, U}}},
      {"always opposite",
       StatementFormula(Make(kAlwaysOpposite, 2, 3), 4),
       {{U, U, I, I, H}, {U, U, H, H, H}, {U, U, I, H, I}, {U, U, H, I, I}}},
      // Heard truth: the logic of agreeing with the liar's rows first; heard lies the reverse.
      {"heard truth",
       StatementFormula(Make(kHeard, 2, 3), 4),
       {{U, U, I, H, H}, {U, U, H, I, H}, {U, U, I, I, I}, {U, U, H, H, I}}},
      {"heard lies",
       StatementFormula(heardLies, 4),
       {{U, U, I, H, I}, {U, U, H, I, I}, {U, U, I, I, H}, {U, U, H, H, H}}},
      {"hint: speaker 2 lies",
       StatementFormula(Make(kTellsTruth, 3, 0, {2, H}), 1),
       {{U, I, H, I, U}, {U, H, H, H, U}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, c.got.rows);
  }
}

std::array<Statement, 5> Chain(StatementKind kind, Hint lastHint = {}) {
  return {Make(kind, 1), Make(kind, 2), Make(kind, 3), Make(kind, 4),
          Make(kTellsTruth, 0, 0, lastHint)};
}

TEST(PuzzleFormula, ConsistentAssignmentsInOrder) {
  struct Case {
    std::string name;
    std::array<Statement, 5> statements;
    std::vector<TruthRow> want;
  };
  const Case kCases[] = {
      {"truth chain", Chain(kTellsTruth), {{I, I, I, I, I}, {H, H, H, H, H}}},
      {"lie chain", Chain(kLies), {{I, H, I, H, I}, {H, I, H, I, H}}},
      {"hint: speaker 1 lies", Chain(kTellsTruth, {1, H}), {{H, H, H, H, H}}},
      {"three ways",
       {Make(kTruthTellerAmong, 1, 2), Make(kTellsTruth, 0), Make(kTellsTruth, 0), Make(kLies, 4),
        Make(kLiarAmong, 3, 0)},
       {{I, I, I, I, H}, {I, I, I, H, I}, {H, H, H, H, I}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, PuzzleFormula(c.statements).rows);
  }
  // Each speaker vouching for himself admits all 32 assignments, counting in binary.
  const TruthSet all =
      PuzzleFormula({Make(kTellsTruth, 0), Make(kTellsTruth, 1), Make(kTellsTruth, 2),
                     Make(kTellsTruth, 3), Make(kTellsTruth, 4)});
  ASSERT_EQ(32, all.count());
  EXPECT_EQ((TruthRow{I, I, I, H, I}), all.rows[2]);
  EXPECT_EQ((TruthRow{H, I, I, I, H}), all.rows[17]);
}

}  // namespace
}  // namespace talvorix
