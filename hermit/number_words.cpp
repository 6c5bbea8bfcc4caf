#include "hermit/number_words.h"

#include "core/cp1250.h"
#include "core/text.h"

namespace talvorix {
namespace {

constexpr auto kThree = Cp1250(u8"három");
constexpr auto kFour = Cp1250(u8"nég");
constexpr auto kFive = Cp1250(u8"öt");
constexpr auto kSeven = Cp1250(u8"hét");
constexpr auto kTen = Cp1250(u8"tíz");
constexpr auto kSecond = Cp1250(u8"második");

struct NumberStem {
  std::string_view stem;
  int32_t value;
};

// Cardinal stems, then the ordinals that do not contain their cardinal stem.
// Order matters: a later row overrides an earlier one ("negyedik" beats its "eg").
constexpr NumberStem kNumberStems[] = {
    {"eg", 1},  {"kett", 2},  {kThree, 3},     {kFour, 4},      {kFive, 5},
    {"hat", 6}, {kSeven, 7},  {"nyolc", 8},    {"kilenc", 9},   {kTen, 10},
    {"els", 1}, {kSecond, 2}, {"harmadik", 3}, {"negyedik", 4}, {"hetedik", 7},
};

}  // namespace

int32_t ReadNumber(std::string_view text) {
  text = UpToNul(text);
  const int32_t digits = ReadLeadingInteger(text);
  if (digits != 0) return digits;  // digits win over words
  if (!text.empty() && text.front() == '0') return 0;
  int32_t result = kNoNumber;
  for (const NumberStem& row : kNumberStems)
    if (Contains(text, row.stem)) result = row.value;  // no break: the last row present wins
  return result;
}

}  // namespace talvorix
