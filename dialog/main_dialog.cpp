#include "dialog/main_dialog.h"

#include <algorithm>
#include <optional>

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

MainDialog::MainDialog(DialogView& view, std::string commandLinePath, FolderSource* folders)
    : view_(view), commandLinePath_(std::move(commandLinePath)), folders_(folders) {}

ReportScan MainDialog::ScanPath(std::string path) {
  return [path = std::move(path)](ResultTable* table) { return ScanTurnReport(path, table, kDialogReportLimit); };
}

ResultTable MainDialog::ReadTable(const ReportScan& scan) {
  ResultTable table;
  if (scan(&table) < 0) table.SetUnreadable();
  return table;
}

void MainDialog::ShowResult(int32_t k) {
  if (table_.count() < 1) return;
  if (k == 0) k = table_.count();
  const std::optional<RecordView> record = table_.View(k);
  if (!record) return;
  view_.SetControlText(kAnswerControl, record->answer);
  view_.SetControlText(kTextControl, record->text);
  view_.SetControlText(kTitleControl, record->title);
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
  table_.Clear();  // the previous report's records are not kept while the next is read
  ShowTable(ReadTable(scan));
}

void MainDialog::ShowTable(ResultTable table) {
  table_ = std::move(table);
  if (table_.count() >= 1) {
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
  lastReport_ = path;
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
  const int64_t now = folders_->NowMilliseconds();
  settler_.Start(*listing, now, folders_->FileTimeNow());
  lastListing_ = now;
  listingDue_ = false;
  folders_->Watch(folder);
  view_.SetControlText(kHintControl, std::string(kWatchedFolderHint.view()) + folders_->DisplayName(folder));
  // Even the newest report found now is shown only once its save has settled; until
  // then the screen shows no report rather than one from elsewhere or half a save.
  table_.Clear();
  view_.SetControlText(kAnswerControl, "");
  view_.SetControlText(kTextControl, settler_.HasReports() ? std::string_view() : kNoReportYetNotice.view());
  view_.SetControlText(kTitleControl, kEmptyTitle);
  view_.SetControlText(kCounterControl, "");
  Settle(now);
}

void MainDialog::StopWatching() {
  if (watched_.empty()) return;
  watched_.clear();
  settler_.Reset();
  listingDue_ = false;
  folders_->Watch("");
  view_.SetControlText(kHintControl, kIdleHint);
}

ReportScan MainDialog::EntryScan(const std::string& folder, const FolderEntry& entry) const {
  ReportScan scan = folders_->Scan(folder, entry);
  return scan ? scan : ScanPath(PathInFolder(folder, entry.name));
}

void MainDialog::Settle(int64_t now) {
  int64_t wakeIn = 0;
  if (const std::optional<FolderEntry> settled = settler_.Next(now, &wakeIn)) {
    ResultTable table = ReadTable(EntryScan(watched_, *settled));
    if (table.count() < 0 && settler_.RetryUnreadable(settled->name, now)) {
      // Locked or not yet readable: the screen stays until it opens or the retries end.
      wakeIn = wakeIn == 0 ? kRetryIntervalMilliseconds : std::min(wakeIn, kRetryIntervalMilliseconds);
    } else {
      ShowTable(std::move(table));
    }
  }
  if (listingDue_) {
    const int64_t listingIn = std::max<int64_t>(1, kListingIntervalMilliseconds - (now - lastListing_));
    wakeIn = wakeIn == 0 ? listingIn : std::min(wakeIn, listingIn);
  }
  if (wakeIn > 0) folders_->WakeIn(wakeIn);
}

void MainDialog::OnFolderChanged() {
  if (watched_.empty()) return;
  const int64_t now = folders_->NowMilliseconds();
  if (now - lastListing_ < kListingIntervalMilliseconds) {
    // A burst of notifications costs one listing per interval, not one each.
    listingDue_ = true;
    Settle(now);
    return;
  }
  listingDue_ = false;
  lastListing_ = now;
  // An unreadable listing (the folder removed or renamed) leaves the reports as they were.
  if (const std::optional<std::vector<FolderEntry>> listing = folders_->List(watched_)) settler_.Update(*listing, now);
  Settle(now);
}

void MainDialog::OnFolderFilesChanged(std::span<const std::string> names) {
  if (watched_.empty()) return;
  const int64_t now = folders_->NowMilliseconds();
  for (const std::string& name : names)
    if (IsReportName(name)) settler_.Update(name, folders_->Stat(watched_, name), now);
  Settle(now);
}

void MainDialog::OnFolderWake() {
  if (watched_.empty()) return;
  if (listingDue_ && folders_->NowMilliseconds() - lastListing_ >= kListingIntervalMilliseconds) {
    OnFolderChanged();
    return;
  }
  Settle(folders_->NowMilliseconds());
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

void MainDialog::OnHandedOverPath(std::string path) { TakePath(path); }

void MainDialog::OnOpenFile(const std::string& path) {
  lastReport_ = path;
  OnOpenFile(ScanPath(path));
}

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
  const std::optional<RecordView> record = table_.View(currentIndex_);
  if (!record) return;
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
