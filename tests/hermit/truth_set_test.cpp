#include "hermit/truth_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvorix {
namespace {

constexpr int32_t U = kUndecided;
constexpr int32_t I = kTruthful;
constexpr int32_t H = kLiar;

TruthSet Set(std::vector<TruthRow> rows) { return TruthSet{std::move(rows)}; }

TEST(TruthSet, Variables) {
  struct Case {
    int32_t v;
    std::vector<TruthRow> want;
  };
  const Case kCases[] = {
      {0, {{I, U, U, U, U}}},
      {4, {{U, U, U, U, I}}},
      {5, {{H, U, U, U, U}}},
      {8, {{U, U, U, H, U}}},
      {9, {{U, U, U, U, H}}},
      {10, {}},
      {-1, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.v);
    TruthSet set = Set({{I, I, I, I, I}, {H, H, H, H, H}});
    set.MakeVariable(c.v);
    EXPECT_EQ(c.want, set.rows);
  }
}

TEST(TruthSet, DeduplicateKeepsFirstOccurrences) {
  TruthSet set = Set({{I, U, U, U, U}, {H, U, U, U, U}, {I, U, U, U, U}, {U, U, U, U, U},
                      {H, U, U, U, U}});
  set.Deduplicate();
  EXPECT_EQ((std::vector<TruthRow>{{I, U, U, U, U}, {H, U, U, U, U}, {U, U, U, U, U}}), set.rows);
  EXPECT_EQ(3, set.count());
}

TEST(TruthSet, AssignCopiesWithoutRepeats) {
  const TruthSet source = Set({{I, I, U, U, U}, {I, I, U, U, U}, {H, U, U, U, U}});
  TruthSet target = Set({{U, U, U, U, H}});
  target.Assign(source);
  EXPECT_EQ((std::vector<TruthRow>{{I, I, U, U, U}, {H, U, U, U, U}}), target.rows);
  EXPECT_EQ(3, source.count());  // the source is untouched
}

TEST(TruthSet, OrAndAnd) {
  const TruthSet t0 = Variable(0);
  const TruthSet t1 = Variable(1);
  const TruthSet l0 = Variable(5);
  const TruthSet ab = Set({{I, U, U, U, U}, {U, H, U, U, U}});
  const TruthSet empty;
  struct Case {
    std::string name;
    TruthSet got;
    std::vector<TruthRow> want;
  };
  const Case kCases[] = {
      {"or keeps order", Or(t1, t0), {{U, I, U, U, U}, {I, U, U, U, U}}},
      {"or with itself", Or(ab, ab), ab.rows},
      {"or with empty", Or(empty, Set({{I, U, U, U, U}, {I, U, U, U, U}})), {{I, U, U, U, U}}},
      {"or of empties", Or(empty, empty), {}},
      {"and merges", And(t0, t1), {{I, I, U, U, U}}},
      {"and conflict", And(t0, l0), {}},
      {"and empty left", And(empty, ab), {}},
      {"and empty right", And(ab, empty), {}},
      // Pairs run by the left row first; a repeated merge keeps its first place.
      {"and order",
       And(Set({{I, U, U, U, U}, {U, I, U, U, U}}), Set({{U, I, U, U, U}, {I, U, U, U, U}})),
       {{I, I, U, U, U}, {I, U, U, U, U}, {U, I, U, U, U}}},
      {"and cross",
       And(Set({{I, U, U, U, U}, {H, U, U, U, U}}), Set({{U, U, I, U, U}, {U, U, H, U, U}})),
       {{I, U, I, U, U}, {I, U, H, U, U}, {H, U, I, U, U}, {H, U, H, U, U}}},
      // The right row's decided values are written; its undecided ones keep the left's.
      {"and keeps left values", And(Set({{I, H, U, U, U}}), Set({{I, U, U, U, H}})),
       {{I, H, U, U, H}}},
      {"and skips only conflicting pairs",
       And(Set({{I, U, U, U, U}, {H, U, U, U, U}}), Set({{H, I, U, U, U}})), {{H, I, U, U, U}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, c.got.rows);
  }
}

}  // namespace
}  // namespace talvorix
