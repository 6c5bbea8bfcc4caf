#include <gtest/gtest.h>

#include <string>

#include "tests/hall/hall_riddles.h"

namespace talvorix::hall_test {
namespace {

TEST(SolveSequencePuzzle, ReadsTheListAfterItsKeyword) {
  struct Case { std::string_view list, answer, title; bool solved; };  // list: what follows "számok: "
  const Case kCases[] = {
      {"2, 4, 6, 8, 10, 12. Nos, mi jön?", "14", kSolvedTitle, true},
      {"1, 2, 3, 5, 8, 13. Nos, mi jön?", "21", kSolvedTitle, true},
      {"3, 1, 4, 1, 5, 9. Nos, mi jön?", "?", kNoRuleTitle, true},
      {"0, 5, -3, 7. Nos, mi jön?", "23", kSolvedTitle, true},
      {"1, 2, 3, 4, 5, 6, 7. Nos, mi jön?", "8", kSolvedTitle, true},
      {"1, 3, 13, 35, 121, 267, 1000. Nos, mi jön?", "837", kSolvedTitle, true},  // predicts after x5
      {"1, 2, 3, 4, 5, 6, 7, 8. Nos, mi jön?", "?", kUnreadableTitle, false},     // too long
      {"1,2,3,4,5,6. Nos, mi jön?", "?", kUnreadableTitle, false},  // the blank after a comma is skipped
      {"1, 2, 3, 4, 5, 6. Mi jön?", "?", kUnreadableTitle, false},  // no comma after the last number
      {"1, 2, 3, 4, 5, 6, ?", "?", kNoRuleTitle, true},  // with no full stop the first number is the last
      {"x, 2, 3. Nos, mi jön?", "?", kUnreadableTitle, false},
      {"", "?", kUnreadableTitle, false},
  };
  for (const Case& c : kCases) {
    const std::string riddle = "Folytasd a számsort! A számok: " + std::string(c.list);
    SCOPED_TRACE(riddle);
    ExpectOutcome(riddle, c.answer, c.title, c.solved);
  }
  ExpectAnswer("Folytasd a számsort, ha tudod.", "?");
}

}  // namespace
}  // namespace talvorix::hall_test
