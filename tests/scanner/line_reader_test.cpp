#include "scanner/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "scanner/report_file.h"
#include "tests/scanner/report_fixtures.h"

namespace talvorix {
namespace {

struct Read {
  std::string line;
  bool atEnd;
  bool operator==(const Read&) const = default;
};

std::vector<Read> ReadAll(LineReader& reader, std::size_t limit) {
  std::vector<Read> reads;
  for (;;) {
    std::string_view line;
    const bool atEnd = reader.ReadLine(limit, &line);
    reads.push_back({std::string(line), atEnd});
    if (atEnd || reads.size() > 100000) return reads;
  }
}

struct Case {
  const char* name;
  std::string bytes;
  std::vector<Read> want;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> kCases = {
      {"empty file gives one empty line", "", {{"", true}}},
      {"last line without line feed", "A\nB", {{"A", false}, {"B", true}}},
      {"trailing line feed adds an empty line", "A\nB\n", {{"A", false}, {"B", false}, {"", true}}},
      {"CR LF reads as LF", "A\r\nB\r\n", {{"A", false}, {"B", false}, {"", true}}},
      {"lone CR stays", "A\rB\r\r\nC", {{"A\rB\r", false}, {"C", true}}},
      {"CR at the very end stays", "A\r", {{"A\r", true}}},
      {"control-Z ends the file", "AB\x1A" "CD\nEF", {{"AB", true}}},
      {"control-Z after CR", "A\r\x1A\nB", {{"A\r", true}}},
      {"NUL bytes are kept by the reader", std::string("A\0B\n", 4), {{std::string("A\0B", 3), false}, {"", true}}},
      {"700 characters come in pieces of 299",
       std::string(700, 'x'),
       {{std::string(299, 'x'), false}, {std::string(299, 'x'), false}, {std::string(102, 'x'), true}}},
      {"exactly 299 characters are followed by an empty line",
       std::string(299, 'y') + "\nz",
       {{std::string(299, 'y'), false}, {"", false}, {"z", true}}},
      {"exactly 299 characters before CR LF",
       std::string(299, 'y') + "\r\nz",
       {{std::string(299, 'y'), false}, {"", false}, {"z", true}}},
      {"CR CR LF keeps the first CR", "A\r\r\n\r\nB", {{"A\r", false}, {"", false}, {"B", true}}},
      {"CR LF does not count twice against the limit",
       std::string(298, 'w') + "\r\nv",
       {{std::string(298, 'w'), false}, {"v", true}}},
  };
  return kCases;
}

TEST(LineReader, ReadsTextModeLinesFromMemory) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    LineReader reader(c.bytes);
    EXPECT_EQ(ReadAll(reader, 299), c.want);
  }
}

/// Hands out its bytes in reads of at most `chunk` bytes, as a pipe or a slow disk may.
class ChunkedSource : public ByteSource {
 public:
  ChunkedSource(std::string_view bytes, std::size_t chunk) : bytes_(bytes), chunk_(chunk) {}
  std::size_t Read(std::span<char> buffer) override {
    const std::size_t n = std::min({buffer.size(), chunk_, bytes_.size()});
    bytes_.copy(buffer.data(), n);
    bytes_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view bytes_;
  std::size_t chunk_;
};

TEST(LineReader, ReadsTheSameFromSourcesInAnyPieces) {
  for (const Case& c : Cases()) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1} << 16}) {
      SCOPED_TRACE(std::string(c.name) + ", reads of " + std::to_string(chunk));
      ChunkedSource source(c.bytes, chunk);
      LineReader reader(source);
      EXPECT_EQ(ReadAll(reader, 299), c.want);
    }
  }
}

TEST(LineReader, ReadsTheSameFromAReportFile) {
  TempDir dir;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    std::optional<ReportFile> file = ReportFile::Open(dir.Write("report.html", c.bytes));
    ASSERT_TRUE(file.has_value());
    LineReader reader(*file);
    EXPECT_EQ(ReadAll(reader, 299), c.want);
  }
}

// Lines read in place (from memory) and lines read a byte at a time (a source that
// hands out one byte per read) agree on texts made of the bytes that matter.
TEST(LineReader, InPlaceAndByteByByteReadsAgree) {
  std::mt19937 random(2026);
  constexpr std::string_view kBytes = "aaaab\r\n\n\x1A";
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(random() % 40 + (round % 10 == 0 ? 600 : 0), 'a');
    for (char& c : bytes) c = kBytes[random() % (round % 2 == 0 ? kBytes.size() - 1 : kBytes.size())];
    for (const std::size_t limit : {std::size_t{3}, std::size_t{299}}) {
      SCOPED_TRACE(::testing::PrintToString(bytes) + ", limit " + std::to_string(limit));
      LineReader inPlace(bytes);
      ChunkedSource source(bytes, 1);
      LineReader byteByByte(source);
      ASSERT_EQ(ReadAll(inPlace, limit), ReadAll(byteByByte, limit));
    }
  }
}

// A CR LF pair split across two file blocks still reads as one line feed.
TEST(LineReader, CrLfAcrossBlockBoundary) {
  TempDir dir;
  for (std::size_t before : {65534u, 65535u, 65536u}) {
    SCOPED_TRACE(before);
    std::string bytes;
    for (std::size_t i = 0; i < before; ++i) bytes.push_back(i % 200 == 199 ? '\n' : 'a');
    bytes += "\r\nlast";
    std::optional<ReportFile> file = ReportFile::Open(dir.Write("report.html", bytes));
    ASSERT_TRUE(file.has_value());
    LineReader fromFile(*file);
    LineReader fromMemory(bytes);
    const std::vector<Read> got = ReadAll(fromFile, 299);
    EXPECT_EQ(got, ReadAll(fromMemory, 299));
    EXPECT_EQ(got.back(), (Read{"last", true}));
  }
}

}  // namespace
}  // namespace talvorix
