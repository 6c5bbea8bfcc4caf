#pragma once
// Truth formulas over the five speakers: an ordered or of partial assignments.

#include <array>
#include <cstdint>
#include <vector>

namespace talvorix {

/// A speaker's truth value in a row.
enum class Truth : int32_t {
  kUndecided,  ///< the row says nothing about the speaker
  kTruthful,
  kLiar,
};

inline constexpr int32_t kSpeakerCount = 5;

/// The and of the values that are not Truth::kUndecided; position i belongs to speaker i.
using TruthRow = std::array<Truth, kSpeakerCount>;

/// The or of its rows, in order; the empty set means false.
struct TruthSet {
  std::vector<TruthRow> rows;

  /// Replaces the content by the one row in which `speaker` has `value`; a speaker
  /// outside 0-4 or an undecided value leaves the set empty.
  void MakeVariable(int32_t speaker, Truth value);
  /// Replaces the content by copies of other's rows, then removes repeated rows.
  void Assign(const TruthSet& other);
  /// Keeps the first occurrence of every row, in order.
  void Deduplicate();
  /// The number of rows.
  int32_t count() const { return static_cast<int32_t>(rows.size()); }
};

/// A set holding the one row in which `speaker` has `value` (empty for a speaker
/// outside 0-4 or an undecided value).
TruthSet Variable(int32_t speaker, Truth value);

/// The rows of a, then those of b, without repeats.
TruthSet Or(const TruthSet& a, const TruthSet& b);

/// Every non-conflicting pair (row of a, then row of b) merged, b's decided values
/// written over a's; pairs ordered by a's row, then b's; without repeats.
TruthSet And(const TruthSet& a, const TruthSet& b);

}  // namespace talvorix
