#include "core/puzzle_result.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"

namespace talvorix {
namespace {

TEST(PuzzleResult, FieldsAreCutWithoutSpilling) {
  PuzzleResult r;
  r.answer.fill('A');
  r.title.fill('T');
  EXPECT_FALSE(SetField(r.text, std::string(2000, 'x')));
  EXPECT_EQ(FieldText(r.text).size(), 1299u);
  EXPECT_EQ(r.answer[0], 'A');  // the next field is untouched
  EXPECT_TRUE(SetField(r.answer, "12345678901234"));
  EXPECT_FALSE(SetField(r.title, std::string(26, 'y')));
  EXPECT_EQ(FieldText(r.answer), "12345678901234");
  EXPECT_EQ(FieldText(r.title), std::string(25, 'y'));
  EXPECT_FALSE(AppendField(r.answer, "56"));
  EXPECT_EQ(FieldText(r.answer), "12345678901234");
  SetField(r.title, " a ");
  EXPECT_TRUE(AppendField(r.title, "b "));
  EXPECT_EQ(FieldText(r.title), " a b ");
}

TEST(ResultTable, CountsAndNumbersFromOne) {
  ResultTable table;
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.At(1), nullptr);
  for (const char* text : {"one", "two", "three"}) {
    PuzzleResult r;
    SetField(r.text, text);
    table.Append(r);
  }
  ASSERT_EQ(table.count(), 3);
  EXPECT_EQ(FieldText(table.At(1)->text), "one");
  EXPECT_EQ(FieldText(table.At(3)->text), "three");
  EXPECT_EQ(table.At(0), nullptr);
  EXPECT_EQ(table.At(4), nullptr);
  table.SetUnreadable();
  EXPECT_EQ(table.count(), -1);
  EXPECT_EQ(table.At(1), nullptr);
  table.Clear();
  EXPECT_EQ(table.count(), 0);
}

TEST(ReadLeadingInteger, ReadsLikeTheCLibraryButWraps) {
  struct Case {
    std::string_view text;
    int32_t want;
  };
  const Case kCases[] = {
      {"42", 42},          {" \t\n\v\f\r-17abc", -17}, {"+5", 5},
      {"- 5", 0},          {"", 0},                    {"abc", 0},
      {"2147483647", 2147483647}, {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN},
      {"99999999999", 1215752191},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadLeadingInteger(c.text), c.want);
  }
}

}  // namespace
}  // namespace talvorix
