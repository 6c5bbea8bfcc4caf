#include "hermit/truth_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hermit_test_util.h"

namespace talvorix {
namespace {

using hermit_test::Dwarves;
using test::Win1250;

TEST(WriteTruthTable, AnswerFieldBoundary) {
  constexpr Truth I = Truth::kTruthful, H = Truth::kLiar;
  const TruthSet three{{{I, I, I, I, I}, {H, I, I, I, I}, {H, H, I, I, I}}};
  const std::string kTableEnd = Win1250("Tapsi törpe  :  I  ,  I  ,  I\nNem egyértelmű megoldás!");
  struct Case {
    std::vector<int32_t> numbers;
    std::string answer, textEnd;
  };
  const Case kCases[] = {
      {{12, -1, -1}, "12,Nincs,Nincs", kTableEnd},  // fourteen characters fit
      {{-1, -1, 12}, "Nincs,Nincs,12", kTableEnd},
      {{-1, -1, -1}, "Nincs,Nincs,N" + Win1250("…"),
       kTableEnd + Win1250("\nMegoldás : Nincs,Nincs,Nincs")},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.answer);
    PuzzleResult result;
    WriteTruthTable(Dwarves(), three, c.numbers, &result);
    EXPECT_EQ(c.answer, FieldText(result.answer));
    const std::string text(FieldText(result.text));
    ASSERT_GE(text.size(), c.textEnd.size());
    EXPECT_EQ(c.textEnd, text.substr(text.size() - c.textEnd.size()));
  }
}

}  // namespace
}  // namespace talvorix
