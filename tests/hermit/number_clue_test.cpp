#include "hermit/number_clue.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "hermit_test_util.h"

namespace talvorix {
namespace {

using test::Win1250;
using enum ClueKind;
using enum Relation;

/// A kind and a relation outside the lists, which no reader writes: they pass every
/// candidate, have no negation, and mark fields that a reader leaves alone.
constexpr ClueKind kUnlistedKind = static_cast<ClueKind>(99);
constexpr Relation kUnlistedRelation = static_cast<Relation>(9);

TEST(ParseNumberClue, Read) {
  struct Case {
    std::string sentence;
    NumberClue want;  // kUnlistedRelation or value 9: left as it was
  };
  const Case kCases[] = {
      {Win1250("A szám osztható hárommal"), {kDivisibleBy, kUnlistedRelation, 3}},
      {Win1250("A megoldás nem osztható néggyel"), {kNotDivisibleBy, kUnlistedRelation, 4}},
      {Win1250("A szám osztható hattal, de kettővel nem"),
       {kDivisibleBy, kUnlistedRelation, 6}},  // the whole rest is read
      {Win1250("A válasz 45-nél kisebb"), {kAnswerCompare, kLess, 45}},
      {Win1250("A válasz 60-nál nem nagyobb, hanem kisebb"), {kAnswerCompare, kLess, 60}},
      {Win1250("A válasz 70 vagy kisebb, pontosan"),
       {kAnswerCompare, kNotGreater, 70}},  // no hyphen
      {Win1250("A megoldás két számjegyének összege 9-nél több"), {kDigitSum, kGreater, 9}},
      {Win1250("A megoldás két számjegyének különbsége hatnál pontosan kevesebb"),
       {kDigitDifference, kNotGreater, 6}},
      {Win1250("A második számjegy kisebb, mint az első"), {kDigitOrder, kGreater, 9}},
      {Win1250("A második számjegy kisebb vagy ugyanannyi, mint az első"),
       {kDigitOrder, kNotLess, 9}},
      {Win1250("Az első számjegy lehet 3, 5 vagy 7"), {kFirstDigitIn, kUnlistedRelation, 753}},
      {Win1250("A második számjegy lehet 1, 2, 3 vagy 0"),
       {kSecondDigitIn, kUnlistedRelation, 3210}},
      {Win1250("Az első számjegy lehet:  2,4 vagy 6"),
       {kFirstDigitIn, kUnlistedRelation, 642}},  // one character skipped
      // Row 3 reads 1 ("egy"), then the even-number row writes kind and value.
      {Win1250("A válasz egy páros szám, 40-nél nagyobb"), {kDivisibleBy, kGreater, 2}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    NumberClue got{kUnlistedKind, kUnlistedRelation, 9};
    ASSERT_TRUE(ParseNumberClue(c.sentence, &got));
    EXPECT_EQ(std::tie(c.want.kind, c.want.relation, c.want.value),
              std::tie(got.kind, got.relation, got.value));
  }
}

TEST(ParseNumberClue, Rejected) {
  const std::string kSentences[] = {
      Win1250("A válasz 45"),                            // no comparison word
      Win1250("A megoldás két számjegyének összege 9"),  // neither "több" nor "kevesebb"
      Win1250("A szám osztható"),                        // nothing after the anchor
      Win1250("A szám osztható -3-mal"),
      Win1250("Az első számjegy lehet 3 vagy 5"),                        // no comma
      Win1250("Az első számjegy lehet 3, 5, 7"),                         // no "vagy"
      Win1250("A szám nem osztható -2-vel, A megfejtés páratlan szám"),  // stops at once
      std::string("Ez nem segit\0", 13) + Win1250("A szám osztható 3"),
  };
  for (const std::string& sentence : kSentences) {
    SCOPED_TRACE(sentence);
    NumberClue clue;
    EXPECT_FALSE(ParseNumberClue(sentence, &clue));
  }
}

TEST(TestNumberClue, PassAndNegate) {
  struct Case {
    NumberClue clue;
    std::vector<int32_t> pass, fail;  // before negation; negated, they swap
    bool negatable;
  };
  const Case kCases[] = {
      {{kDigitOrder, kGreater, 0}, {21, 90}, {12, 33}, true},  // second digit smaller
      {{kFirstDigitIn, kLess, 753}, {30, 39, 71}, {40}, true},
      {{kSecondDigitIn, kLess, 210}, {20, 31}, {13}, true},  // a 0 listed last admits 0
      {{kFirstDigitNotIn, kLess, 753}, {40}, {35}, false},   // not turned back
      {{kAnswerCompare, kNotGreater, 45}, {45}, {46}, true},
      {{kDigitDifference, kLess, 3}, {42, 24}, {14, 41}, true},
      {{kDigitSum, kGreater, 9}, {55}, {18}, true},
      {{kDivisibleBy, kLess, INT32_MIN}, {}, {12}, true},
      {{kDivisibleBy, kLess, 0}, {}, {10, 0}, true},      // a zero divisor divides nothing
      {{kAnswerCompare, kUnlistedRelation, 0}, {10, 90}, {}, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.clue.kind) << "/"
                                    << static_cast<int>(c.clue.relation) << "/" << c.clue.value);
    NumberClue negated = c.clue;
    NegateNumberClue(&negated);
    for (int32_t n : c.pass) {
      EXPECT_TRUE(TestNumberClue(c.clue, n)) << n;
      EXPECT_EQ(!c.negatable, TestNumberClue(negated, n)) << n;
    }
    for (int32_t n : c.fail) {
      EXPECT_FALSE(TestNumberClue(c.clue, n)) << n;
      EXPECT_EQ(c.negatable, TestNumberClue(negated, n)) << n;
    }
  }
}

TEST(NegateNumberClue, KindsAndRelationsAndBack) {
  struct Case {
    NumberClue clue;
    ClueKind kind;
    Relation relation;
  };
  // Every kind a clue sentence reads, and every relation once: a comparing kind turns
  // over its relation, the others change kind and keep the relation they carry.
  const Case kCases[] = {
      {{kDigitOrder, kLess, 4}, kDigitOrder, kNotLess},
      {{kAnswerCompare, kGreater, 4}, kAnswerCompare, kNotGreater},
      {{kDigitDifference, kNotLess, 4}, kDigitDifference, kLess},
      {{kDigitSum, kNotGreater, 4}, kDigitSum, kGreater},
      {{kFirstDigitIn, kGreater, 4}, kFirstDigitNotIn, kGreater},
      {{kSecondDigitIn, kNotLess, 4}, kSecondDigitNotIn, kNotLess},
      {{kDivisibleBy, kLess, 4}, kNotDivisibleBy, kLess},
      {{kNotDivisibleBy, kNotGreater, 4}, kDivisibleBy, kNotGreater},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.clue.kind) << "/"
                                    << static_cast<int>(c.clue.relation));
    NumberClue clue = c.clue;
    NegateNumberClue(&clue);
    EXPECT_EQ(std::tie(c.kind, c.relation, c.clue.value),
              std::tie(clue.kind, clue.relation, clue.value));
    // The not-in kinds are not turned back.
    if (c.clue.kind == kFirstDigitIn || c.clue.kind == kSecondDigitIn) continue;
    NegateNumberClue(&clue);
    EXPECT_EQ(std::tie(c.clue.kind, c.clue.relation), std::tie(clue.kind, clue.relation));
  }
}

TEST(SolveNumberClues, OrdinalsAndAssignments) {
  ClueSlots clues{};
  for (NumberClue& clue : clues) clue = {kUnlistedKind, kLess, 0};  // always passes
  clues[1] = {kDivisibleBy, kLess, 12};
  clues[5] = {kAnswerCompare, kLess, 40};  // admits 12, 24 and 36
  const int32_t kWants[][2] = {{1, 12}, {3, 36}, {4, kNoNumber}, {0, kNoNumber}, {-2, kNoNumber}};
  for (const auto& want : kWants) EXPECT_EQ(want[1], SolveNumberClues(clues, want[0])) << want[0];
  clues[1] = {kAnswerCompare, kGreater, 89};
  clues[5] = {kUnlistedKind, kLess, 0};
  EXPECT_EQ(90, SolveNumberClues(clues, 1));
  EXPECT_EQ(kNoNumber, SolveNumberClues(clues, 2));  // 91 to 99 are never tried

  clues[0] = {kAnswerCompare, kLess, 50};  // liar: 50 or more
  clues[1] = {kDivisibleBy, kLess, 2};     // undecided, negated like a liar: odd
  clues[3] = {kDigitOrder, kGreater, 0};   // truthful: second digit smaller
  clues[5] = {kAnswerCompare, kLess, 60};  // the hermit's clue is never negated
  constexpr Truth U = Truth::kUndecided, I = Truth::kTruthful, H = Truth::kLiar;
  EXPECT_EQ(53, SolveNumberCluesFor(&clues, {H, U, I, I, H}, 2));
  EXPECT_EQ(51, SolveNumberClues(clues, 1));  // the slots stay negated
}

}  // namespace
}  // namespace talvorix
