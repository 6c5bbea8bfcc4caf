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

std::string_view CopyableAnswer(const PuzzleResult& record) {
  static constexpr auto kEllipsis = Cp1250(u8"…");
  const std::string_view answer = FieldText(record.answer);
  if (!answer.ends_with(kEllipsis.view())) return answer;
  // A cut answer is written whole on the text's last line, after the answer label.
  const std::string_view text = FieldText(record.text);
  const std::size_t line = text.rfind('\n');
  if (line == kNpos) return answer;
  const std::string_view last = text.substr(line + 1);
  if (!last.starts_with(kAnswerLabel.view()) || last.size() == kAnswerLabel.view().size()) return answer;
  return last.substr(kAnswerLabel.view().size());
}

MainDialog::MainDialog(DialogView& view, SharedPathBlock& sharedBlock, std::string commandLinePath,
                       FolderSource* folders)
    : view_(view), sharedBlock_(sharedBlock), commandLinePath_(std::move(commandLinePath)), folders_(folders) {}

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

void MainDialog::TakePath(const std::string& path) {
  if (folders_ != nullptr && folders_->IsFolder(path)) {
    StartWatching(folders_->FolderName(path));
    return;
  }
  StopWatching();
  LoadAndShow(ScanPath(path));
}

void MainDialog::StartWatching(const std::string& folder) {
  const std::optional<std::vector<FolderEntry>> listing = folders_->List(folder);
  if (!listing) {
    StopWatching();
    table_.Clear();
    table_.SetUnreadable();
    ShowNotice();
    return;
  }
  watched_ = folder;
  settler_.Reset();
  folders_->Watch(folder);
  view_.SetControlText(kHintControl, std::string(kWatchedFolderHint.view()) + folders_->DisplayName(folder));
  if (const FolderEntry* newest = NewestReport(*listing)) {
    // Shown at once; should it still be growing, the complete save replaces it.
    settler_.Shown(*newest);
    LoadAndShow(EntryScan(folder, *newest));
  } else {
    table_.Clear();
    view_.SetControlText(kAnswerControl, "");
    view_.SetControlText(kTextControl, kNoReportYetNotice);
    view_.SetControlText(kTitleControl, kEmptyTitle);
    view_.SetControlText(kCounterControl, "");
  }
  OnFolderChanged();
}

void MainDialog::StopWatching() {
  if (watched_.empty()) return;
  watched_.clear();
  settler_.Reset();
  folders_->Watch("");
  view_.SetControlText(kHintControl, kIdleHint);
}

ReportScan MainDialog::EntryScan(const std::string& folder, const FolderEntry& entry) const {
  ReportScan scan = folders_->Scan(folder, entry);
  return scan ? scan : ScanPath(PathInFolder(folder, entry.name));
}

void MainDialog::OnFolderChanged() {
  if (watched_.empty()) return;
  // An unreadable listing (the folder removed or renamed) leaves the screen as it is.
  const std::optional<std::vector<FolderEntry>> listing = folders_->List(watched_);
  if (!listing) return;
  int64_t wakeIn = 0;
  const std::optional<FolderEntry> settled = settler_.Look(*listing, folders_->NowMilliseconds(), &wakeIn);
  if (settled) LoadAndShow(EntryScan(watched_, *settled));
  if (wakeIn > 0) folders_->WakeIn(wakeIn);
}

void MainDialog::OnInit() {
  if (commandLinePath_.empty()) return;
  if (commandLinePath_.size() > kMaxCommandLinePath) {
    // Too long to be a path the system could open: refused rather than cut.
    table_.SetUnreadable();
    ShowNotice();
    return;
  }
  TakePath(commandLinePath_);
}

void MainDialog::OnDrop(const ReportScan& scan) {
  view_.BringToForeground();
  StopWatching();
  LoadAndShow(scan);
}

void MainDialog::OnDrop(const std::string& path) {
  view_.BringToForeground();
  TakePath(path);
}

void MainDialog::OnDropFolder(const std::string& folder) {
  if (folders_ == nullptr) return OnDrop(folder);
  view_.BringToForeground();
  StartWatching(folder);
}

void MainDialog::OnSharedPath() {
  const std::optional<std::span<const char>> block = sharedBlock_.Bytes();
  if (!block) return;  // no block to read: nothing changes
  TakePath(std::string(SharedBlockPath(*block)));
}

void MainDialog::OnOpenFile(const std::string& path) { OnOpenFile(ScanPath(path)); }

void MainDialog::OnOpenFile(const ReportScan& scan) {
  StopWatching();
  LoadAndShow(scan);
}

void MainDialog::OnWatchFolder(const std::string& folder) {
  if (folders_ == nullptr) return;
  StartWatching(folder);
}

void MainDialog::OnCopy() {
  if (table_.count() < 1) return;
  const PuzzleResult* record = table_.At(currentIndex_);
  if (record == nullptr) return;
  view_.CopyText(CopyableAnswer(*record));
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
