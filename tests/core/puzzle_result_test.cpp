#include "core/puzzle_result.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "core/text.h"
#include "tests/core/win1250.h"

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
  EXPECT_FALSE(table.View(1));
  for (const char* text : {"one", "two", "three"}) {
    PuzzleResult r;
    SetField(r.text, text);
    table.Append(r);
  }
  ASSERT_EQ(table.count(), 3);
  EXPECT_EQ(table.View(1)->text, "one");
  EXPECT_EQ(table.View(3)->text, "three");
  EXPECT_FALSE(table.View(0));
  EXPECT_FALSE(table.View(4));
  table.SetUnreadable();
  EXPECT_EQ(table.count(), -1);
  EXPECT_FALSE(table.View(1));
  table.Clear();
  EXPECT_EQ(table.count(), 0);
}

TEST(ResultTable, KeepsEachFieldAsTheFixedWidthRecordHoldsIt) {
  struct Case {
    const char* name;
    std::string text, answer, title;
  };
  const Case kCases[] = {
      {"empty fields", "", "", ""},
      {"ordinary", "riddle\ntext", "35", " Csarnok feladv\xE1ny "},
      {"fields at full width", std::string(1299, 't'), std::string(14, 'a'), std::string(25, 'c')},
      {"bytes past the NUL are not kept", std::string("ab\0cd", 5), "1", "t"},
  };
  ResultTable table;
  std::vector<PuzzleResult> want;
  // Enough records that the storage spans many blocks.
  for (int round = 0; round < 400; ++round) {
    for (const Case& c : kCases) {
      PuzzleResult r;
      SetField(r.text, c.text);
      SetField(r.answer, c.answer);
      SetField(r.title, c.title);
      table.Append(r);
      want.push_back(r);
    }
  }
  // A view whose field holds a NUL keeps the field up to it, and the fields after it.
  table.Append(RecordView{std::string("ab\0cd", 5), std::string("1\0", 2), "t"});
  PuzzleResult nul;
  SetField(nul.text, "ab");
  SetField(nul.answer, "1");
  SetField(nul.title, "t");
  want.push_back(nul);
  // A view that does not fit is cut as SetField cuts it.
  table.Append(RecordView{std::string(2000, 'x'), std::string(40, '9'), std::string(30, 'y')});
  PuzzleResult cut;
  SetField(cut.text, std::string(2000, 'x'));
  SetField(cut.answer, std::string(40, '9'));
  SetField(cut.title, std::string(30, 'y'));
  want.push_back(cut);

  const ResultTable copy = table;
  ResultTable source = table;
  ResultTable moved;
  moved = std::move(source);
  ASSERT_EQ(table.count(), static_cast<int32_t>(want.size()));
  for (const ResultTable* t : std::initializer_list<const ResultTable*>{&table, &copy, &moved}) {
    ASSERT_EQ(t->count(), static_cast<int32_t>(want.size()));
    for (std::size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(kCases[i % std::size(kCases)].name);
      const std::optional<RecordView> view = t->View(static_cast<int32_t>(i + 1));
      ASSERT_TRUE(view);
      EXPECT_EQ(view->text, FieldText(want[i].text));
      EXPECT_EQ(view->answer, FieldText(want[i].answer));
      EXPECT_EQ(view->title, FieldText(want[i].title));
    }
  }
  EXPECT_FALSE(table.View(0));
  EXPECT_FALSE(table.View(table.count() + 1));
  table.SetUnreadable();
  EXPECT_FALSE(table.View(1));
  EXPECT_EQ(copy.count(), static_cast<int32_t>(want.size()));  // a copy owns its records
}

TEST(CopyableAnswer, WholeAnswer) {
  struct Case {
    const char* name;
    std::u8string_view text;
    std::u8string_view answer;
    std::u8string_view want;
  };
  const Case kCases[] = {
      {"a plain answer", u8"Mennyi?", u8"35", u8"35"},
      {"a cut answer: the whole one from the text", u8"A  :  I\nB  :  H\nMegoldás : 12,34,56,78,90",
       u8"12,34,56,78,9…", u8"12,34,56,78,90"},
      {"a cut answer without its line stays", u8"A  :  I", u8"12,34,56,78,9…", u8"12,34,56,78,9…"},
      {"an empty answer line stays cut", u8"A\nMegoldás : ", u8"12…", u8"12…"},
      {"no answer", u8"x", u8"", u8""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string text = test::Win1250(c.text);
    const std::string answer = test::Win1250(c.answer);
    EXPECT_EQ(CopyableAnswer(RecordView{text, answer, ""}), test::Win1250(c.want));
  }
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

namespace talvorix {
namespace {

// Each record's outcome stays beside its fields through copies, moves and the block
// boundaries of a large table; outside the records the outcome is the default.
TEST(ResultTable, OutcomesFollowTheirRecords) {
  ResultTable table;
  constexpr int32_t kCount = 500;  // several blocks of records
  const std::string text(1200, 'x');
  for (int32_t i = 0; i < kCount; ++i)
    table.Append(RecordView{text, std::to_string(i), " t "}, {static_cast<PuzzleKind>(i % 9), i % 3 != 0});
  auto expectOutcomes = [&](const ResultTable& t, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(t.count(), kCount);
    for (int32_t k = 1; k <= kCount; ++k) {
      const PuzzleOutcome want{static_cast<PuzzleKind>((k - 1) % 9), (k - 1) % 3 != 0};
      if (t.Outcome(k) != want) {
        ADD_FAILURE() << "record " << k;
        return;
      }
    }
    EXPECT_EQ(t.Outcome(0), PuzzleOutcome{});
    EXPECT_EQ(t.Outcome(kCount + 1), PuzzleOutcome{});
  };
  expectOutcomes(table, "as appended");
  const ResultTable copy = table;
  expectOutcomes(copy, "copied");
  ResultTable moved = std::move(table);
  expectOutcomes(moved, "moved");
  moved.SetUnreadable();
  EXPECT_EQ(moved.Outcome(1), PuzzleOutcome{});
  // A record made from a PuzzleResult carries its outcome too.
  PuzzleResult record;
  SetField(record.answer, "?");
  moved.Clear();
  moved.Append(record, {PuzzleKind::kSequence, false});
  EXPECT_EQ(moved.Outcome(1), (PuzzleOutcome{PuzzleKind::kSequence, false}));
}

}  // namespace
}  // namespace talvorix
