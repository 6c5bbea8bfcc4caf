#include <gtest/gtest.h>

#include <string>

#include "tests/hall/hall_riddles.h"

namespace talvorix::hall_test {
namespace {

void ExpectAnswers(std::string_view pattern, std::initializer_list<NumbersCase> cases) {
  for (const NumbersCase& c : cases) {
    const std::string riddle = Fill(pattern, c.numbers);
    SCOPED_TRACE(riddle);
    ExpectAnswer(riddle, c.answer);
  }
}

TEST(SolveCompassPuzzle, WalksTwoLegs) {
  ExpectAnswers(
      "Ott megy egy öreg paraszt, lépéseit - # lépést tesz, fogja iránytűjét, # fokkal fordul, és újabb # "
      "lépést tesz. Milyen messze jár?",
      {
          {{"3", "90", "4"}, "5"},
          {{"3", "0", "4"}, "6"},  // pi as 3.1416 leaves the root just below 7
          {{"3", "180", "4"}, "1"},
          {{"5", "180", "5"}, "0"},
          {{"3", "-90", "4"}, "4"},
          {{"100", "45", "50"}, "139"},
          {{"0", "90", "4"}, "4"},   // a zero right at the reading position is a number
          {{" 0", "90", "4"}, "?"},  // a blank and then a zero is not
          {{"x", "90", "4"}, "?"},
          {{"40000", "90", "40000"}, "?"},  // the sums wrap and the square goes negative
      });
  ExpectAnswer("Ott megy egy öreg paraszt, iránytűjét, 90 fokkal, lépéseit - 3 és újabb 4 lépés.", "?");
}

TEST(SolvePurchasePuzzle, PricesTheGoodsTheQuestionNames) {
  constexpr std::string_view kPattern =
      "Tudjuk, hogy első ízben # aranyért, második alkalommal # aranyért kelt el. Mennyibe kerül egy #?";
  ExpectAnswers(kPattern, {
      {{"3 kard és 2 pajzs 130", "4 kard és 5 pajzs 220", "kard"}, "30"},
      {{"3 kard és 2 pajzs 130", "4 kard és 5 pajzs 220", "pajzs"}, "20"},
      {{"3 kard és 2 pajzs 130", "4 kard és 5 pajzs 220", "pajzs és egy kard"}, "30"},
      {{"3 kard és 2 pajzs 130", "4 kard és 5 pajzs 220", "sisak"}, "?"},
      {{"1 kard és 1 pajzs 10", "1 kard és 3 pajzs 15", "kard"}, "7"},  // 15 / 2, truncated
      {{"1 kard és 1 pajzs 5", "1 kard és 3 pajzs 30", "kard"}, "-7"},
      {{"3 kard és 0 pajzs 90", "4 kard és 5 pajzs 220", "kard"}, "30"},
      {{"3 kard és 2 pajzs 1300", "4 kard és 5 pajzs 2200", "kard"}, "300"},
      {{"3 kard és 2 pajzs 12345", "4 kard és 5 pajzs 220", "kard"}, "?"},  // beyond the back-step
      {{"3 kard és 2 pajzs 130", "6 kard és 4 pajzs 260", "kard"}, "?"},    // no single price
      {{"3 és 2 pajzs 130", "4 kard és 5 pajzs 220", "kard"}, "?"},  // the name would end before it starts
      // A name is kept to its first 39 characters; the question names only those.
      {{"3 ezüstveretes markolatú kétélű lovagi hosszúkard és 2 pajzs 130", "4 kard és 5 pajzs 220",
        "ezüstveretes markolatú kétélű lovagi hosszú tőr"}, "30"},
  });
}

TEST(SolveRationPuzzle, FollowsThePlaneThroughThreeObservations) {
  constexpr std::string_view kPattern =
      "Zuveghar professzor milgandokat tart. Ha napi fejadagként # zsák magot és napi # kanna vizet kapnak, "
      "a szaporulat # lesz. Ennek esetén # zsák és kétszeres fejadagnál, # kanna mellett a szaporulat #. "
      "Ha az állatot # zsákkal és fejadagnál # kannával tartja a milgandokkal, # új jön. # tudod, mennyi "
      "jön, ha Zuveghar # zsákot és # kannát ad?";
  ExpectAnswers(kPattern, {
      {{"1", "1", "15", "2", "3", "23", "4", "2", "24", "Talán", "5", "5"}, "35"},
      {{"1", "1", "10", "2", "1", "13", "1", "3", "15", "Talán", "3", "5"}, "24"},  // X = 5 / 2 -> 2
      {{"1", "1", "15", "1", "3", "23", "4", "2", "24", "Talán", "5", "5"}, "?"},   // u2 = u1
      {{"1", "1", "15", "2", "2", "23", "3", "3", "24", "Talán", "5", "5"}, "?"},   // all on one line
      {{"1", "1", "15", "2", "3", "23", "4", "2", "24", "Vajon", "5", "5"}, "?"},
  });
}

TEST(SolveProportionPuzzle, DividesBeforeItMultiplies) {
  ExpectAnswers("Ha # tyúk # hét alatt # tojást tojik, akkor # tyúk # hét alatt hányat?", {
      {{"3", "2", "12", "5", "4"}, "40"},
      {{"3", "2", "10", "6", "2"}, "12"},  // 10 / 3 / 2 truncates to 1
      {{"3", "100", "1200", "5", "4"}, "80"},
      {{"3", "1000", "12", "5", "4"}, "?"},  // four digits are beyond the back-step
      {{"0", "2", "12", "5", "4"}, "?"},
      {{"3", "0", "12", "5", "4"}, "?"},
  });
}

TEST(SolveLitterPuzzle, TakesThePositiveRoot) {
  ExpectAnswers("Az alomban a farkas felfalt # bárányt, a medve megevett # kecskét, összesen # állatot.", {
      {{"2", "1", "8"}, "2"},
      {{"1", "1", "3"}, "1"},  // the root of 13 truncates to 3
      {{"0", "1", "4"}, "2"},
      {{"2", "0", "8"}, "?"},
      {{"1", "1", "-1"}, "?"},  // no real root
  });
}

}  // namespace
}  // namespace talvorix::hall_test
