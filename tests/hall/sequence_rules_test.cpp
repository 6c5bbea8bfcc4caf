#include "hall/sequence_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "hall/sequence_row_tests.h"

namespace talvorix {
namespace {

std::string Describe(const char* name, const std::vector<int32_t>& list) {
  std::string out = std::string(name) + ":";
  for (const int32_t v : list) out += " " + std::to_string(v);
  return out;
}

TEST(RowTests, FindTheCommonPattern) {
  using RowTest = int32_t (*)(std::span<const int32_t>);
  struct Case { const char* name; RowTest test; std::vector<int32_t> row; int32_t want; };
  const Case kCases[] = {
      {"ratio", ConstantRatio, {3, -6, 12}, -2},
      {"ratio", ConstantRatio, {2, 4, 9}, kNoMatch},  // 9 / 4 is not exact
      {"ratio", ConstantRatio, {0, 0, 0}, kNoMatch},
      {"ratio", ConstantRatio, {1, 9999}, 9999},
      {"ratio", ConstantRatio, {1, 10000}, kNoMatch},  // common values are seen only up to 9999
      {"step", ConstantStep, {20000, 30000, 40000}, kNoMatch},
      {"step", ConstantStep, {0, -998}, -998},
      {"step", ConstantStep, {0, -1000}, kNoMatch},
      {"step", ConstantStep, {INT32_MAX, INT32_MIN}, 1},  // differences wrap
      {"repetition", Repetition, {3, 5, 3, 5, 3}, 5},
      {"repetition", Repetition, {1, 2, 3}, kNoMatch},
      {"repetition", Repetition, {1, 2, 1, 3}, kNoMatch},
      {"repetition", Repetition, {1, 2, 3, 1}, 2},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Describe(c.name, c.row));
    EXPECT_EQ(c.test(c.row), c.want);
  }
}

// Each rule alone, including values that a later rule overwrites in the full chain.
TEST(SequenceRules, EachRuleAlone) {
  using Rule = std::optional<int32_t> (*)(std::span<const int32_t>);
  struct Case { const char* name; Rule rule; std::vector<int32_t> list; std::optional<int32_t> want; };
  const Case kCases[] = {
      {"difference", DifferenceRule, {1, 2, 3, 5, 8, 13}, 20},  // a repetition at level 3
      {"difference", DifferenceRule, {2147483644, 2147483645, 2147483646, 2147483647}, INT32_MIN},
      {"difference", DifferenceRule, {1, 2, 4}, std::nullopt},
      {"interleaved", InterleavedRule, {1, 10, 2, 20, 3, 30}, 4},
      {"interleaved", InterleavedRule, {2, 5, 4, 5, 8, 5}, 16},  // ratios: only the even places' counts
      {"alternating", AlternatingFactorRule, {1, 3, 5, 14, 22, 60}, 92},
      {"alternating", AlternatingFactorRule, {0, 3, 5, 14, 22, 60}, std::nullopt},
      {"weighted", WeightedAlternatingFactorRule, {1, 3, 7, 26, 58, 196}, 388},
      {"square", SquareAddendRule, {1, 3, 0, 35, 121, 267}, std::nullopt},
      {"ratio remainder", RatioRemainderRule, {1, 1, 2, 4, 9, 19}, 40},
      {"ratio remainder", RatioRemainderRule, {1, 2, 4, 8, 16, 32, 64}, std::nullopt},
      {"ratio remainder", RatioRemainderRule, {5}, std::nullopt},
      {"sum remainder", SumRemainderRule, {5, 1, 7, 2}, -3},  // four numbers always fit
      {"sum remainder", SumRemainderRule, {1, 1, 2}, std::nullopt},
      {"sum step remainder", SumStepRemainderRule, {1, 1, 2, 3, 5}, std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Describe(c.name, c.list));
    EXPECT_EQ(c.rule(c.list), c.want);
  }
}

// The whole chain: rules 1 to 8, the last fitting one deciding.
TEST(PredictNextNumber, LastFittingRuleDecides) {
  struct Case { std::vector<int32_t> list; std::optional<int32_t> want; };
  const Case kCases[] = {
      {{2, 4, 6, 8, 10, 12}, 14},      {{1, 2, 4, 8, 16, 32}, 64},       {{1, 3, 7, 15, 31, 63}, 127},
      {{1, 2, 1, 2, 1, 2}, 1},         {{1, 1, 2, 3, 5, 8}, 13},         {{1, 2, 3, 5, 8, 13}, 21},
      {{1, 1, 2, 4, 9, 19}, 38},       {{1, 3, 13, 35, 121, 267}, 837},  {{1, 3, 7, 26, 58, 196}, 388},
      {{1, 3, 5, 14, 22, 60}, 94},     {{3, 1, 4, 1, 5, 9}, std::nullopt}, {{7}, std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Describe("list", c.list));
    EXPECT_EQ(PredictNextNumber(c.list), c.want);
  }
}

}  // namespace
}  // namespace talvorix
