#pragma once
// Truth formulas over the five speakers: an ordered or of partial assignments.

#include <array>
#include <cstdint>
#include <vector>

namespace talvorix {

/// A speaker's truth value in a row.
inline constexpr int32_t kUndecided = 0;
inline constexpr int32_t kTruthful = 1;
inline constexpr int32_t kLiar = 2;

inline constexpr int32_t kSpeakerCount = 5;
/// Variables 0-4 say that speaker v is truthful, 5-9 that speaker v - 5 lies.
inline constexpr int32_t kVariableCount = 2 * kSpeakerCount;

/// The and of the values that are not kUndecided; position i belongs to speaker i.
using TruthRow = std::array<int32_t, kSpeakerCount>;

/// The or of its rows, in order; the empty set means false.
struct TruthSet {
  std::vector<TruthRow> rows;

  /// Replaces the content by the one row of variable v; v outside 0-9 leaves the set empty.
  void MakeVariable(int32_t v);
  /// Replaces the content by copies of other's rows, then removes repeated rows.
  void Assign(const TruthSet& other);
  /// Keeps the first occurrence of every row, in order.
  void Deduplicate();
  /// The number of rows.
  int32_t count() const { return static_cast<int32_t>(rows.size()); }
};

/// A set holding the one row of variable v (empty for v outside 0-9).
TruthSet Variable(int32_t v);

/// The rows of a, then those of b, without repeats.
TruthSet Or(const TruthSet& a, const TruthSet& b);

/// Every non-conflicting pair (row of a, then row of b) merged, b's decided values
/// written over a's; pairs ordered by a's row, then b's; without repeats.
TruthSet And(const TruthSet& a, const TruthSet& b);

}  // namespace talvorix
