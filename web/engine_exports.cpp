// The engine's interface to JavaScript: plain C functions over one PageReport. The
// page writes a report's bytes into the module's in-memory file system and reads it
// by that path, so it goes through the same opening and reading as talvorix-cli.

#include <cstdint>
#include <string>

#include "web/page_report.h"

namespace {

talvorix::PageReport& Report() {
  static talvorix::PageReport report;
  return report;
}

/// The string last handed out; valid until the next call.
std::string& Handed() {
  static std::string handed;
  return handed;
}

/// Which field talvorix_field hands out.
enum Field : int32_t { kText = 0, kAnswer = 1, kTitle = 2, kCopied = 3 };

}  // namespace

extern "C" {

/// Reads the report at `path`; returns -1 (unreadable), 0 or the number of records.
int32_t talvorix_scan(const char* path) { return Report().Load(path); }

/// A field of record k (1-based) as NUL-terminated UTF-8; empty outside 1..count or
/// for an unknown field. For k of 0, the notice for the current count.
const char* talvorix_field(int32_t k, int32_t field) {
  Handed().clear();
  if (k == 0) {
    Handed() = talvorix::PageReport::Notice(Report().count());
    return Handed().c_str();
  }
  const std::optional<talvorix::PageRecord> record = Report().Record(k);
  if (record) {
    switch (field) {
      case kText: Handed() = record->text; break;
      case kAnswer: Handed() = record->answer; break;
      case kTitle: Handed() = record->title; break;
      case kCopied: Handed() = record->copied; break;
      default: break;
    }
  }
  return Handed().c_str();
}

}  // extern "C"
