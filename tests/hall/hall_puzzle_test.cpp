#include "hall/hall_puzzle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>

#include "tests/hall/hall_riddles.h"

namespace talvorix::hall_test {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kProportion =
    "Ha 3 tyúk 2 hét alatt 12 tojást tojik, akkor 5 tyúk 4 hét alatt hányat?";
constexpr std::string_view kCompass =
    "Ott megy egy öreg paraszt, lépéseit - 3 lépés, aztán iránytűjét, 90 fokkal forgatja, majd újabb 4 "
    "lépés. ";
constexpr std::string_view kPurchase =
    "Tudjuk, hogy első ízben 3 kard és 2 pajzs 130 aranyért, második alkalommal 4 kard és 5 pajzs 220 "
    "aranyért kelt el. Mennyi egy kard?";
constexpr std::string_view kLitter =
    "Az alomban hat kölyök nőtt. A farkas felfalt 2 bárányt, a medve megevett 1 kecskét, összesen 8 állatot.";
constexpr std::string_view kSequence = "Folytasd a számsort! A számok: 2, 4, 6, 8, 10, 12. Nos, mi jön?";

// The solvers read the riddle up to the '<' of its closing mark.
TEST(HallPuzzle, CutsTheRiddleBetweenTheFirstTwoMarks) {
  struct Case { std::string_view gathered, text; };
  const Case kCases[] = {
      {"Szavak<BR> Mi a neved?<BR> Felelj! ", "Mi a neved?"},
      {"<BR>xABC<BR>", "ABC"},  // the character after the mark is skipped whatever it is
      {"<BR>abc<BR>", "bc"},
      {"elol<BR> egy<BR> ketto<BR> ", "egy"},
      {"<BR> <BR>", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.gathered);
    const Outcome out = SolveBuffer(c.gathered);
    EXPECT_TRUE(out.solved);
    EXPECT_EQ(out.text, c.text);
    EXPECT_EQ(out.answer, "?");
    EXPECT_EQ(out.title, kUnreadableTitle);
  }
}

TEST(HallPuzzle, BufferWithoutBothMarksIsUnreadable) {
  // A NUL ends the text: a mark after it is not seen.
  const std::string_view kCases[] = {"", "nincs jel", "csak egy<BR> jel", "<BR>", "<BR>x", "<BR><BR> tovabb",
                                     "<BR> egy\0<BR> "sv};
  for (const std::string_view gathered : kCases) {
    SCOPED_TRACE(gathered);
    const Outcome out = SolveBuffer(gathered);
    EXPECT_FALSE(out.solved);
    EXPECT_EQ(out.text, "");
    EXPECT_EQ(out.answer, "?");
    EXPECT_EQ(out.title, kUnreadableTitle);
  }
}

TEST(HallPuzzle, RecognisesKindsAndLetsTheLastOutcomeStand) {
  const std::string proportion(kProportion);
  const std::string compass(kCompass);
  struct Case { std::string riddle; std::string_view answer, title; bool solved; };
  const Case kCases[] = {
      {"Mi a neved, vándor?", "?", kUnreadableTitle, true},  // no kind: nothing to answer
      {proportion, "40", kSolvedTitle, true},
      {"-" + proportion, "40", kSolvedTitle, true},      // "Ha" at the second character
      {"--" + proportion, "?", kUnreadableTitle, true},  // at the third: another kind
      {"h" + proportion.substr(1), "?", kUnreadableTitle, true},
      {compass + std::string(kPurchase), "30", kSolvedTitle, true},  // both run, the later answer stands
      {compass + "Tudjuk, hogy semmit.", "?", kUnreadableTitle, false},
      {"Ha semmi. " + std::string(kLitter), "?", kUnreadableTitle, false},  // a failure ends the tests
      {compass + std::string(kSequence), "14", kSolvedTitle, true},
      {compass + "A számsor: nincs.", "?", kUnreadableTitle, false},
      {compass + "A számsor, számok: 3, 1, 4, 1, 5, 9. Nos, mi jön?", "?", kNoRuleTitle, true},
      {"Ha 1 ló 1 hét alatt -99999 zabot eszik, akkor 1 ló 1 hét alatt?", "-99999", kSolvedTitle, true},
      {"Ha 1 ló 1 hét alatt -7 zabot eszik, akkor 1 ló 1 hét alatt?", "-7", kSolvedTitle, true},
      {"Ha 3 ló 1 hét alatt 2 zabot eszik, akkor 1 ló 1 hét alatt?", "0", kSolvedTitle, true},
      {"Ha 1 ló 1 hét alatt -2147483648 zabot, akkor 1 ló 1 hét alatt?", "-2147483648", kSolvedTitle, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.riddle);
    ExpectOutcome(c.riddle, c.answer, c.title, c.solved);
  }
}

TEST(HallPuzzle, NeverReadsPastTheSecondMark) {
  ExpectAnswer("Ott megy egy öreg paraszt, lépéseit -", "?");
  const Outcome out =
      SolveBuffer(Gathered(Win1250("egy öreg paraszt lépéseit - <BR> 3 iránytűjét, 90 újabb 4")));
  EXPECT_FALSE(out.solved);
}

/// Seconds that one Solve of `gathered` takes.
double SolveSeconds(const std::string& gathered) {
  const auto start = std::chrono::steady_clock::now();
  HallPuzzle puzzle(gathered);
  static_cast<void>(puzzle.Solve());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Many half-riddles in one long buffer, which every kind's keywords match, are read in
// linear time: a buffer twice as long takes at most about three times as long. Each
// size counts its fastest of several runs, taken in turns, so that a busy machine slows
// both alike.
TEST(HallPuzzle, LongBuffersStayFast) {
  const std::string unit = Win1250("Ha 1 számok: 1, 2 hét alatt, Tudjuk, ízben 3 kard és ");
  std::string riddle;
  while (riddle.size() < (1u << 20)) riddle += unit;
  const std::string shorter = Gathered(riddle);
  const std::string longer = Gathered(riddle + riddle);
  EXPECT_FALSE(SolveBuffer(longer).solved);

  double fastestShorter = std::numeric_limits<double>::infinity();
  double fastestLonger = fastestShorter;
  for (int round = 0; round < 15; ++round) {
    fastestShorter = std::min(fastestShorter, SolveSeconds(shorter));
    fastestLonger = std::min(fastestLonger, SolveSeconds(longer));
  }
  EXPECT_LT(fastestLonger, 3 * fastestShorter)
      << "shorter " << fastestShorter * 1e3 << " ms, longer " << fastestLonger * 1e3 << " ms";
}

TEST(HallPuzzle, LongRiddleIsCutToTheTextField) {
  const std::string riddle(2000, 'x');
  const Outcome out = SolveBuffer(Gathered(riddle));
  EXPECT_EQ(out.text, riddle.substr(0, 1299));
  EXPECT_TRUE(out.solved);
}

}  // namespace
}  // namespace talvorix::hall_test
