#include "hermit/number_words.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "scanner/cp1250.h"

namespace talvorix {
namespace {

constexpr auto kFour = Cp1250(u8"négy");
constexpr auto kWithThree = Cp1250(u8"hárommal");
constexpr auto kTwoOrThree = Cp1250(u8"kettő vagy három");
constexpr auto kThreeOrTwo = Cp1250(u8"három vagy kettő");
constexpr auto kSecond = Cp1250(u8"második");
constexpr auto kFirst = Cp1250(u8"első");
constexpr auto kFifth = Cp1250(u8"ötödik");
constexpr auto kTwelve = Cp1250(u8"tizenkettő");
constexpr auto kSolution = Cp1250(u8"megoldás");
constexpr auto kTen = Cp1250(u8"tízzel");
constexpr auto kPlainFive = Cp1250(u8"ot");
constexpr auto kPlainThree = Cp1250(u8"harom");

struct Case {
  std::string_view text;
  int32_t want;
};

TEST(ReadNumber, DigitsComeFirst) {
  constexpr Case kCases[] = {
      {"12-vel", 12},
      {"3", 3},
      {" 7", 7},
      {"\t\n 9", 9},
      {"+8", 8},
      {"-5", -5},            // callers reject negative values
      {"45 kettő", 45},      // digits win over any word after them
      {"4294967297", 1},     // wraps like a 32-bit accumulator
      {"2147483648", INT32_MIN},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.want, ReadNumber(c.text));
  }
}

TEST(ReadNumber, ZeroOnlyFromALeadingZeroDigit) {
  constexpr Case kCases[] = {
      {"0", 0},
      {"0-val", 0},
      {"00", 0},
      {" 0", kNoNumber},     // white space before the zero: read as words
      {" 0 kett", 2},
      {"-0", kNoNumber},
      {"4294967296", kNoNumber},  // wraps to zero without a leading "0"
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.want, ReadNumber(c.text));
  }
}

TEST(ReadNumber, WordsLatestTableRowWins) {
  constexpr Case kCases[] = {
      {kWithThree, 3},
      {kFour, 4},
      {"negyedik", 4},       // contains "eg" too
      {"hetedik", 7},
      {kSecond, 2},
      {kFirst, 1},
      {"harmadik", 3},
      {kFifth, 5},           // through the cardinal stem
      {"hatodik", 6},
      {"nyolcadik", 8},
      {"kilencedik", 9},
      {kTen, 10},
      {"tizedik", kNoNumber},  // plain i: no stem
      {kTwoOrThree, 3},
      {kThreeOrTwo, 3},
      {kTwelve, 2},
      {kSolution, 1},        // an unrelated word holding "eg"
      {"sok", kNoNumber},
      {"", kNoNumber},
      {kPlainFive, kNoNumber},   // accented letters match only themselves
      {kPlainThree, kNoNumber},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.want, ReadNumber(c.text));
  }
}

TEST(ReadNumber, StopsAtNul) {
  const std::string text("\0kett", 5);
  EXPECT_EQ(kNoNumber, ReadNumber(text));
  const std::string digits("7\0" "8", 3);
  EXPECT_EQ(7, ReadNumber(digits));
}

}  // namespace
}  // namespace talvorix
