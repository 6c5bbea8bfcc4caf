// The whole scan over arbitrary report bytes.
#include <cstdint>
#include <span>

#include "fuzz/fuzz_input.h"
#include "scanner/scan_turn_report.h"

using namespace talvorix;

namespace {

bool Terminated(std::span<const char> field) {
  for (const char c : field) {
    if (c == '\0') return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const ResultTable table = ScanTurnReportText(fuzz::View(data, size));
  fuzz::Require(table.count() >= 0);
  for (int32_t k = 1; k <= table.count(); ++k) {
    const PuzzleResult* record = table.At(k);
    fuzz::Require(record != nullptr);
    fuzz::Require(Terminated(record->text) && Terminated(record->answer) && Terminated(record->title));
  }
  fuzz::Require(table.At(table.count() + 1) == nullptr);
  return 0;
}
