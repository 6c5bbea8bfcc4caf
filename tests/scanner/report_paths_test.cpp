// Paths that name no readable regular file: they must fail fast with -1, never block
// on a pipe or read a device for ever. A name that changes while it is being opened
// gives -1 or the report it named, nothing else; a report over the caller's byte
// limit gives -1 without being read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "scanner/scan_turn_report.h"
#include "tests/core/win1250.h"
#include "tests/scanner/report_fixtures.h"

namespace talvorix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// One Hall riddle (Windows-1250): the scan keeps exactly one record for it.
const std::string kOneRiddle = test::Win1250("\r\nEgy ős!\r\nKérdés:<BR>\r\nMennyi 2 meg 2?<BR>\r\n");

/// ScanTurnReport on a thread of its own: its count, or nullopt when it took over a second.
std::optional<int32_t> ScanWithinASecond(const std::string& path, std::optional<uint64_t> byteLimit = std::nullopt) {
  return Within(1s, [path, byteLimit] {
    ResultTable table;
    const int32_t count = ScanTurnReport(path, &table, byteLimit);
    return count == table.count() ? count : -2;
  });
}

/// A sparse file of `size` bytes whose last bytes are `tail` (zeros before it).
std::string SparseReport(const std::string& path, uint64_t size, std::string_view tail) {
  std::ofstream(path, std::ios::binary | std::ios::trunc);
  fs::resize_file(path, size - tail.size());
  std::ofstream(path, std::ios::binary | std::ios::app).write(tail.data(), static_cast<std::streamsize>(tail.size()));
  return path;
}

class ReportPaths : public ::testing::Test {
 protected:
  static void ExpectUnreadable(const std::string& path) {
    SCOPED_TRACE(path);
    ResultTable table;
    table.Append(PuzzleResult{});
    const std::optional<int32_t> count = ScanWithinASecond(path);
    ASSERT_TRUE(count.has_value()) << "blocked";
    EXPECT_EQ(*count, -1);
    EXPECT_EQ(ScanTurnReport(path, &table), -1);
    EXPECT_EQ(table.count(), -1);
    EXPECT_FALSE(table.View(1));
  }
  TempDir dir_;
};

TEST_F(ReportPaths, MissingFilesAndFoldersAreUnreadable) {
  for (const std::string& path : {dir_ / "missing.html", dir_.path(), std::string(), dir_ / "x/y"})
    ExpectUnreadable(path);
}

TEST_F(ReportPaths, DevicesAndPipesAreUnreadableWithoutBlocking) {
  for (const char* path : {"/dev/zero", "/dev/urandom", "/dev/null"}) ExpectUnreadable(path);
  for (const FileKind kind : {FileKind::kFifo, FileKind::kZeroLink, FileKind::kDirectory, FileKind::kDirectoryLink}) {
    SCOPED_TRACE(KindName(kind));
    const std::string path = dir_ / "report.html";
    TurnInto(path, kind);
    ExpectUnreadable(path);
  }
}

TEST_F(ReportPaths, FileWithoutReadPermissionIsUnreadable) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string report = dir_.Write("locked.html", "<BR>\n");
  fs::permissions(report, fs::perms::none);
  ExpectUnreadable(report);
  fs::permissions(report, fs::perms::owner_read);
  ResultTable table;
  EXPECT_EQ(ScanTurnReport(report, &table), 0);
}

TEST_F(ReportPaths, SymlinkToAReportIsRead) {
  fs::create_symlink(dir_.Write("report.html", kOneRiddle), dir_ / "link.html");
  ResultTable table;
  EXPECT_EQ(ScanTurnReport(dir_ / "link.html", &table), 1);
}

// Another program swaps the name between a report, a pipe without a writer, /dev/zero
// and a directory while it is scanned: every scan ends at once with -1 or the report's
// own count.
TEST_F(ReportPaths, ANameSwappedDuringTheOpeningGivesMinusOneOrTheReport) {
  const std::string report = dir_.Write("real.html", kOneRiddle);
  const std::string fifo = dir_ / "pipe";
  TurnInto(fifo, FileKind::kFifo);
  const std::string targets[] = {report, fifo, "/dev/zero", dir_.path()};
  const std::string path = dir_ / "report.html";
  ASSERT_TRUE(PointAt(path, report));

  std::atomic<bool> stop = false;
  std::thread swapper([&] {
    for (std::size_t i = 0; !stop; ++i) PointAt(path, targets[i % std::size(targets)]);
  });
  int reports = 0;
  int refused = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::optional<int32_t> count = ScanWithinASecond(path);
    if (!count) {
      ADD_FAILURE() << "attempt " << attempt << " blocked";
      break;
    }
    if (*count == 1) {
      ++reports;
    } else if (*count == -1) {
      ++refused;
    } else {
      ADD_FAILURE() << "attempt " << attempt << " gave " << *count;
      break;
    }
  }
  stop = true;
  swapper.join();
  RecordProperty("reports", reports);
  RecordProperty("refused", refused);
}

TEST_F(ReportPaths, AReportOverTheByteLimitIsRefusedUnread) {
  constexpr uint64_t kLimit = 1 << 20;
  struct Case {
    const char* name;
    uint64_t size;
    std::optional<uint64_t> limit;
    int32_t want;
  };
  const Case kCases[] = {
      {"one byte over the limit", kLimit + 1, kLimit, -1},
      {"16 GiB, far over the limit", uint64_t{16} << 30, kLimit, -1},
      {"exactly at the limit: read to its last byte", kLimit, kLimit, 1},
      {"under the limit", kOneRiddle.size(), kLimit, 1},
      {"empty, with a limit of 0", 0, 0, 0},
      {"no limit", kLimit + 1, std::nullopt, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.size == 0 ? dir_.Write("report.html", "")
                                         : SparseReport(dir_ / "report.html", c.size, kOneRiddle);
    ASSERT_EQ(fs::file_size(path), c.size);
    const std::optional<int32_t> count = ScanWithinASecond(path, c.limit);
    ASSERT_TRUE(count.has_value()) << "took over a second";
    EXPECT_EQ(*count, c.want);
  }
}

}  // namespace
}  // namespace talvorix
