#include "hermit/truth_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hermit_test_util.h"
#include "scanner/cp1250.h"

namespace talvorix {
namespace {

using hermit_test::Dwarves;
using hermit_test::W;

constexpr int32_t I = kTruthful;
constexpr int32_t H = kLiar;

TEST(WriteTruthTable, AnswerFieldAndLastLine) {
  const std::string ambiguous = W(Cp1250(u8"Nem egyértelmű megoldás!"));
  const std::string answerLine = W(Cp1250(u8"\nMegoldás : "));
  struct Case {
    std::string name;
    std::vector<TruthRow> rows;
    std::vector<int32_t> numbers;
    std::string answer;
    std::string textEnd;  // what the text ends with
  };
  const Case kCases[] = {
      {"one row", {{I, H, I, H, I}}, {27}, "27", W(Cp1250(u8"Tapsi törpe  :  I\n"))},
      {"one row without a number", {{I, H, I, H, I}}, {-1}, "Nincs", W(Cp1250(u8"Tapsi törpe  :  I\n"))},
      {"two rows", {{I, H, I, H, I}, {H, I, H, I, H}}, {27, -1}, "27,Nincs",
       W(Cp1250(u8"Tapsi törpe  :  I  ,  H\n")) + ambiguous},
      {"fourteen characters fit", {{I, I, I, I, I}, {H, I, I, I, I}, {H, H, I, I, I}}, {12, -1, -1},
       "12,Nincs,Nincs", W(Cp1250(u8"Tapsi törpe  :  I  ,  I  ,  I\n")) + ambiguous},
      {"longer answers are marked and shown whole",
       {{I, I, I, I, I}, {H, I, I, I, I}, {H, H, I, I, I}}, {-1, -1, -1},
       "Nincs,Nincs,N" + W(Cp1250(u8"…")), ambiguous + answerLine + "Nincs,Nincs,Nincs"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    PuzzleResult result;
    WriteTruthTable(Dwarves(), TruthSet{c.rows}, c.numbers, &result);
    EXPECT_EQ(c.answer, FieldText(result.answer));
    const std::string text(FieldText(result.text));
    ASSERT_GE(text.size(), c.textEnd.size());
    EXPECT_EQ(c.textEnd, text.substr(text.size() - c.textEnd.size()));
    EXPECT_EQ(0u, text.find(W(Cp1250(u8"Bori törpe  :  "))));
  }
}

TEST(WriteTruthTable, LongTablesAreCutToTheField) {
  SpeakerNames names = Dwarves();
  names[2] = std::string(600, 'x');
  const std::vector<TruthRow> rows(32, TruthRow{I, I, I, I, I});
  PuzzleResult result;
  WriteTruthTable(names, TruthSet{rows}, std::vector<int32_t>(32, 45), &result);
  EXPECT_EQ(1299u, FieldText(result.text).size());
  EXPECT_EQ("45,45,45,45,4" + W(Cp1250(u8"…")), FieldText(result.answer));
}

}  // namespace
}  // namespace talvorix
