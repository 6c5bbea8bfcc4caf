#pragma once
// A fixed set of phrases found in one pass over a text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace talvorix {

/// Up to 32 phrases of at least two bytes each, looked for together, built at compile
/// time. The pass slides a window as long as the shortest phrase over the text and
/// looks only at the pair of bytes at the window's end: where that pair occurs in no
/// phrase's opening, the window jumps ahead as far as it safely can (up to the shortest
/// phrase's length less one); only where a phrase's opening could end are the phrases
/// compared. Most bytes of a text are never looked at.
template <std::size_t N>
class PhraseSet {
  static_assert(N >= 1 && N <= 32, "a set holds 1 to 32 phrases");

 public:
  /// The phrases are borrowed: they must outlive the set (literals do).
  consteval explicit PhraseSet(const std::array<std::string_view, N>& phrases) : phrases_(phrases) {
    shortest_ = phrases_[0].size();
    for (const std::string_view phrase : phrases_) {
      if (phrase.size() < 2) TooShort();
      if (phrase.size() < shortest_) shortest_ = phrase.size();
      if (phrase.size() > longest_) longest_ = phrase.size();
    }
    // A pair that ends at offset j of some phrase's opening (its first `shortest_`
    // bytes) lets the window move on only by what is left of that opening.
    const std::size_t span = shortest_ - 1;
    for (std::uint8_t& jump : jumps_) jump = Jump(span);
    for (std::size_t k = 0; k < N; ++k) {
      for (std::size_t i = 0; i < phrases_[k].size(); ++i)
        if (phrases_[k][i] == ' ') AddBlank(k, i);
      openings_[k] = static_cast<std::uint16_t>(PairAt(phrases_[k], 0));
      for (std::size_t j = 1; j <= span; ++j) {
        std::uint8_t& jump = jumps_[PairAt(phrases_[k], j - 1)];
        if (Jump(span - j) < jump) jump = Jump(span - j);
      }
    }
  }

  /// Bit k is set when phrase k occurs in `text`.
  constexpr std::uint32_t Match(std::string_view text) const {
    std::uint32_t found = 0;
    const std::size_t span = shortest_ - 1;
    // `end` is the last byte of the window [end - span, end].
    for (std::size_t end = span; end < text.size();) {
      const std::uint8_t jump = jumps_[PairAt(text, end - 1)];
      if (jump != 0) {
        end += jump;
        continue;
      }
      const std::string_view rest = text.substr(end - span);
      const std::size_t opening = PairAt(rest, 0);
      for (std::size_t k = 0; k < N; ++k)
        if (openings_[k] == opening && rest.starts_with(phrases_[k])) found |= std::uint32_t{1} << k;
      ++end;
    }
    return found;
  }

  /// Bit k is set when phrase k occurs in `before`, a blank and `after` joined, over
  /// the blank: with Match on each side alone, that is Match on the joined text, at the
  /// cost of a few comparisons.
  constexpr std::uint32_t MatchAcrossBlank(std::string_view before, std::string_view after) const {
    // Quick refusal: no phrase has a blank between these two bytes. An empty side
    // leaves only a phrase whose blank opens or ends it, rare enough to look at.
    if (!before.empty() && !after.empty() && !HasPair(before.back(), after.front())) return 0;
    std::uint32_t found = 0;
    for (std::size_t b = 0; b < blankCount_; ++b) {
      const std::string_view phrase = phrases_[blanks_[b].phrase];
      const std::size_t at = blanks_[b].offset;
      if (before.ends_with(phrase.substr(0, at)) && after.starts_with(phrase.substr(at + 1)))
        found |= std::uint32_t{1} << blanks_[b].phrase;
    }
    return found;
  }

  /// The mask of every phrase in the set.
  static constexpr std::uint32_t kAll = N == 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << N) - 1;

  /// The length of the longest phrase: an occurrence that crosses from one text into
  /// the next lies within this many bytes less one on either side of the seam.
  constexpr std::size_t longest() const { return longest_; }

 private:
  static constexpr std::size_t PairAt(std::string_view text, std::size_t i) {
    return static_cast<std::size_t>(static_cast<unsigned char>(text[i])) << 8 |
           static_cast<unsigned char>(text[i + 1]);
  }
  /// A jump fits a byte; a shorter one than allowed is always safe.
  static constexpr std::uint8_t Jump(std::size_t allowed) {
    return static_cast<std::uint8_t>(allowed < 255 ? allowed : 255);
  }
  static void TooShort() {}
  static void TooManyBlanks() {}  // not constexpr either

  /// Whether some phrase has a blank between these two bytes.
  constexpr bool HasPair(char before, char after) const {
    const std::size_t pair = static_cast<std::size_t>(static_cast<unsigned char>(before)) << 8 |
                             static_cast<unsigned char>(after);
    return ((blankPairs_[pair / 64] >> (pair % 64)) & 1u) != 0;
  }

  /// Notes the blank at `offset` of phrase `k`, and the pair of bytes around it (any
  /// byte on a side where the blank opens or ends the phrase).
  constexpr void AddBlank(std::size_t k, std::size_t offset) {
    if (blankCount_ == blanks_.size()) TooManyBlanks();
    blanks_[blankCount_++] = {static_cast<std::uint8_t>(k), offset};
    const std::string_view phrase = phrases_[k];
    // A phrase has at least two bytes, so at most one side is open.
    const bool opens = offset == 0;
    const bool ends = offset + 1 == phrase.size();
    for (std::size_t other = 0; other < 256; ++other) {
      const std::size_t before = opens ? other : static_cast<unsigned char>(phrase[offset - 1]);
      const std::size_t after = ends ? other : static_cast<unsigned char>(phrase[offset + 1]);
      const std::size_t pair = before << 8 | after;
      blankPairs_[pair / 64] |= std::uint64_t{1} << (pair % 64);
    }
  }  // not constexpr: a phrase under two bytes fails to compile

  std::array<std::string_view, N> phrases_;
  std::size_t shortest_ = 0;
  std::size_t longest_ = 0;
  /// Where the phrases hold a blank, and the bytes found on either side of one.
  struct Blank {
    std::uint8_t phrase = 0;
    std::size_t offset = 0;
  };
  std::array<Blank, 8 * N> blanks_{};
  std::size_t blankCount_ = 0;
  /// By the bytes before and after a blank: whether a phrase has them there.
  std::array<std::uint64_t, 1024> blankPairs_{};
  /// Each phrase's first two bytes, compared before the whole phrase.
  std::array<std::uint16_t, N> openings_{};
  /// By the pair of bytes at the window's end: how far the window may move on.
  std::array<std::uint8_t, 1 << 16> jumps_{};
};

}  // namespace talvorix
