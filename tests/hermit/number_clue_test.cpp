#include "hermit/number_clue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hermit_test_util.h"
#include "scanner/cp1250.h"

namespace talvorix {
namespace {

using hermit_test::W;

struct ParseCase {
  std::string sentence;
  NumberClue want;
};

void ExpectParsed(const ParseCase& c) {
  SCOPED_TRACE(c.sentence);
  NumberClue got{99, 99, 99};
  ASSERT_TRUE(ParseNumberClue(c.sentence, &got));
  EXPECT_EQ(c.want.kind, got.kind);
  EXPECT_EQ(c.want.relation, got.relation);
  EXPECT_EQ(c.want.value, got.value);
}

TEST(ParseNumberClue, Divisibility) {
  const ParseCase kCases[] = {
      {W(Cp1250(u8"A szám osztható hárommal")), {kDivisibleBy, 99, 3}},
      {W(Cp1250(u8"A megfejtés osztható 12-vel")), {kDivisibleBy, 99, 12}},
      {W(Cp1250(u8"A megoldás nem osztható néggyel")), {kNotDivisibleBy, 99, 4}},
      {W(Cp1250(u8"A szám nem osztható öttel")), {kNotDivisibleBy, 99, 5}},
      // The whole rest is read: the last table word present decides.
      {W(Cp1250(u8"A szám osztható hattal, de kettővel nem")), {kDivisibleBy, 99, 6}},
      {W(Cp1250(u8"A szám osztható 0-val")), {kDivisibleBy, 99, 0}},
      {W(Cp1250(u8"A válasz egy páros szám")), {kDivisibleBy, 99, 2}},
      {W(Cp1250(u8"A megfejtés páratlan szám")), {kNotDivisibleBy, 99, 2}},
  };
  for (const ParseCase& c : kCases) ExpectParsed(c);
}

TEST(ParseNumberClue, Comparisons) {
  const ParseCase kCases[] = {
      {W(Cp1250(u8"A válasz 45-nél kisebb")), {kAnswerCompare, kLess, 45}},
      {W(Cp1250(u8"A válasz 60-nál nagyobb")), {kAnswerCompare, kGreater, 60}},
      {W(Cp1250(u8"A válasz 60-nál nem nagyobb, hanem kisebb")), {kAnswerCompare, kLess, 60}},
      {W(Cp1250(u8"A válasz 30-nál pontosan nagyobb vagy annyi")), {kAnswerCompare, kNotLess, 30}},
      // No hyphen after the number: it runs to the end of the sentence.
      {W(Cp1250(u8"A válasz 70 vagy kisebb, pontosan")), {kAnswerCompare, kNotGreater, 70}},
      {W(Cp1250(u8"A megoldás két számjegyének összege 9-nél több")), {kDigitSum, kGreater, 9}},
      {W(Cp1250(u8"A megoldás két számjegyének összege 12-nél kevesebb")), {kDigitSum, kLess, 12}},
      {W(Cp1250(u8"A megoldás két számjegyének különbsége hatnál pontosan kevesebb")),
       {kDigitDifference, kNotGreater, 6}},
      {W(Cp1250(u8"A megoldás két számjegyének különbsége 3-nál több")), {kDigitDifference, kGreater, 3}},
      // The second digit is the subject, the first digit the left side.
      {W(Cp1250(u8"A második számjegy kisebb, mint az első")), {kDigitOrder, kGreater, 99}},
      {W(Cp1250(u8"A második számjegy nagyobb, mint az első")), {kDigitOrder, kLess, 99}},
      {W(Cp1250(u8"A második számjegy kisebb vagy ugyanannyi, mint az első")), {kDigitOrder, kNotLess, 99}},
      {W(Cp1250(u8"Az első számjegy kisebb, mint a második")), {kDigitOrder, kLess, 99}},
      {W(Cp1250(u8"Az első számjegy nagyobb vagy ugyanannyi, mint a második")),
       {kDigitOrder, kNotLess, 99}},
  };
  for (const ParseCase& c : kCases) ExpectParsed(c);
}

TEST(ParseNumberClue, DigitLists) {
  const ParseCase kCases[] = {
      {W(Cp1250(u8"Az első számjegy lehet 3, 5 vagy 7")), {kFirstDigitIn, 99, 753}},
      {W(Cp1250(u8"A második számjegy lehet 1, 2, 3 vagy 0")), {kSecondDigitIn, 99, 3210}},
      {W(Cp1250(u8"A második számjegy lehet 1, 2 vagy 0")), {kSecondDigitIn, 99, 210}},
      {W(Cp1250(u8"A második számjegy lehet 0, 4 vagy 8")), {kSecondDigitIn, 99, 840}},
      {W(Cp1250(u8"Az első számjegy lehet:  2,4 vagy 6")), {kFirstDigitIn, 99, 642}},
  };
  for (const ParseCase& c : kCases) ExpectParsed(c);
}

TEST(ParseNumberClue, Rejected) {
  const std::string kSentences[] = {
      "Ez nem segit",
      "",
      W(Cp1250(u8"A válasz 45")),                                        // no comparison word
      W(Cp1250(u8"Az első számjegy páros")),
      W(Cp1250(u8"A megoldás két számjegyének összege 9")),              // neither több nor kevesebb
      W(Cp1250(u8"A megoldás két számjegyének különbsége 2, pontosan")),
      W(Cp1250(u8"A szám osztható sokkal")),                             // no number
      W(Cp1250(u8"A szám osztható")),                                    // the anchor ends the sentence
      W(Cp1250(u8"A szám osztható ")),
      W(Cp1250(u8"A szám osztható -3-mal")),                             // negative
      W(Cp1250(u8"A válasz sok-nál kisebb")),
      W(Cp1250(u8"Az első számjegy lehet 3 vagy 5")),                    // no comma
      W(Cp1250(u8"Az első számjegy lehet 3, 5, 7")),                     // no "vagy"
      W(Cp1250(u8"Az első számjegy lehet 3 vagy 5, 7")),                 // "vagy" before the last comma
  };
  for (const std::string& sentence : kSentences) {
    SCOPED_TRACE(sentence);
    NumberClue clue;
    EXPECT_FALSE(ParseNumberClue(sentence, &clue));
  }
}

TEST(ParseNumberClue, LaterPhrasesOverwriteAndUnreadableStops) {
  // "A második számjegy lehet" without a comparison word: the list row alone.
  NumberClue list{kDigitOrder, kNotGreater, 5};
  ASSERT_TRUE(ParseNumberClue(W(Cp1250(u8"A második számjegy lehet 4, 6 vagy 8")), &list));
  EXPECT_EQ(kSecondDigitIn, list.kind);
  EXPECT_EQ(kNotGreater, list.relation);  // untouched
  EXPECT_EQ(864, list.value);

  // Row 3 then the even-number row: the kind and value of the later row win, the
  // relation of the earlier stays.
  NumberClue mixed;
  ASSERT_TRUE(ParseNumberClue(W(Cp1250(u8"A válasz egy páros szám, 40-nél nagyobb")), &mixed));
  EXPECT_EQ(kDivisibleBy, mixed.kind);
  EXPECT_EQ(kGreater, mixed.relation);
  EXPECT_EQ(2, mixed.value);

  // An unreadable number ends the reading although a later phrase would match.
  NumberClue stopped;
  EXPECT_FALSE(ParseNumberClue(W(Cp1250(u8"A szám nem osztható -2-vel, A megfejtés páratlan szám")),
                               &stopped));
}

TEST(ParseNumberClue, StopsAtNul) {
  const std::string sentence = std::string("Ez nem segit\0", 13) + W(Cp1250(u8"A szám osztható 3"));
  NumberClue clue;
  EXPECT_FALSE(ParseNumberClue(sentence, &clue));
}

TEST(TestNumberClue, Kinds) {
  struct Case {
    NumberClue clue;
    std::vector<int32_t> pass;
    std::vector<int32_t> fail;
  };
  const Case kCases[] = {
      {{kDigitOrder, kGreater, 0}, {21, 90}, {12, 33}},    // second digit smaller
      {{kDigitOrder, kNotLess, 0}, {21, 33}, {12}},        // ... or the same
      {{kFirstDigitIn, 0, 753}, {30, 39, 55, 71}, {40, 20}},
      {{kFirstDigitNotIn, 0, 753}, {40, 20}, {35}},
      {{kSecondDigitIn, 0, 210}, {20, 31, 12}, {13, 29}},  // a 0 listed last admits 0
      {{kSecondDigitNotIn, 0, 210}, {13}, {20}},
      {{kAnswerCompare, kLess, 45}, {44}, {45, 46}},
      {{kAnswerCompare, kNotGreater, 45}, {45}, {46}},
      {{kAnswerCompare, kGreater, 90}, {}, {90, 10}},
      {{kDigitDifference, kLess, 3}, {42, 24, 11}, {14, 41}},
      {{kDigitSum, kGreater, 9}, {55, 19}, {18, 45}},
      {{kDivisibleBy, 0, 3}, {12, 21}, {13}},
      {{kNotDivisibleBy, 0, 3}, {13}, {12}},
      {{kDivisibleBy, 0, -4}, {12}, {13}},
      {{kDivisibleBy, 0, INT32_MIN}, {}, {12}},
      {{kDivisibleBy, 0, -1}, {13}, {}},
      {{kDivisibleBy, 0, 0}, {}, {10, 0}},  // a zero divisor divides nothing
      {{kNotDivisibleBy, 0, 0}, {10, 0}, {}},
      {{kAnswerCompare, 4, 0}, {10, 90}, {}},  // an unknown relation always passes
      {{8, 0, 0}, {10}, {}},
      {{13, 0, 0}, {10}, {}},
      {{-1, 0, 0}, {10}, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.clue.kind << "/" << c.clue.relation << "/" << c.clue.value);
    for (int32_t n : c.pass) EXPECT_TRUE(TestNumberClue(c.clue, n)) << n;
    for (int32_t n : c.fail) EXPECT_FALSE(TestNumberClue(c.clue, n)) << n;
  }
}

TEST(NegateNumberClue, Kinds) {
  struct Case {
    NumberClue clue;
    NumberClue want;
  };
  const Case kCases[] = {
      {{kDigitOrder, kLess, 7}, {kDigitOrder, kNotLess, 7}},
      {{kAnswerCompare, kNotLess, 7}, {kAnswerCompare, kLess, 7}},
      {{kDigitSum, kGreater, 7}, {kDigitSum, kNotGreater, 7}},
      {{kDigitDifference, kNotGreater, 7}, {kDigitDifference, kGreater, 7}},
      {{kFirstDigitIn, 1, 753}, {kFirstDigitNotIn, 1, 753}},
      {{kSecondDigitIn, 1, 753}, {kSecondDigitNotIn, 1, 753}},
      {{kFirstDigitNotIn, 1, 753}, {kFirstDigitNotIn, 1, 753}},  // not turned back
      {{kDivisibleBy, 1, 2}, {kNotDivisibleBy, 1, 2}},
      {{kNotDivisibleBy, 1, 2}, {kDivisibleBy, 1, 2}},
      {{9, 1, 2}, {9, 1, 2}},
      {{kAnswerCompare, INT32_MAX, 2}, {kAnswerCompare, -3, 2}},  // wraps
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.clue.kind << "/" << c.clue.relation);
    NumberClue got = c.clue;
    NegateNumberClue(&got);
    EXPECT_EQ(c.want.kind, got.kind);
    EXPECT_EQ(c.want.relation, got.relation);
    EXPECT_EQ(c.want.value, got.value);
  }
}

TEST(SolveNumberClues, WantedOrdinal) {
  // Multiples of 12 below 40: 12, 24, 36.
  ClueSlots clues{};
  for (NumberClue& clue : clues) clue = {8, 0, 0};
  clues[1] = {kDivisibleBy, 0, 12};
  clues[5] = {kAnswerCompare, kLess, 40};
  struct Case {
    int32_t wanted;
    int32_t want;
  };
  constexpr Case kCases[] = {{1, 12}, {2, 24}, {3, 36}, {4, kNoNumber}, {0, kNoNumber}, {-2, kNoNumber}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.wanted);
    EXPECT_EQ(c.want, SolveNumberClues(clues, c.wanted));
  }

  // 91 to 99 are never tried.
  clues[1] = {kAnswerCompare, kGreater, 90};
  clues[5] = {8, 0, 0};
  EXPECT_EQ(kNoNumber, SolveNumberClues(clues, 1));
  clues[1] = {kAnswerCompare, kGreater, 89};
  EXPECT_EQ(90, SolveNumberClues(clues, 1));
}

TEST(SolveNumberCluesFor, NegatesAllButTruthfulSpeakers) {
  ClueSlots clues{};
  for (NumberClue& clue : clues) clue = {8, 0, 0};
  clues[0] = {kAnswerCompare, kLess, 50};  // liar: 50 or more
  clues[2] = {kDivisibleBy, 0, 2};         // undecided: negated like a liar, so odd
  clues[3] = {kDigitOrder, kGreater, 0};   // truthful: second digit smaller
  clues[5] = {kAnswerCompare, kLess, 60};  // the hermit's clue is never negated
  const TruthRow row = {kLiar, kTruthful, kUndecided, kTruthful, kLiar};
  EXPECT_EQ(51, SolveNumberCluesFor(&clues, row, 1));
  EXPECT_EQ(53, SolveNumberClues(clues, 2));  // the slots stay negated
  EXPECT_EQ(kNotLess, clues[0].relation);
  EXPECT_EQ(kNotDivisibleBy, clues[2].kind);
  EXPECT_EQ(kGreater, clues[3].relation);
  EXPECT_EQ(kLess, clues[5].relation);
}

}  // namespace
}  // namespace talvorix
