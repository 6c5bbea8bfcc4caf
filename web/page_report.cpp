#include "web/page_report.h"

#include "core/cp1250.h"
#include "core/notices.h"
#include "scanner/scan_turn_report.h"

namespace talvorix {

int32_t PageReport::Load(const std::string& path) {
  table_.Clear();
  if (ScanTurnReport(path, &table_) < 0) table_.SetUnreadable();
  return table_.count();
}

std::optional<PageRecord> PageReport::Record(int32_t k) const {
  const std::optional<RecordView> view = table_.View(k);
  if (!view) return std::nullopt;
  return PageRecord{Cp1250ToUtf8(view->text), Cp1250ToUtf8(view->answer), Cp1250ToUtf8(view->title),
                    Cp1250ToUtf8(CopyableAnswer(*view))};
}

bool PageReport::AppendRecord(int32_t k, std::string* out, std::array<uint32_t, 4>* units) const {
  const std::optional<RecordView> view = table_.View(k);
  if (!view) return false;
  const std::array<std::string_view, 4> fields = {view->text, view->answer, view->title, CopyableAnswer(*view)};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    AppendUtf8(fields[i], out);
    (*units)[i] = static_cast<uint32_t>(fields[i].size());
  }
  return true;
}

std::string PageReport::Notice(int32_t count) {
  return Cp1250ToUtf8(count < 0 ? kNoSuchFileNotice.view() : kNoPuzzleNotice.view());
}

}  // namespace talvorix
