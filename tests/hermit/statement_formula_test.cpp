#include "hermit/statement_formula.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace talvorix {
namespace {

constexpr int32_t U = kUndecided;
constexpr int32_t I = kTruthful;
constexpr int32_t H = kLiar;

Statement Make(int32_t kind, int32_t speaker1, int32_t speaker2 = 0, int32_t heardLies = 0) {
  return Statement{kind, speaker1, speaker2, kNoSpeaker, heardLies};
}

TEST(StatementFormula, RowsInOrder) {
  struct Case {
    std::string name;
    TruthSet got;
    std::vector<TruthRow> want;
  };
  const Case kCases[] = {
      {"same", Same(0, 1), {{I, I, U, U, U}, {H, H, U, U, U}}},
      {"differ", Differ(0, 1), {{I, H, U, U, U}, {H, I, U, U, U}}},
      {"tells truth", StatementFormula(Make(kTellsTruth, 3), 1), {{U, I, U, I, U}, {U, H, U, H, U}}},
      {"tells truth about himself", StatementFormula(Make(kTellsTruth, 2), 2),
       {{U, U, I, U, U}, {U, U, H, U, U}}},
      {"lies", StatementFormula(Make(kLies, 3), 1), {{U, I, U, H, U}, {U, H, U, I, U}}},
      {"lies about himself", StatementFormula(Make(kLies, 2), 2), {}},
      {"truth teller among", StatementFormula(Make(kTruthTellerAmong, 1, 2), 0),
       {{I, I, U, U, U}, {I, U, I, U, U}, {H, H, H, U, U}}},
      {"liar among", StatementFormula(Make(kLiarAmong, 1, 2), 0),
       {{I, H, U, U, U}, {I, U, H, U, U}, {H, I, I, U, U}}},
      {"always agree", StatementFormula(Make(kAlwaysAgree, 2, 3), 4),
       {{U, U, I, I, I}, {U, U, H, H, I}, {U, U, I, H, H}, {U, U, H, I, H}}},
      {"always opposite", StatementFormula(Make(kAlwaysOpposite, 2, 3), 4),
       {{U, U, I, I, H}, {U, U, H, H, H}, {U, U, I, H, I}, {U, U, H, I, I}}},
      // Heard truth: the logic of agreeing, with the liar's rows first.
      {"heard truth", StatementFormula(Make(kHeard, 2, 3, 0), 4),
       {{U, U, I, H, H}, {U, U, H, I, H}, {U, U, I, I, I}, {U, U, H, H, I}}},
      {"heard lies", StatementFormula(Make(kHeard, 2, 3, 1), 4),
       {{U, U, I, H, I}, {U, U, H, I, I}, {U, U, I, I, H}, {U, U, H, H, H}}},
      {"unknown kind", StatementFormula(Make(7, 1, 2), 0), {}},
      {"speaker out of range", StatementFormula(Make(kTellsTruth, 5), 0), {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, c.got.rows);
  }
}

TEST(StatementFormula, HintIsAPartOfTheFormula) {
  Statement truthful = Make(kTellsTruth, 3);
  truthful.hint = 3;  // speaker 3 is truthful
  EXPECT_EQ((std::vector<TruthRow>{{U, I, U, I, U}}), StatementFormula(truthful, 1).rows);
  Statement liar = Make(kTellsTruth, 3);
  liar.hint = 7;  // speaker 2 is a liar
  EXPECT_EQ((std::vector<TruthRow>{{U, I, H, I, U}, {U, H, H, H, U}}), StatementFormula(liar, 1).rows);
}

std::array<Statement, 5> Chain(int32_t kind04) {
  std::array<Statement, 5> statements{};
  for (int32_t j = 0; j < 4; ++j) statements[static_cast<std::size_t>(j)] = Make(kind04, j + 1);
  statements[4] = Make(kTellsTruth, 0);
  return statements;
}

TEST(PuzzleFormula, ConsistentAssignmentsInOrder) {
  std::array<Statement, 5> selfLies = Chain(kTellsTruth);
  selfLies[2] = Make(kLies, 2);
  std::array<Statement, 5> hinted = Chain(kTellsTruth);
  hinted[4].hint = 6;  // speaker 1 is a liar
  std::array<Statement, 5> everyoneSelf{};
  for (int32_t j = 0; j < 5; ++j) everyoneSelf[static_cast<std::size_t>(j)] = Make(kTellsTruth, j);
  struct Case {
    std::string name;
    std::array<Statement, 5> statements;
    std::vector<TruthRow> want;
  };
  const Case kCases[] = {
      {"truth chain", Chain(kTellsTruth), {{I, I, I, I, I}, {H, H, H, H, H}}},
      {"lie chain", Chain(kLies), {{I, H, I, H, I}, {H, I, H, I, H}}},
      {"hint removes an assignment", hinted, {{H, H, H, H, H}}},
      {"a speaker who says he lies", selfLies, {}},
      {"among, vouching and lies",
       {Make(kTruthTellerAmong, 1, 2), Make(kTellsTruth, 0), Make(kTellsTruth, 0), Make(kLies, 4),
        Make(kLiarAmong, 3, 0)},
       {{I, I, I, I, H}, {I, I, I, H, I}, {H, H, H, H, I}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, PuzzleFormula(c.statements).rows);
  }

  // Speakers who each vouch only for themselves admit all 32 assignments, in the
  // order of counting in binary with speaker 0 the highest digit and "I" as 0.
  const TruthSet all = PuzzleFormula(everyoneSelf);
  ASSERT_EQ(32, all.count());
  for (std::size_t k = 0; k < 32; ++k) {
    SCOPED_TRACE(k);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(((k >> (4 - i)) & 1) != 0 ? H : I, all.rows[k][i]);
  }
}

}  // namespace
}  // namespace talvorix
