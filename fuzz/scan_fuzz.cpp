// The whole scan over arbitrary report bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "scanner/scan_turn_report.h"

using namespace talvorix;

namespace {

/// A kept field fits its PuzzleResult field with the NUL and ends at its first NUL.
bool Fits(std::string_view field, std::size_t width) {
  return field.size() < width && field.find('\0') == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const ResultTable table = ScanTurnReportText(fuzz::View(data, size));
  fuzz::Require(table.count() >= 0);
  for (int32_t k = 1; k <= table.count(); ++k) {
    const std::optional<RecordView> record = table.View(k);
    fuzz::Require(record.has_value());
    fuzz::Require(Fits(record->text, sizeof(PuzzleResult::text)) &&
                  Fits(record->answer, sizeof(PuzzleResult::answer)) &&
                  Fits(record->title, sizeof(PuzzleResult::title)));
  }
  fuzz::Require(!table.View(table.count() + 1));
  return 0;
}
