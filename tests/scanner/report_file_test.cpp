// Opening a report once and reading only what it held at that moment, whatever happens
// to its name or its length afterwards.
#include "scanner/report_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scanner/scan_turn_report.h"
#include "tests/core/win1250.h"
#include "tests/scanner/report_fixtures.h"

namespace talvorix {
namespace {

using namespace std::chrono_literals;

/// One Hall riddle: the scan keeps exactly one record for it.
const std::string kOneRiddle = test::Win1250("Egy ős!\r\nKérdés:<BR>\r\nMennyi 2 meg 2?<BR>\r\n");

/// Every byte the file gives, read in pieces of `piece` bytes.
std::string ReadRest(ReportFile& file, std::size_t piece = 1 << 16) {
  std::string out;
  std::vector<char> buffer(piece);
  while (const std::size_t got = file.Read(buffer)) out.append(buffer.data(), got);
  return out;
}

void Append(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(ReportFile, RefusesWhatIsNoRegularFileWithoutBlocking) {
  TempDir dir;
  const std::string report = dir.Write("report.html", kOneRiddle);
  struct Case {
    const char* name;
    std::string path;
  };
  std::vector<Case> cases = {
      {"missing", dir / "missing.html"},
      {"empty name", ""},
      {"a NUL inside the name, before which a report is named", report + std::string(1, '\0') + "x"},
      {"/dev/zero", "/dev/zero"},
      {"/dev/null", "/dev/null"},
      {"/dev/tty", "/dev/tty"},
  };
  for (const FileKind kind : {FileKind::kFifo, FileKind::kZeroLink, FileKind::kDirectory, FileKind::kDirectoryLink}) {
    const std::string path = dir / ("kind-" + std::to_string(static_cast<int>(kind)));
    TurnInto(path, kind);
    cases.push_back({KindName(kind), path});
  }
  // A pipe that has a writer (held open here read-write) is no report either.
  const std::string fed = dir / "fed-pipe";
  TurnInto(fed, FileKind::kFifo);
  const int writer = ::open(fed.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, "<BR>\n", 5), 5);
  cases.push_back({"a pipe with a writer", fed});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<bool> opened = Within(1s, [path = c.path] { return ReportFile::Open(path).has_value(); });
    ASSERT_TRUE(opened.has_value()) << "blocked";
    EXPECT_FALSE(*opened);
  }
  ::close(writer);
}

// Once open, the file is what was read: the name may turn into anything.
TEST(ReportFile, ReadsWhatWasOpenedWhateverTheNameBecomes) {
  for (const FileKind kind : {FileKind::kFifo, FileKind::kZeroLink, FileKind::kDirectory, FileKind::kMissing}) {
    SCOPED_TRACE(KindName(kind));
    TempDir dir;
    const std::string path = dir.Write("report.html", kOneRiddle);
    std::optional<ReportFile> file = ReportFile::Open(path);
    ASSERT_TRUE(file.has_value());
    TurnInto(path, kind);
    const std::optional<std::string> bytes = Within(1s, [f = std::make_shared<ReportFile>(std::move(*file))] {
      return ReadRest(*f);
    });
    ASSERT_TRUE(bytes.has_value()) << "blocked";
    EXPECT_EQ(*bytes, kOneRiddle);
  }
}

TEST(ReportFile, ReadsOnlyTheSizeItHadWhenOpened) {
  struct Case {
    const char* name;
    std::size_t before;  // bytes when opened
    std::size_t after;   // bytes once changed, before the first read
    std::size_t piece;   // the reader's block
    std::size_t want;
  };
  const Case kCases[] = {
      {"unchanged", 100'000, 100'000, 1 << 16, 100'000},
      {"grown after opening", 100'000, 300'000, 1 << 16, 100'000},
      {"grown, read in odd pieces", 1'000, 5'000, 7, 1'000},
      {"empty, then grown", 0, 4'096, 1 << 16, 0},
      {"shrunk after opening", 100'000, 30'000, 1 << 16, 30'000},
      {"emptied after opening", 100'000, 0, 1 << 16, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string content;
    for (std::size_t i = 0; i < std::max(c.before, c.after); ++i) content.push_back(static_cast<char>('a' + i % 26));
    const std::string path = dir.Write("report.html", std::string_view(content).substr(0, c.before));
    std::optional<ReportFile> file = ReportFile::Open(path);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->size(), c.before);
    EXPECT_EQ(file->Read(std::span<char>()), 0u) << "an empty buffer takes nothing, and ends nothing";
    if (c.after > c.before) {
      Append(path, std::string_view(content).substr(c.before, c.after - c.before));
    } else {
      std::filesystem::resize_file(path, c.after);
    }
    EXPECT_EQ(ReadRest(*file, c.piece), content.substr(0, c.want));
    std::vector<char> more(16);
    EXPECT_EQ(file->Read(more), 0u) << "a finished file stays finished";
  }
}

// A file that grows for as long as it is read is read up to its size at opening, and
// the read ends although the writer never stops.
TEST(ReportFile, AWriterThatNeverStopsDoesNotKeepTheReadGoing) {
  TempDir dir;
  const std::string path = dir.Write("report.html", kOneRiddle);
  std::atomic<bool> stop = false;
  std::thread writer([&] {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    const std::string more(1 << 16, 'x');
    while (!stop) {
      out.write(more.data(), static_cast<std::streamsize>(more.size())).flush();
      std::this_thread::sleep_for(1ms);
    }
  });
  std::this_thread::sleep_for(20ms);
  std::optional<ReportFile> file = ReportFile::Open(path);
  ASSERT_TRUE(file.has_value());
  const uint64_t size = file->size();
  const auto started = std::chrono::steady_clock::now();
  const std::string bytes = ReadRest(*file);
  stop = true;
  writer.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  EXPECT_EQ(bytes.size(), size);
  EXPECT_EQ(bytes.substr(0, kOneRiddle.size()), kOneRiddle);
}

// A second pass goes through the same opening: at any offset, never past the size at
// opening, whatever the name has become, and without moving where Read goes on.
TEST(ReportFile, ReadsAgainAtAnyOffsetThroughTheSameOpening) {
  TempDir dir;
  const std::string path = dir.Write("report.html", "0123456789");
  std::optional<ReportFile> file = ReportFile::Open(path);
  ASSERT_TRUE(file.has_value());
  Append(path, "appended");
  TurnInto(path, FileKind::kMissing);
  struct Row {
    const char* name;
    uint64_t offset;
    std::size_t buffer;
    std::string want;
  };
  const Row kRows[] = {
      {"the start", 0, 4, "0123"},
      {"the middle", 3, 4, "3456"},
      {"up to the size at opening, not into what was appended", 8, 16, "89"},
      {"at the size at opening", 10, 4, ""},
      {"far past it", uint64_t{1} << 62, 4, ""},
      {"an empty buffer", 2, 0, ""},
  };
  std::vector<char> first(3);
  ASSERT_EQ(file->Read(first), 3u);
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    std::vector<char> buffer(row.buffer);
    const std::size_t got = file->ReadAt(row.offset, buffer);
    EXPECT_EQ(std::string(buffer.data(), got), row.want);
  }
  EXPECT_EQ(ReadRest(*file), "3456789") << "Read goes on where it stopped";
  std::vector<char> again(10);
  EXPECT_EQ(file->ReadAt(0, again), 10u) << "a finished Read leaves ReadAt free";
}

TEST(ReportFile, ReadsAgainOnlyWhatIsLeftOfAShrunkFile) {
  TempDir dir;
  const std::string path = dir.Write("report.html", "0123456789");
  std::optional<ReportFile> file = ReportFile::Open(path);
  ASSERT_TRUE(file.has_value());
  std::filesystem::resize_file(path, 4);
  std::vector<char> buffer(10);
  EXPECT_EQ(file->ReadAt(0, buffer), 4u);
  EXPECT_EQ(file->ReadAt(6, buffer), 0u);
  EXPECT_EQ(ReadRest(*file), "0123");
}

TEST(ScanReportFile, ScansTheReportAsItWasWhenOpened) {
  TempDir dir;
  const std::string path = dir.Write("report.html", kOneRiddle);
  std::optional<ReportFile> file = ReportFile::Open(path);
  ASSERT_TRUE(file.has_value());
  Append(path, kOneRiddle + kOneRiddle);
  ResultTable table;
  EXPECT_EQ(ScanReportFile(std::move(file), &table), 1);
  EXPECT_EQ(ScanTurnReport(path, &table), 3);
}

}  // namespace
}  // namespace talvorix
