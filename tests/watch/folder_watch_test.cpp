// The folder watch's own pieces: report names, paths, and a real folder's listing and
// change notifications.

#include "watch/folder_watch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "watch/folder_events.h"
#include "watch/folder_listing.h"

namespace talvorix {
namespace {

namespace fs = std::filesystem;

TEST(FolderNames, ReportsAndComponents) {
  struct Case {
    std::string_view name;
    bool report;
  };
  const Case kReports[] = {{"a.html", true}, {"a.HTM", true}, {"a.HtMl", true}, {"a.htm.txt", false},
                           {"a.shtml", false}, {"a.htmlx", false}, {".html", false}, {"html", false}, {"", false},
                           {"a.mht", true}, {"a.MHTML", true}, {".mhtml", false},
                           {"a.html.part", false}, {"a.html.crdownload", false}, {"a.html.download", false},
                           {"a.html.tmp", false}, {"a.html~", false}};
  for (const Case& c : kReports) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsReportName(c.name), c.report);
  }
  struct Component {
    std::string_view path;
    std::string_view last;
  };
  const Component kComponents[] = {{"/home/p/Letöltések", "Letöltések"}, {"/home/p/dl/", "dl"},
                                   {"C:\\Users\\p\\Downloads\\\\", "Downloads"}, {"dl", "dl"}, {"/", ""}};
  for (const Component& c : kComponents) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(LastPathComponent(c.path), c.last);
  }
  EXPECT_EQ(PathInFolder("/d", "a.html"), "/d/a.html");
  EXPECT_EQ(PathInFolder("/d/", "a.html"), "/d/a.html");
}

/// A folder of its own under the test's temporary directory, removed at the end.
struct TempFolder {
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "talvorix-watch-XXXXXX").string();
    path = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) fs::remove_all(path, ignored);
  }
  void Write(const std::string& name, std::string_view bytes) const {
    std::ofstream(path + "/" + name, std::ios::binary) << bytes;
  }
  std::string path;
};

std::set<std::string> Names(const std::vector<FolderEntry>& entries) {
  std::set<std::string> names;
  for (const FolderEntry& entry : entries) names.insert(entry.name);
  return names;
}

TEST(FolderListing, TakesReportFilesOnly) {
  TempFolder folder;
  ASSERT_FALSE(folder.path.empty());
  folder.Write("a.html", "12345");
  folder.Write("b.HTM", "");
  folder.Write("c.mhtml", "x");
  folder.Write("notes.txt", "not a report");
  folder.Write("d.html.part", "half");
  fs::create_directory(folder.path + "/e.html");  // a folder with a report's name
  ASSERT_EQ(symlink("a.html", (folder.path + "/link.html").c_str()), 0);  // followed
  ASSERT_EQ(symlink("missing.html", (folder.path + "/dangling.html").c_str()), 0);

  const std::optional<std::vector<FolderEntry>> listing = ListFolder(folder.path);
  ASSERT_TRUE(listing.has_value());
  EXPECT_EQ(Names(*listing), (std::set<std::string>{"a.html", "b.HTM", "c.mhtml", "link.html"}));
  for (const FolderEntry& entry : *listing) {
    SCOPED_TRACE(entry.name);
    const std::optional<FolderEntry> one = StatFolderFile(folder.path, entry.name);
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(*one, entry);
    if (entry.name == "a.html" || entry.name == "link.html") {
      EXPECT_EQ(entry.size, 5u);
    }
    EXPECT_GT(entry.modified, 0);
    EXPECT_LE(entry.modified, FileTimeNow());
  }
}

TEST(FolderListing, RefusesWhatIsNoFileOfTheFolder) {
  TempFolder folder;
  ASSERT_FALSE(folder.path.empty());
  folder.Write("a.html", "x");
  fs::create_directory(folder.path + "/sub");
  folder.Write("sub/b.html", "x");
  const std::string kNames[] = {"", ".", "..", "missing.html", "sub", "sub/b.html", "../a.html"};
  for (const std::string& name : kNames) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(StatFolderFile(folder.path, name).has_value());
  }
  EXPECT_FALSE(ListFolder(folder.path + "/missing").has_value());
  EXPECT_FALSE(ListFolder(folder.path + "/a.html").has_value());
  EXPECT_FALSE(ListFolder("").has_value());
  EXPECT_TRUE(IsFolderPath(folder.path));
  EXPECT_FALSE(IsFolderPath(folder.path + "/a.html"));
  EXPECT_FALSE(IsFolderPath(""));
}

TEST(FolderEvents, NamesTheFilesThatChanged) {
  TempFolder folder;
  ASSERT_FALSE(folder.path.empty());
  FolderEvents events;
  if (!events.Open(folder.path)) GTEST_SKIP() << "no change notifications on this system";
  folder.Write("a.html", "x");
  fs::rename(folder.path + "/a.html", folder.path + "/b.html");
  std::set<std::string> seen;
  for (int i = 0; i < 50 && seen.size() < 2; ++i) {
    bool ready = false;
    const FolderChanges changes = events.Wait(100, &ready);
    EXPECT_FALSE(changes.gone);
    seen.insert(changes.names.begin(), changes.names.end());
  }
  EXPECT_EQ(seen, (std::set<std::string>{"a.html", "b.html"}));

  fs::remove_all(folder.path);
  bool gone = false;
  for (int i = 0; i < 50 && !gone; ++i) {
    bool ready = false;
    gone = events.Wait(100, &ready).gone;
  }
  EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace talvorix
