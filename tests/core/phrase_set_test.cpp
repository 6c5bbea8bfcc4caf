#include "core/phrase_set.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"

namespace talvorix {
namespace {

constexpr std::array<std::string_view, 5> kPhrases = {"Egy \xF5s!", "<BR>", "ab", "abc", "\xF5\xF5"};
constexpr PhraseSet<kPhrases.size()> kSet(kPhrases);

/// Phrases of four bytes and more, so that the pass skips: blanks inside, opening and
/// ending a phrase, and phrases that overlap themselves.
constexpr std::array<std::string_view, 6> kLongPhrases = {"Egy \xF5s!", "<BR>", "r a <B", " aab", "bba ", "abab"};
constexpr PhraseSet<kLongPhrases.size()> kLongSet(kLongPhrases);

/// The phrases found one Contains at a time: what one pass must agree with.
template <std::size_t N>
std::uint32_t OneAtATime(const std::array<std::string_view, N>& phrases, std::string_view text) {
  std::uint32_t found = 0;
  for (std::size_t k = 0; k < N; ++k)
    if (Contains(text, phrases[k])) found |= std::uint32_t{1} << k;
  return found;
}
std::uint32_t OneAtATime(std::string_view text) { return OneAtATime(kPhrases, text); }

/// Calls `check` with every text over `alphabet` of up to `depth` bytes.
template <typename Check>
void EveryText(std::string_view alphabet, std::size_t depth, Check&& check) {
  std::string text;
  const auto walk = [&](auto&& self) -> void {
    check(std::string_view(text));
    if (text.size() == depth) return;
    for (const char c : alphabet) {
      text.push_back(c);
      self(self);
      text.pop_back();
    }
  };
  walk(walk);
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
  static_assert(kLongSet.Match("xxxxxxxxxxxxEgy \xF5s!") == 1 && kLongSet.longest() == 7);
}

TEST(PhraseSet, AgreesWithOneSearchPerPhrase) {
  // Every text over a small alphabet that shares bytes with the phrases, up to 6 bytes.
  EveryText("ab<BR>\xF5", 6, [](std::string_view text) { ASSERT_EQ(kSet.Match(text), OneAtATime(text)) << text; });
}

TEST(PhraseSet, SkippingFindsWhatOneSearchPerPhraseFinds) {
  EveryText("ab <BR>\xF5", 7, [](std::string_view text) {
    ASSERT_EQ(kLongSet.Match(text), OneAtATime(kLongPhrases, text)) << text;
  });
}

TEST(PhraseSet, TwoTextsJoinedByABlankHoldWhatEachHoldsAndWhatCrossesTheBlank) {
  // Every split of every text: the two sides' phrases and those across the blank are
  // the phrases of the joined text, for phrases that open or end with a blank too.
  EveryText("ab <BR", 6, [](std::string_view text) {
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      const std::string_view before = text.substr(0, cut);
      const std::string_view after = text.substr(cut);
      const std::string joined = std::string(before) + ' ' + std::string(after);
      ASSERT_EQ(kLongSet.Match(before) | kLongSet.Match(after) | kLongSet.MatchAcrossBlank(before, after),
                OneAtATime(kLongPhrases, joined))
          << joined;
      ASSERT_EQ(kSet.Match(before) | kSet.Match(after) | kSet.MatchAcrossBlank(before, after), OneAtATime(joined))
          << joined;
    }
  });
}

}  // namespace
}  // namespace talvorix
