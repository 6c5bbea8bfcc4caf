#pragma once
// A fixed set of phrases found in one pass over a text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace talvorix {

/// Up to 32 phrases of at least two bytes each, looked for together: one pass over the
/// text tests each pair of adjacent bytes against the phrases' opening pairs, and only
/// where a phrase could begin are the phrases compared. Built at compile time.
template <std::size_t N>
class PhraseSet {
  static_assert(N >= 1 && N <= 32, "a set holds 1 to 32 phrases");

 public:
  /// The phrases are borrowed: they must outlive the set (literals do).
  consteval explicit PhraseSet(const std::array<std::string_view, N>& phrases) : phrases_(phrases) {
    for (const std::string_view phrase : phrases_) {
      if (phrase.size() < 2) TooShort();
      const std::size_t pair = PairAt(phrase, 0);
      openings_[pair / 64] |= std::uint64_t{1} << (pair % 64);
    }
  }

  /// Bit k is set when phrase k occurs in `text`.
  constexpr std::uint32_t Match(std::string_view text) const {
    std::uint32_t found = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      const std::size_t pair = PairAt(text, i);
      if (((openings_[pair / 64] >> (pair % 64)) & 1u) == 0) continue;
      const std::string_view rest = text.substr(i);
      for (std::size_t k = 0; k < N; ++k)
        if (PairAt(phrases_[k], 0) == pair && rest.starts_with(phrases_[k])) found |= std::uint32_t{1} << k;
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
  static void TooShort() {}  // not constexpr: a phrase under two bytes fails to compile

  std::array<std::string_view, N> phrases_;
  std::array<std::uint64_t, 1024> openings_{};
};

}  // namespace talvorix
