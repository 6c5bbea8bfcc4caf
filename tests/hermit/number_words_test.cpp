#include "hermit/number_words.h"

#include <gtest/gtest.h>

#include <string>

#include "hermit_test_util.h"

namespace talvorix {
namespace {

using test::Win1250;

TEST(ReadNumber, DigitsThenWords) {
  struct Case {
    std::string text;
    int32_t want;
  };
  const Case kCases[] = {
      {"12-vel", 12}, {" 7", 7}, {"-5", -5}, {"45 kett", 45},  // digits win over words
      {"4294967297", 1},                                        // 32-bit wrap-around
      {"0-val", 0}, {" 0", kNoNumber}, {"-0", kNoNumber}, {"4294967296", kNoNumber},
      {Win1250("hárommal"), 3}, {"negyedik", 4}, {"hetedik", 7}, {Win1250("első"), 1},
      {Win1250("második"), 2}, {Win1250("ötödik"), 5}, {"tizedik", kNoNumber},
      {Win1250("kettő vagy három"), 3}, {Win1250("három vagy kettő"), 3},  // later row wins
      {Win1250("tizenkettő"), 2}, {Win1250("megoldás"), 1}, {"sok", kNoNumber},
      {"harom", kNoNumber},  // an accented letter matches only itself
      {std::string("\0kett", 5), kNoNumber},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.want, ReadNumber(c.text));
  }
}

}  // namespace
}  // namespace talvorix
