#pragma once
// One solved puzzle as the dialog shows it, and the table of a report's results.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <deque>

namespace talvorix {

/// Three NUL-terminated Windows-1250 fields back to back, 1341 bytes in all.
struct PuzzleResult {
  std::array<char, 1300> text{};
  std::array<char, 15> answer{};
  std::array<char, 26> title{};
};
static_assert(sizeof(PuzzleResult) == 1341);
static_assert(offsetof(PuzzleResult, answer) == 1300 && offsetof(PuzzleResult, title) == 1315);

/// Stores s in a field as a NUL-terminated string, cut to the field's width less
/// one; the rest of the field is zeroed. Returns whether s fitted whole.
template <std::size_t N>
bool SetField(std::array<char, N>& field, std::string_view s) {
  const std::size_t n = s.size() < N ? s.size() : N - 1;
  for (std::size_t i = 0; i < n; ++i) field[i] = s[i];
  for (std::size_t i = n; i < N; ++i) field[i] = '\0';
  return n == s.size();
}

/// Appends s to a field's string, cut so that the NUL still fits.
template <std::size_t N>
bool AppendField(std::array<char, N>& field, std::string_view s) {
  std::size_t len = 0;
  while (len < N && field[len] != '\0') ++len;
  if (len >= N) len = N - 1;
  const std::size_t room = N - 1 - len;
  const std::size_t n = s.size() < room ? s.size() : room;
  for (std::size_t i = 0; i < n; ++i) field[len + i] = s[i];
  field[len + n] = '\0';
  return n == s.size();
}

/// A field's string, up to its NUL (or the whole field if it has none).
template <std::size_t N>
std::string_view FieldText(const std::array<char, N>& field) {
  std::size_t len = 0;
  while (len < N && field[len] != '\0') ++len;
  return {field.data(), len};
}

/// The results of one report, in the order of the lines that closed their puzzles.
class ResultTable {
 public:
  /// Adds a copy of the record at the end.
  void Append(const PuzzleResult& record);
  /// Drops every record and sets the count to 0.
  void Clear();
  /// Record k, 1-based; nullptr when k is outside 1..count.
  const PuzzleResult* At(int32_t k) const;

  /// -1: the report could not be opened; 0: no records; n: n records.
  int32_t count() const { return count_; }
  /// Marks the table as the outcome of a report that could not be opened.
  void SetUnreadable();

  const std::deque<PuzzleResult>& records() const { return records_; }

 private:
  // A deque: records stay where they are as the table grows, nothing large is moved.
  std::deque<PuzzleResult> records_;
  int32_t count_ = 0;
};

}  // namespace talvorix
