#pragma once
// A fixed set of phrases found in one pass over a text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace talvorix {

/// Up to 32 phrases of at least three bytes each, looked for together in one pass. An
/// occurrence at s holds the byte pairs at s and s + 1, and one of the two positions is
/// even: so only the pairs at even positions are tested against the pairs that phrases
/// hold at their offsets 0 and 1, and only where one matches are the phrases compared,
/// at that position and the one before. Built at compile time.
template <std::size_t N>
class PhraseSet {
  static_assert(N >= 1 && N <= 32, "a set holds 1 to 32 phrases");

 public:
  /// The phrases are borrowed: they must outlive the set (literals do).
  consteval explicit PhraseSet(const std::array<std::string_view, N>& phrases) : phrases_(phrases) {
    for (std::size_t k = 0; k < N; ++k) {
      if (phrases_[k].size() < 3) TooShort();
      openingOf_[k] = static_cast<std::uint16_t>(PairAt(phrases_[k], 0));
      for (const std::size_t pair : {PairAt(phrases_[k], 0), PairAt(phrases_[k], 1)})
        heldPairs_[pair / 64] |= std::uint64_t{1} << (pair % 64);
    }
  }

  /// Bit k is set when phrase k occurs in `text`.
  constexpr std::uint32_t Match(std::string_view text) const {
    std::uint32_t found = 0;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
      const std::size_t pair = PairAt(text, i);
      if (((heldPairs_[pair / 64] >> (pair % 64)) & 1u) == 0) continue;
      if (i > 0) found |= StartingAt(text, i - 1);
      found |= StartingAt(text, i);
    }
    return found;
  }

  /// The mask of every phrase in the set.
  static constexpr std::uint32_t kAll = N == 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << N) - 1;

 private:
  static constexpr std::size_t PairAt(std::string_view text, std::size_t i) {
    return static_cast<std::size_t>(static_cast<unsigned char>(text[i])) << 8 |
           static_cast<unsigned char>(text[i + 1]);
  }
  /// The phrases that occur at `start` (start + 1 < text.size()).
  constexpr std::uint32_t StartingAt(std::string_view text, std::size_t start) const {
    const std::size_t pair = PairAt(text, start);
    const std::string_view rest = text.substr(start);
    std::uint32_t found = 0;
    for (std::size_t k = 0; k < N; ++k)
      if (openingOf_[k] == pair && rest.starts_with(phrases_[k])) found |= std::uint32_t{1} << k;
    return found;
  }
  static void TooShort() {}  // not constexpr: a phrase under three bytes fails to compile

  std::array<std::string_view, N> phrases_;
  std::array<std::uint16_t, N> openingOf_{};    // each phrase's first two bytes
  std::array<std::uint64_t, 1024> heldPairs_{};  // one bit per pair at a phrase's offset 0 or 1
};

}  // namespace talvorix
