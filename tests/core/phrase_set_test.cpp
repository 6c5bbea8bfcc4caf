#include "core/phrase_set.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"

namespace talvorix {
namespace {

constexpr std::array<std::string_view, 5> kPhrases = {"Egy \xF5s!", "<BR>", "ab", "abc", "\xF5\xF5"};
constexpr PhraseSet<kPhrases.size()> kSet(kPhrases);

/// The phrases found one Contains at a time: what one pass must agree with.
std::uint32_t OneAtATime(std::string_view text) {
  std::uint32_t found = 0;
  for (std::size_t k = 0; k < kPhrases.size(); ++k)
    if (Contains(text, kPhrases[k])) found |= std::uint32_t{1} << k;
  return found;
}

TEST(PhraseSet, FindsEveryPhraseThatOccurs) {
  struct Case {
    std::string_view text;
    std::uint32_t want;
  };
  const Case kCases[] = {
      {"", 0},
      {"a", 0},
      {"ab", 0b00100},                        // a phrase that is the whole text
      {"xxabc", 0b01100},                     // a phrase inside another, at the end
      {"<BR", 0},                             // cut short by the end of the text
      {"<B<BR>", 0b00010},                    // an opening pair that fails, then the phrase
      {"Egy \xF5s!<BR>", 0b00011},            // bytes from 0x80 up, phrases back to back
      {"\xF5\xF5\xF5", 0b10000},              // overlapping occurrences
      {std::string_view("a\0b ab", 6), 0b00100},  // a NUL is an ordinary byte
      {"Egy \xF4s! ba aBc", 0},               // near misses
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(kSet.Match(c.text), c.want);
    EXPECT_EQ(OneAtATime(c.text), c.want);
  }
  static_assert(kSet.Match("abc <BR>") == 0b01110);
  static_assert(decltype(kSet)::kAll == 0b11111);
}

TEST(PhraseSet, AgreesWithOneSearchPerPhrase) {
  // Every text over a small alphabet that shares bytes with the phrases, up to 6 bytes.
  constexpr std::string_view kAlphabet = "ab<BR>\xF5";
  std::string text;
  const auto walk = [&](auto&& self, std::size_t depth) -> void {
    ASSERT_EQ(kSet.Match(text), OneAtATime(text)) << text;
    if (depth == 6) return;
    for (const char c : kAlphabet) {
      text.push_back(c);
      self(self, depth + 1);
      text.pop_back();
    }
  };
  walk(walk, 0);
}

}  // namespace
}  // namespace talvorix
