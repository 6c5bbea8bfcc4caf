#include "web/page_report.h"

#include "core/cp1250.h"
#include "core/notices.h"
#include "dialog/main_dialog.h"
#include "scanner/scan_turn_report.h"

namespace talvorix {

int32_t PageReport::Load(const std::string& path) {
  table_.Clear();
  if (ScanTurnReport(path, &table_) < 0) table_.SetUnreadable();
  return table_.count();
}

std::optional<PageRecord> PageReport::Record(int32_t k) const {
  const PuzzleResult* record = table_.At(k);
  if (record == nullptr) return std::nullopt;
  // The dialog's own rule for what is copied, so the page copies what the dialog would.
  return PageRecord{Cp1250ToUtf8(FieldText(record->text)), Cp1250ToUtf8(FieldText(record->answer)),
                    Cp1250ToUtf8(FieldText(record->title)), Cp1250ToUtf8(CopyableAnswer(*record))};
}

std::string PageReport::Notice(int32_t count) {
  return Cp1250ToUtf8(count < 0 ? kNoSuchFileNotice.view() : kNoPuzzleNotice.view());
}

}  // namespace talvorix
