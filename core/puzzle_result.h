#pragma once
// One solved puzzle as the dialog shows it, and the table of a report's results.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

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

/// A kept record's three fields, as FieldText gives them from a PuzzleResult.
struct RecordView {
  std::string_view text;
  std::string_view answer;
  std::string_view title;
};

/// What Ctrl+C copies from a record (Windows-1250): its answer, or, for an answer cut
/// short with "…", the whole answer written at the end of its text.
std::string_view CopyableAnswer(const RecordView& record);

/// Which solver answered a record: the Hall kind whose solver read the riddle last
/// (a later success replaces an earlier one, as the answer does), or the hermit's kind.
/// kUnknown for a Hall riddle that no kind's keywords name, and for records made
/// without a solver.
enum class PuzzleKind : uint8_t {
  kUnknown,
  kCompass,
  kPurchase,
  kRation,
  kProportion,
  kLitter,
  kSequence,
  kHermit,
  kTruthTeller,
};

/// The kind's name in machine-readable output: "compass", ..., "truth-teller", "unknown".
std::string_view KindName(PuzzleKind kind);

/// What a record's solver knew beyond its three fields.
struct PuzzleOutcome {
  PuzzleKind kind = PuzzleKind::kUnknown;
  bool solved = false;  // false when the answer is "?": unreadable, or a sequence no rule fits
  bool operator==(const PuzzleOutcome&) const = default;
};

/// The results of one report, in the order of the lines that closed their puzzles.
/// A record is kept as its three strings and nothing more, cut as PuzzleResult's fixed
/// widths cut them.
class ResultTable {
 public:
  ResultTable() = default;
  ResultTable(ResultTable&& other) noexcept;
  ResultTable& operator=(ResultTable&& other) noexcept;
  ResultTable(const ResultTable& other);
  ResultTable& operator=(const ResultTable& other);

  /// Adds the record's fields (up to their NULs) and its outcome at the end.
  void Append(const PuzzleResult& record, PuzzleOutcome outcome = {});
  /// Adds a record from its three fields, each cut as SetField cuts it.
  void Append(const RecordView& record, PuzzleOutcome outcome = {});
  /// Drops every record and sets the count to 0.
  void Clear();
  /// Record k, 1-based; nullopt outside 1..count. The view is valid until the table
  /// changes.
  std::optional<RecordView> View(int32_t k) const;
  /// Record k's outcome, 1-based; the default outcome outside 1..count.
  PuzzleOutcome Outcome(int32_t k) const;

  /// -1: the report could not be opened; 0: no records; n: n records.
  int32_t count() const { return count_; }
  /// Marks the table as the outcome of a report that could not be opened.
  void SetUnreadable();

 private:
  /// The number of records kept (0 for an unreadable report).
  int32_t size() const { return static_cast<int32_t>(starts_.size()); }

  // Fields are stored as "text\0answer\0title\0" in blocks that are never moved, so
  // a growing table copies no record and wastes less than one record per block.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t blockUsed_ = 0;
  std::vector<const char*> starts_;
  std::vector<PuzzleOutcome> outcomes_;  // one per record, beside starts_
  int32_t count_ = 0;
};

}  // namespace talvorix
