// Watching a folder: the dialog logic over a fake folder and a fake clock. The fake
// folder's listing is what the test says; the reports it names exist on disk, each with
// as many riddles as tell them apart.
#include "dialog/folder_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "core/cp1250.h"
#include "core/puzzle_result.h"
#include "dialog/dialog_template.h"
#include "dialog/main_dialog.h"
#include "tests/core/win1250.h"
#include "tests/scanner/report_fixtures.h"

namespace talvorix {
namespace {

struct RecordingView : DialogView {
  std::vector<std::string> calls;  // "id=text" in UTF-8, "front", "end=N", "copy=text"
  void SetControlText(int controlId, std::string_view cp1250) override {
    calls.push_back(std::to_string(controlId) + "=" + Cp1250ToUtf8(cp1250));
  }
  void BringToForeground() override { calls.push_back("front"); }
  void EndDialog(int result) override { calls.push_back("end=" + std::to_string(result)); }
  void CopyText(std::string_view cp1250) override { calls.push_back("copy=" + Cp1250ToUtf8(cp1250)); }
  /// The last text set in a control; empty when none was.
  std::string Last(int controlId) const {
    const std::string prefix = std::to_string(controlId) + "=";
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
      if (it->starts_with(prefix)) return it->substr(prefix.size());
    return {};
  }
};

struct FakeFolder : FolderSource {
  std::map<std::string, std::vector<FolderEntry>> folders;  // readable folders
  std::vector<std::string> unreadable;                       // folders whose listing fails
  std::vector<std::string> locked;                           // reports that cannot be opened
  int64_t now = 1000;
  int64_t fileNow = 100;  // the present in the listings' time unit
  std::string watched;
  int64_t wakeIn = 0;
  int64_t wakeAt = 0;  // when the wake asked for is due; 0 for none
  int listings = 0;

  ReportScan Scan(const std::string& /*folder*/, const FolderEntry& entry) override {
    if (std::find(locked.begin(), locked.end(), entry.name) == locked.end()) return {};
    return [](ResultTable*) { return -1; };
  }
  int64_t FileTimeNow() override { return fileNow; }
  std::optional<FolderEntry> Stat(const std::string& folder, const std::string& name) override {
    const auto found = folders.find(folder);
    if (found == folders.end()) return std::nullopt;
    for (const FolderEntry& entry : found->second)
      if (entry.name == name) return entry;
    return std::nullopt;
  }

  bool IsFolder(const std::string& path) override {
    return folders.contains(path) || std::find(unreadable.begin(), unreadable.end(), path) != unreadable.end();
  }
  std::optional<std::vector<FolderEntry>> List(const std::string& folder) override {
    ++listings;
    const auto found = folders.find(folder);
    if (found == folders.end()) return std::nullopt;
    return found->second;
  }
  int64_t NowMilliseconds() override { return now; }
  void Watch(const std::string& folder) override { watched = folder; }
  void WakeIn(int64_t milliseconds) override {
    wakeIn = milliseconds;
    wakeAt = now + milliseconds;
  }
  std::string DisplayName(const std::string& folder) override { return std::string(LastPathComponent(folder)); }
};

/// A report with `count` riddles.
std::string ReportWith(int count) {
  std::string report = test::Win1250(u8"<HTML>\r\n");
  for (int i = 0; i < count; ++i) report += test::Win1250(u8"\r\nEgy ős!\r\nKérdés:<BR>\r\nMennyi 2 meg 2?<BR>\r\n");
  return report;
}

/// The reports on disk: the number of riddles names the file.
const std::map<std::string, int> kRiddlesIn = {{"a.html", 1}, {"b.htm", 2}, {"c.HTML", 3}, {"notes.txt", 4}};

struct Watch {
  TempDir dir;
  RecordingView view;
  FakeFolder folder;
  MainDialog dialog{view, "", &folder};

  Watch() {
    for (const auto& [name, riddles] : kRiddlesIn) dir.Write(name, ReportWith(riddles));
    folder.folders[dir.path()] = {};
  }
  std::vector<FolderEntry>& listing() { return folder.folders[dir.path()]; }
  /// How many records the report on screen has; -1 or 0 for a notice, -2 before any.
  int32_t shown() const { return dialog.table().count(); }
  /// Lets time pass as an event loop would: each wake asked for comes when it is due.
  void Advance(int64_t milliseconds) {
    const int64_t end = folder.now + milliseconds;
    while (folder.wakeAt > 0 && folder.wakeAt <= end) {
      folder.now = folder.wakeAt;
      folder.wakeAt = 0;
      dialog.OnFolderWake();
    }
    folder.now = end;
  }
  /// Lets the time for a save to settle pass.
  void Settle() { Advance(kStableMilliseconds); }
  /// How many times a report's first record was shown.
  int loads() const {
    int n = 0;
    for (const std::string& call : view.calls) n += call.starts_with("1007=1/") ? 1 : 0;
    return n;
  }
};

TEST(FolderWatch, StartShowsTheNewestReportOnceSettled) {
  struct Case {
    const char* name;
    std::vector<FolderEntry> listing;
    int32_t want;  // records of the report shown; 0 for the notice of an empty folder
  };
  const Case kCases[] = {
      {"newest by time", {{"a.html", 9, 1}, {"b.htm", 9, 3}, {"c.HTML", 9, 2}}, 2},
      {"equal times: the greatest name", {{"b.htm", 9, 5}, {"a.html", 9, 5}}, 2},
      {"a newer non-report is ignored", {{"a.html", 9, 1}, {"notes.txt", 9, 8}}, 1},
      {"a future time counts as the present", {{"a.html", 9, 5000}, {"b.htm", 9, 100}}, 2},
      {"an empty placeholder is no report", {{"a.html", 9, 1}, {"c.HTML", 0, 9}}, 1},
      {"no report yet", {{"notes.txt", 9, 8}}, 0},
      {"only a placeholder", {{"c.HTML", 0, 9}}, 0},
      {"empty", {}, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Watch w;
    w.listing() = c.listing;
    w.dialog.OnDrop(w.dir.path());
    EXPECT_EQ(w.folder.watched, w.dir.path());
    EXPECT_EQ(w.dialog.watchedFolder(), w.dir.path());
    EXPECT_EQ(w.view.Last(kHintControl), "Figyelt mappa: " + std::string(LastPathComponent(w.dir.path())));
    // Nothing is shown before the save has held still, even one found at the start.
    EXPECT_EQ(w.shown(), 0);
    EXPECT_EQ(w.loads(), 0);
    EXPECT_EQ(w.view.Last(kTextControl), c.want == 0 ? "Még nincs forduló ebben a mappában" : "");
    EXPECT_EQ(w.folder.wakeIn, c.want == 0 ? 0 : kStableMilliseconds);
    w.Settle();
    EXPECT_EQ(w.shown(), c.want);
    EXPECT_EQ(w.loads(), c.want == 0 ? 0 : 1);
  }
}

/// One look at the folder: the listing then, the time passed since the last look, and
/// what the screen shows after it.
struct Look {
  std::vector<FolderEntry> listing;
  int64_t after;
  int32_t shown;  // records on screen; 0 for none
  int loads;      // reports loaded since watching began
};

struct SettleCase {
  const char* name;
  std::vector<FolderEntry> start;
  std::vector<Look> looks;
  std::vector<std::string> locked = {};  // reports that cannot be opened
  std::size_t unlockBefore = SIZE_MAX;    // the look before which they open
};

/// Watches a folder that holds `start` and has settled, then takes each look in turn.
void RunLooks(const SettleCase& c, bool named) {
  SCOPED_TRACE(c.name);
  SCOPED_TRACE(named ? "named notifications" : "listings");
  Watch w;
  w.listing() = c.start;
  w.dialog.OnWatchFolder(w.dir.path());
  w.Settle();
  w.folder.locked = c.locked;
  for (std::size_t i = 0; i < c.looks.size(); ++i) {
    SCOPED_TRACE("look " + std::to_string(i));
    const Look& look = c.looks[i];
    if (i == c.unlockBefore) w.folder.locked.clear();
    w.Advance(look.after);
    std::vector<std::string> changed;
    for (const FolderEntry& entry : w.listing()) changed.push_back(entry.name);
    for (const FolderEntry& entry : look.listing) changed.push_back(entry.name);
    w.listing() = look.listing;
    if (named) {
      w.dialog.OnFolderFilesChanged(changed);
    } else {
      w.dialog.OnFolderChanged();
    }
    EXPECT_EQ(w.shown(), look.shown);
    EXPECT_EQ(w.loads(), look.loads);
  }
}

TEST(FolderWatch, ReportsLoadOnceSettled) {
  const FolderEntry a{"a.html", 10, 1};
  const FolderEntry b{"b.htm", 10, 5};
  const SettleCase kCases[] = {
      {"a new report waits 300 ms", {}, {{{b}, 0, 0, 0}, {{b}, 299, 0, 0}, {{b}, 1, 2, 1}, {{b}, 500, 2, 1}}},
      {"a newer report replaces the shown one", {a}, {{{a, b}, 0, 1, 1}, {{a, b}, 300, 2, 2}}},
      {"a growing save is loaded only once it holds still",
       {},
       {{{{"b.htm", 10, 5}}, 0, 0, 0},
        {{{"b.htm", 20, 6}}, 250, 0, 0},
        {{{"b.htm", 30, 7}}, 250, 0, 0},
        {{{"b.htm", 30, 7}}, 250, 0, 0},
        {{{"b.htm", 30, 7}}, 50, 2, 1}}},
      {"the shown report rewritten in place loads again", {a}, {{{{"a.html", 20, 2}}, 0, 1, 1}, {{{"a.html", 20, 2}}, 300, 1, 2}}},
      {"a new non-report is ignored", {a}, {{{a, {"notes.txt", 5, 9}}, 1000, 1, 1}}},
      {"an emptied folder keeps the last report", {a}, {{{}, 0, 1, 1}, {{}, 1000, 1, 1}}},
      {"a removed report does not bring back an older one", {a, b}, {{{a}, 0, 2, 1}, {{a}, 300, 2, 1}}},
      {"an older report rewritten now loads", {a, b}, {{{{"a.html", 20, 9}, b}, 0, 2, 1}, {{{"a.html", 20, 9}, b}, 300, 1, 2}}},
      // Saves are ranked by when they were seen to settle, not by their time stamps.
      {"a save dated before the shown report still loads", {b}, {{{b, a}, 0, 2, 1}, {{b, a}, 300, 1, 2}}},
      {"a report dated in the future hides no later save",
       {{"b.htm", 10, 999'999}},
       {{{{"b.htm", 10, 999'999}, a}, 0, 2, 1}, {{{"b.htm", 10, 999'999}, a}, 300, 1, 2}}},
      {"a save with the shown time and a smaller name loads",
       {{"b.htm", 10, 4}},
       {{{{"b.htm", 10, 4}, {"a.html", 10, 4}}, 0, 2, 1}, {{{"b.htm", 10, 4}, {"a.html", 10, 4}}, 300, 1, 2}}},
      {"an empty placeholder, then the page written into it",
       {},
       {{{{"c.HTML", 0, 7}}, 0, 0, 0},
        {{{"c.HTML", 0, 7}}, 1000, 0, 0},
        {{{"c.HTML", 500, 8}}, 10, 0, 0},
        {{{"c.HTML", 500, 8}}, 600, 3, 1}}},
      {"a partial download renamed to its report's name",
       {a},
       {{{a, {"c.HTML.crdownload", 10, 7}}, 0, 1, 1},
        {{a, {"c.HTML.crdownload", 90, 8}}, 1000, 1, 1},
        {{a, {"c.HTML", 90, 8}}, 10, 1, 1},
        {{a, {"c.HTML", 90, 8}}, 600, 3, 2}}},
      {"a growing file holds back no other save",
       {a},
       {{{a, {"c.HTML", 10, 7}}, 0, 1, 1},
        {{a, {"c.HTML", 20, 8}, b}, 250, 1, 1},
        {{a, {"c.HTML", 30, 9}, b}, 250, 1, 1},
        {{a, {"c.HTML", 40, 10}, b}, 250, 2, 2},
        {{a, {"c.HTML", 40, 10}, b}, 300, 3, 3}}},
      {"a locked report is tried again and loads once it opens",
       {a},
       {{{a, b}, 0, 1, 1}, {{a, b}, 300, 1, 1}, {{a, b}, 1000, 1, 1}, {{a, b}, 300, 2, 2}},
       {"b.htm"},
       3},
      {"a report that stays locked shows as unreadable",
       {a},
       {{{a, b}, 0, 1, 1}, {{a, b}, 300, 1, 1}, {{a, b}, kUnreadableRetryMilliseconds, -1, 1}, {{a, b}, 1000, -1, 1}},
       {"b.htm"},
       3},
  };
  for (const SettleCase& c : kCases) {
    RunLooks(c, false);
    RunLooks(c, true);
  }
}

TEST(FolderWatch, WaitsAreAskedForAndNeverBusy) {
  Watch w;
  w.dialog.OnWatchFolder(w.dir.path());
  EXPECT_EQ(w.folder.wakeIn, 0);  // nothing to wait for
  w.listing() = {{"a.html", 10, 1}};
  w.folder.now += kListingIntervalMilliseconds;
  w.dialog.OnFolderChanged();
  EXPECT_EQ(w.folder.wakeIn, kStableMilliseconds);
  w.folder.wakeIn = 0;
  w.folder.now += 100;
  const std::string names[] = {"a.html"};
  w.dialog.OnFolderFilesChanged(names);  // a change notification in between
  EXPECT_EQ(w.folder.wakeIn, kStableMilliseconds - 100);
}

TEST(FolderWatch, ListingsAreRateLimited) {
  Watch w;
  w.dialog.OnWatchFolder(w.dir.path());
  const int before = w.folder.listings;
  // A burst of unnamed changes within one interval: one listing, one wake for the rest.
  for (int i = 0; i < 100; ++i) {
    w.folder.now += 1;
    w.dialog.OnFolderChanged();
  }
  EXPECT_EQ(w.folder.listings, before);
  EXPECT_GT(w.folder.wakeIn, 0);
  EXPECT_LE(w.folder.wakeIn, kListingIntervalMilliseconds);
  w.listing() = {{"a.html", 10, 1}};
  w.folder.now += w.folder.wakeIn;
  w.dialog.OnFolderWake();
  EXPECT_EQ(w.folder.listings, before + 1);
  w.Settle();
  EXPECT_EQ(w.shown(), 1);
  // Named changes and wakes never list the folder.
  const std::string names[] = {"a.html", "notes.txt"};
  for (int i = 0; i < 10; ++i) {
    w.folder.now += 1000;
    w.dialog.OnFolderFilesChanged(names);
    w.dialog.OnFolderWake();
  }
  EXPECT_EQ(w.folder.listings, before + 1);
}

TEST(FolderWatch, EndsOrMovesWithTheNextPath) {
  struct Case {
    const char* name;
    bool other;     // the next path is another (readable) folder
    bool file;      // the next path is a report file
    bool dropped;   // arrives by a drop rather than the menu
    std::string wantWatched;
  };
  const Case kCases[] = {
      {"a dropped file", false, true, true, ""},
      {"an opened file", false, true, false, ""},
      {"another folder dropped", true, false, true, "other"},
      {"another folder chosen", true, false, false, "other"},
      {"an unreadable folder", false, false, true, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Watch w;
    w.listing() = {{"b.htm", 10, 1}};
    w.dialog.OnDrop(w.dir.path());
    w.Settle();
    ASSERT_EQ(w.shown(), 2);
    const std::string other = w.dir / "other";
    w.folder.folders[other] = {};
    w.folder.unreadable = {w.dir / "locked"};
    const std::string next = c.file ? w.dir / "c.HTML" : c.other ? other : w.dir / "locked";
    if (c.dropped) {
      w.dialog.OnDrop(next);
    } else if (c.file) {
      w.dialog.OnOpenFile(next);
    } else {
      w.dialog.OnWatchFolder(next);
    }
    const std::string wantWatched = c.wantWatched.empty() ? "" : other;
    EXPECT_EQ(w.dialog.watchedFolder(), wantWatched);
    EXPECT_EQ(w.folder.watched, wantWatched);
    EXPECT_EQ(w.view.Last(kHintControl), wantWatched.empty() ? "Húzd rá a fordulót" : "Figyelt mappa: other");
    EXPECT_EQ(w.shown(), c.file ? 3 : c.other ? 0 : -1);
    if (!c.file && !c.other) {
      EXPECT_EQ(w.view.Last(kTextControl), "Nincs ilyen fájl");
    }
    // Once watching has ended, a change in the old folder is not looked at.
    w.listing() = {{"a.html", 10, 9}};
    w.folder.now += 1000;
    w.dialog.OnFolderChanged();
    w.dialog.OnFolderChanged();
    EXPECT_EQ(w.shown(), c.file ? 3 : c.other ? 0 : -1);
  }
}

// A path handed over by another program is taken as a drop's is: a folder is watched,
// a file ends the watch.
TEST(FolderWatch, HandedOverPaths) {
  TempDir dir;
  dir.Write("b.htm", ReportWith(2));
  RecordingView view;
  FakeFolder folder;
  folder.folders[dir.path()] = {{"b.htm", 10, 1}};
  MainDialog dialog(view, "", &folder);
  dialog.OnHandedOverPath(dir.path());
  folder.now += kStableMilliseconds;
  dialog.OnFolderWake();
  EXPECT_EQ(dialog.watchedFolder(), dir.path());
  EXPECT_EQ(dialog.table().count(), 2);
  EXPECT_TRUE(std::find(view.calls.begin(), view.calls.end(), "front") == view.calls.end());
  dialog.OnHandedOverPath(dir / "b.htm");
  EXPECT_EQ(dialog.watchedFolder(), "");
  EXPECT_EQ(folder.watched, "");
  EXPECT_EQ(view.Last(kHintControl), "Húzd rá a fordulót");
}

// A source whose names are not the 8-bit paths (Windows keeps UTF-16 ones): the dialog
// hands it back only its own names and reads reports only through it.
TEST(FolderWatch, ASourceWithNamesOfItsOwn) {
  struct OwnNames : FakeFolder {
    std::vector<std::string> scanned;  // "folder|name" of each report read
    std::string FolderName(const std::string& path) override { return "own:" + path; }
    ReportScan Scan(const std::string& folder, const FolderEntry& entry) override {
      scanned.push_back(folder + "|" + entry.name);
      const std::string path = PathInFolder(folder.substr(4), entry.name);
      return MainDialog::ScanPath(path);
    }
  };
  enum class Way { kDrop, kDropFolder, kWatchFolder, kCommandLine };
  struct Case {
    const char* name;
    Way way;  // an 8-bit path (drop, command line) or the source's own name (the others)
  };
  const Case kCases[] = {
      {"an 8-bit drop", Way::kDrop},
      {"the command line", Way::kCommandLine},
      {"a dropped folder", Way::kDropFolder},
      {"a chosen folder", Way::kWatchFolder},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("b.htm", ReportWith(2));
    dir.Write("c.HTML", ReportWith(3));
    RecordingView view;
    OwnNames folder;
    // The 8-bit path is a folder to IsFolder; every other call knows it by its own name.
    folder.folders[dir.path()] = {};
    const std::string own = "own:" + dir.path();
    folder.folders[own] = {{"b.htm", 10, 1}};
    MainDialog dialog(view, c.way == Way::kCommandLine ? dir.path() : "", &folder);
    dialog.OnInit();
    if (c.way == Way::kDrop) dialog.OnDrop(dir.path());
    if (c.way == Way::kDropFolder) dialog.OnDropFolder(own);
    if (c.way == Way::kWatchFolder) dialog.OnWatchFolder(own);
    folder.now += kStableMilliseconds;
    dialog.OnFolderWake();
    EXPECT_EQ(dialog.watchedFolder(), own);
    EXPECT_EQ(folder.watched, own);
    EXPECT_EQ(dialog.table().count(), 2);
    EXPECT_EQ(view.Last(kHintControl), "Figyelt mappa: " + std::string(LastPathComponent(own)));
    folder.folders[own].push_back({"c.HTML", 10, 5});
    folder.now += kStableMilliseconds;
    dialog.OnFolderChanged();
    folder.now += kStableMilliseconds;
    dialog.OnFolderChanged();
    EXPECT_EQ(dialog.table().count(), 3);
    EXPECT_EQ(folder.scanned, (std::vector<std::string>{own + "|b.htm", own + "|c.HTML"}));
    const bool fronted = std::find(view.calls.begin(), view.calls.end(), "front") != view.calls.end();
    EXPECT_EQ(fronted, c.way == Way::kDrop || c.way == Way::kDropFolder);
  }
}

TEST(FolderWatch, AnUnreadableListingLeavesTheScreen) {
  Watch w;
  w.listing() = {{"b.htm", 10, 1}};
  w.dialog.OnDrop(w.dir.path());
  w.Settle();
  const std::size_t calls = w.view.calls.size();
  w.folder.folders.erase(w.dir.path());
  w.dialog.OnFolderChanged();
  EXPECT_EQ(w.view.calls.size(), calls);
  EXPECT_EQ(w.shown(), 2);
  EXPECT_EQ(w.dialog.watchedFolder(), w.dir.path());
}

TEST(MainDialogCopy, CopiesTheRecordOnScreenOnly) {
  Watch w;
  w.dialog.OnCopy();
  EXPECT_TRUE(w.view.calls.empty());
  w.dialog.OnDrop(w.dir / "b.htm");
  w.dialog.OnNext();
  const std::string answer = w.view.Last(kAnswerControl);
  w.view.calls.clear();
  w.dialog.OnCopy();
  EXPECT_EQ(w.view.calls, std::vector<std::string>{"copy=" + answer});
  w.dialog.OnDrop(w.dir / "missing.html");
  w.view.calls.clear();
  w.dialog.OnCopy();
  EXPECT_TRUE(w.view.calls.empty());
}

}  // namespace
}  // namespace talvorix
