#include "dialog/main_dialog.h"

#include "core/notices.h"
#include "core/text.h"
#include "dialog/dialog_template.h"
#include "scanner/scan_turn_report.h"

namespace talvorix {
namespace {

constexpr auto kEmptyTitle = Cp1250(u8" Feladvány ");

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string_view CommandLineTail(std::string_view commandLine) {
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    i = close == kNpos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && !IsBlankOrControl(commandLine[i])) ++i;
  }
  while (i < commandLine.size() && commandLine[i] != '\0' && IsBlankOrControl(commandLine[i])) ++i;
  return UpToNul(commandLine.substr(i));
}

std::string_view CommandLinePath(std::string_view tail) {
  // Windows quotes every path with a blank in it; a file name never holds a quote.
  if (tail.size() >= 2 && tail.front() == '"' && tail.back() == '"') return tail.substr(1, tail.size() - 2);
  return tail;
}

std::string_view SharedBlockPath(std::span<const char> block) {
  return UpToNul(std::string_view(block.data(), block.size()));
}

MainDialog::MainDialog(DialogView& view, SharedPathBlock& sharedBlock, std::string commandLinePath)
    : view_(view), sharedBlock_(sharedBlock), commandLinePath_(std::move(commandLinePath)) {}

ReportScan MainDialog::ScanPath(std::string path) {
  return [path = std::move(path)](ResultTable* table) { return ScanTurnReport(path, table, kDialogReportLimit); };
}

int32_t MainDialog::LoadTurnReport(const ReportScan& scan) {
  table_.Clear();
  if (scan(&table_) < 0) table_.SetUnreadable();
  return table_.count();
}

void MainDialog::ShowResult(int32_t k) {
  if (table_.count() < 1) return;
  if (k == 0) k = table_.count();
  const PuzzleResult* record = table_.At(k);
  if (record == nullptr) return;
  view_.SetControlText(kAnswerControl, FieldText(record->answer));
  view_.SetControlText(kTextControl, FieldText(record->text));
  view_.SetControlText(kTitleControl, FieldText(record->title));
  view_.SetControlText(kCounterControl, std::to_string(k) + "/" + std::to_string(table_.count()));
  currentIndex_ = k;
}

void MainDialog::ShowNotice() {
  view_.SetControlText(kAnswerControl, "");
  view_.SetControlText(kTextControl, table_.count() < 0 ? kNoSuchFileNotice.view() : kNoPuzzleNotice.view());
  view_.SetControlText(kTitleControl, kEmptyTitle);
  view_.SetControlText(kCounterControl, "");
}

void MainDialog::LoadAndShow(const ReportScan& scan) {
  if (LoadTurnReport(scan) >= 1) {
    ShowResult(1);
  } else {
    ShowNotice();
  }
}

void MainDialog::OnInit() {
  if (commandLinePath_.empty()) return;
  if (commandLinePath_.size() > kMaxCommandLinePath) {
    // Too long to be a path the system could open: refused rather than cut.
    table_.SetUnreadable();
    ShowNotice();
    return;
  }
  LoadAndShow(ScanPath(commandLinePath_));
}

void MainDialog::OnDrop(const ReportScan& scan) {
  view_.BringToForeground();
  LoadAndShow(scan);
}

void MainDialog::OnDrop(const std::string& path) { OnDrop(ScanPath(path)); }

void MainDialog::OnSharedPath() {
  const std::optional<std::span<const char>> block = sharedBlock_.Bytes();
  if (!block) return;  // no block to read: nothing changes
  LoadAndShow(ScanPath(std::string(SharedBlockPath(*block))));
}

void MainDialog::OnPrevious() {
  if (table_.count() < 1) return;
  ShowResult(currentIndex_ - 1);
}

void MainDialog::OnNext() {
  if (table_.count() < 1) return;
  ShowResult(currentIndex_ % table_.count() + 1);
}

void MainDialog::OnClose() { view_.EndDialog(1); }

}  // namespace talvorix
