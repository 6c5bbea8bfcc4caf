// Paths that name no readable regular file: they must fail fast with -1, never block
// on a pipe or read a device for ever.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "scanner/scan_turn_report.h"

#if defined(__unix__)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace talvorix {
namespace {

namespace fs = std::filesystem;

class ReportPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("talvorix-paths-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, ignored);
    fs::remove_all(dir_, ignored);
  }
  static void ExpectUnreadable(const std::string& path) {
    SCOPED_TRACE(path);
    ResultTable table;
    table.Append(PuzzleResult{});
    EXPECT_EQ(ScanTurnReport(path, &table), -1);
    EXPECT_EQ(table.count(), -1);
    EXPECT_TRUE(table.records().empty());
  }
  fs::path dir_;
};

TEST_F(ReportPaths, MissingFilesAndFoldersAreUnreadable) {
  for (const std::string& path : {(dir_ / "missing.html").string(), dir_.string(), std::string(), (dir_ / "x" / "y").string()})
    ExpectUnreadable(path);
}

#if defined(__unix__)
TEST_F(ReportPaths, DevicesAndPipesAreUnreadableWithoutBlocking) {
  const std::string fifo = (dir_ / "pipe.html").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string link = (dir_ / "zero.html").string();
  fs::create_symlink("/dev/zero", link);
  for (const std::string& path : {std::string("/dev/zero"), std::string("/dev/urandom"), std::string("/dev/null"), fifo, link})
    ExpectUnreadable(path);
}

TEST_F(ReportPaths, FileWithoutReadPermissionIsUnreadable) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const fs::path report = dir_ / "locked.html";
  std::ofstream(report) << "<BR>\n";
  fs::permissions(report, fs::perms::none);
  ExpectUnreadable(report.string());
  fs::permissions(report, fs::perms::owner_read);
  ResultTable table;
  EXPECT_EQ(ScanTurnReport(report.string(), &table), 0);
}

TEST_F(ReportPaths, SymlinkToAReportIsRead) {
  const fs::path report = dir_ / "report.html";
  std::ofstream(report) << "no riddles here\n";
  fs::create_symlink(report, dir_ / "link.html");
  ResultTable table;
  EXPECT_EQ(ScanTurnReport((dir_ / "link.html").string(), &table), 0);
}
#endif

}  // namespace
}  // namespace talvorix
