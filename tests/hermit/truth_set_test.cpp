#include "hermit/truth_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvorix {
namespace {

constexpr Truth U = Truth::kUndecided, I = Truth::kTruthful, H = Truth::kLiar;

TEST(TruthSet, OrAndKeepRowOrder) {
  const TruthSet ab{{{I, U, U, U, U}, {U, H, U, U, U}}};
  TruthSet assigned{{{H, H, H, H, H}}};
  assigned.Assign(TruthSet{{{I, I, U, U, U}, {H, U, U, U, U}, {I, I, U, U, U}}});
  struct Case {
    std::string name;
    TruthSet got;
    std::vector<TruthRow> want;
  };
  const Case kCases[] = {
      {"no speaker 5", Variable(5, I), {}},
      {"assign drops repeats", assigned, {{I, I, U, U, U}, {H, U, U, U, U}}},
      {"or keeps order", Or(Variable(1, I), Variable(0, I)), {{U, I, U, U, U}, {I, U, U, U, U}}},
      {"or with itself", Or(ab, ab), ab.rows},
      {"or with empty",
       Or(TruthSet{}, TruthSet{{{I, U, U, U, U}, {I, U, U, U, U}}}),
       {{I, U, U, U, U}}},
      {"and conflict", And(Variable(0, I), Variable(0, H)), {}},
      {"and with empty", And(ab, TruthSet{}), {}},
      // Left rows first, repeats dropped; the right row's decided values are written over the
      // left's.
      {"and order",
       And(TruthSet{{{I, U, U, U, U}, {I, I, U, U, U}}},
           TruthSet{{{U, I, U, U, U}, {I, U, U, U, H}}}),
       {{I, I, U, U, U}, {I, U, U, U, H}, {I, I, U, U, H}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, c.got.rows);
  }
}

}  // namespace
}  // namespace talvorix
