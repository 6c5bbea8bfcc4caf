#pragma once
// A report as the page shows it: read by path exactly as talvorix-cli reads it, each
// record handed out in UTF-8.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/puzzle_result.h"

namespace talvorix {

/// One record's fields as the page shows them, decoded from Windows-1250 to UTF-8.
struct PageRecord {
  std::string text;
  std::string answer;
  std::string title;
  std::string copied;  // what "Megoldás másolása" puts on the clipboard
};

/// The records of the last report read; the page asks for them one at a time.
class PageReport {
 public:
  /// Reads the report at `path` (saved pages included, no size limit) in place of the
  /// one before. Returns the count: -1 when it cannot be read, else the records found.
  int32_t Load(const std::string& path);

  /// -1, 0 or the number of records of the last Load (0 before any).
  int32_t count() const { return table_.count(); }

  /// Record k, 1-based; nullopt outside 1..count.
  std::optional<PageRecord> Record(int32_t k) const;

  /// Appends record k's four fields (text, answer, title, copied) in UTF-8 to `out`, and
  /// stores each field's length in UTF-16 code units in `units` (one per Windows-1250
  /// byte: every byte decodes to one character of the Basic Multilingual Plane). False
  /// outside 1..count, with nothing appended.
  bool AppendRecord(int32_t k, std::string* out, std::array<uint32_t, 4>* units) const;

  /// What the page shows instead of records for a count of -1 or 0 (UTF-8).
  static std::string Notice(int32_t count);

 private:
  ResultTable table_;
};

}  // namespace talvorix
