// The engine's interface to JavaScript: plain C functions over one PageReport. The
// page writes a report's bytes into the module's in-memory file system and reads it
// by that path, so it goes through the same opening and reading as talvorix-cli.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "web/page_report.h"

namespace {

talvorix::PageReport& Report() {
  static talvorix::PageReport report;
  return report;
}

/// The record last handed out and where its fields lie; valid until the next call.
struct HandedRecord {
  talvorix::PageRecord record;
  std::array<uintptr_t, 8> fields{};  // address and size in bytes of text, answer, title, copied
};

HandedRecord& Handed() {
  static HandedRecord handed;
  return handed;
}

/// Records from..to of one call of talvorix_records: their fields back to back, and
/// each field's length in UTF-16 code units (what a JavaScript string counts).
struct HandedBatch {
  std::string utf8;
  std::vector<uint32_t> lengths;
  std::array<uintptr_t, 4> where{};  // address and size of utf8, address and count of lengths
};

HandedBatch& Batch() {
  static HandedBatch batch;
  return batch;
}

void Point(std::size_t field, const std::string& text) {
  Handed().fields[2 * field] = reinterpret_cast<uintptr_t>(text.data());
  Handed().fields[2 * field + 1] = text.size();
}

}  // namespace

extern "C" {

/// Reads the report at `path`; returns -1 (unreadable), 0 or the number of records.
int32_t talvorix_scan(const char* path) { return Report().Load(path); }

/// Record k (1-based) in UTF-8: the address and size of its text, answer, title and
/// what copying takes, eight numbers of pointer width; nullptr outside 1..count. For k
/// of 0, the notice for the current count in the place of the text, the rest empty.
const uintptr_t* talvorix_record(int32_t k) {
  HandedRecord& handed = Handed();
  if (k == 0) {
    handed.record = {};
    handed.record.text = talvorix::PageReport::Notice(Report().count());
  } else {
    std::optional<talvorix::PageRecord> record = Report().Record(k);
    if (!record) return nullptr;
    handed.record = std::move(*record);
  }
  Point(0, handed.record.text);
  Point(1, handed.record.answer);
  Point(2, handed.record.title);
  Point(3, handed.record.copied);
  return handed.fields.data();
}

/// Records from..to (1-based, both included, cut to 1..count) in one piece: the UTF-8
/// of their fields back to back (text, answer, title, copied for each record) and the
/// length of each field in UTF-16 code units. Returns four numbers of pointer width:
/// the address and size of the UTF-8, the address and count of the lengths.
const uintptr_t* talvorix_records(int32_t from, int32_t to) {
  HandedBatch& batch = Batch();
  batch.utf8.clear();
  batch.lengths.clear();
  if (from < 1) from = 1;
  if (to > Report().count()) to = Report().count();
  std::array<uint32_t, 4> units{};
  for (int32_t k = from; k <= to && Report().AppendRecord(k, &batch.utf8, &units); ++k)
    batch.lengths.insert(batch.lengths.end(), units.begin(), units.end());
  batch.where = {reinterpret_cast<uintptr_t>(batch.utf8.data()), batch.utf8.size(),
                 reinterpret_cast<uintptr_t>(batch.lengths.data()), batch.lengths.size()};
  return batch.where.data();
}

}  // extern "C"
