// Saved reports as files: every form of a sample report gives the records of the report
// the game sent, and so does every page a real browser saved, as a page or as a single
// file (kept in tests/scanner/saved_pages/saved/, made by make_saved_pages.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1250.h"
#include "scanner/scan_turn_report.h"
#include "tests/scanner/report_fixtures.h"

namespace talvorix {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = TALVORIX_SOURCE_DIR;
const fs::path kSavedPages = kSourceDir / "tests/scanner/saved_pages";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// What a reader is shown of each record.
struct Shown {
  std::string text;
  std::string answer;
  std::string title;
  bool operator==(const Shown&) const = default;
};

std::vector<Shown> Records(const ResultTable& table) {
  std::vector<Shown> shown;
  for (int32_t k = 1; k <= table.count(); ++k) {
    const RecordView r = *table.View(k);
    shown.push_back({std::string(r.text), std::string(r.answer), std::string(r.title)});
  }
  return shown;
}

std::vector<Shown> Scan(const std::string& path, int32_t* count) {
  ResultTable table;
  *count = ScanTurnReport(path, &table);
  return Records(table);
}

/// Windows-1250 bytes as UTF-16 (with its byte order mark).
std::string Utf16(std::string_view cp1250, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : cp1250) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t unit = byte < 0x80 ? byte : cp1250_detail::kHighHalf[byte - 0x80];
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

std::string Respelt(std::string text, std::string_view tag) {
  for (std::size_t at = 0; (at = text.find("<BR>", at)) != std::string::npos; at += tag.size())
    text.replace(at, 4, tag);
  return text;
}

/// The sample reports: every riddle kind.
std::vector<fs::path> Samples() {
  return {kSourceDir / "examples/fordulo-112.html", kSourceDir / "examples/fordulo-113.html",
          kSourceDir / "examples/fordulo-114.html"};
}

// Each form turns back into exactly the game's bytes, so every field is the same.
TEST(SavedReports, EveryFormGivesTheRecordsOfTheGamesReport) {
  struct Form {
    const char* name;
    std::string (*make)(const std::string& report);
  };
  const Form kForms[] = {
      {"UTF-8", [](const std::string& r) { return Cp1250ToUtf8(r); }},
      {"UTF-8 with a byte order mark", [](const std::string& r) { return "\xEF\xBB\xBF" + Cp1250ToUtf8(r); }},
      {"UTF-16LE", [](const std::string& r) { return Utf16(r, false); }},
      {"UTF-16BE", [](const std::string& r) { return Utf16(r, true); }},
      {"<br>", [](const std::string& r) { return Respelt(r, "<br>"); }},
      {"<br />", [](const std::string& r) { return Respelt(r, "<br />"); }},
      {"UTF-8 and <Br/>", [](const std::string& r) { return Cp1250ToUtf8(Respelt(r, "<Br/>")); }},
      {"UTF-16LE and <br\\r\\n>", [](const std::string& r) { return Utf16(Respelt(r, "<br\r\n>"), false); }},
  };
  TempDir dir;
  for (const fs::path& sample : Samples()) {
    const std::string report = ReadBytes(sample);
    int32_t wantCount = 0;
    const std::vector<Shown> want = Scan(sample.string(), &wantCount);
    ASSERT_GT(wantCount, 0) << sample;
    for (const Form& form : kForms) {
      SCOPED_TRACE(sample.filename().string() + " as " + form.name);
      int32_t count = 0;
      EXPECT_EQ(Scan(dir.Write("saved.html", form.make(report)), &count), want);
      EXPECT_EQ(count, wantCount);
    }
  }
}

// The dialogs' byte limit is on the file as it is: a UTF-16 report over the limit is
// refused even though it is half that size in Windows-1250, and so is a single file.
TEST(SavedReports, TheByteLimitIsOnTheFileAsSaved) {
  TempDir dir;
  const std::string path = dir.Write("saved.html", Utf16(ReadBytes(Samples()[0]), false));
  const uint64_t size = fs::file_size(path);
  ResultTable table;
  EXPECT_EQ(ScanTurnReport(path, &table, size - 1), -1);
  EXPECT_EQ(ScanTurnReport(path, &table, size), 4);
  // A single file, whose page is smaller than the file once decoded, alike.
  const std::string single = (kSavedPages / "saved/fordulo-112.mhtml").string();
  const uint64_t singleSize = fs::file_size(single);
  EXPECT_EQ(ScanTurnReport(single, &table, singleSize - 1), -1);
  EXPECT_EQ(ScanTurnReport(single, &table, singleSize), 4);
}

/// Where the browser's pages are: TALVORIX_SAVED_PAGES (make check-browser), or the
/// kept ones.
fs::path BrowserPages() {
  const char* folder = std::getenv("TALVORIX_SAVED_PAGES");
  return folder != nullptr && *folder != '\0' ? fs::path(folder) : kSavedPages / "saved";
}

// Texts may differ where the browser changed the page (closing tags, entities); the
// count, the answers and the titles may not.
TEST(BrowserPages, AnswerEveryFormAsTheReportTheGameSent) {
  std::vector<fs::path> originals = Samples();
  for (const auto& entry : fs::directory_iterator(kSavedPages / "originals")) originals.push_back(entry.path());
  const fs::path pages = BrowserPages();
  // Pages, and single files (MHTML): as Chromium writes them, the page part in base64,
  // LF line ends, the page in UTF-8 saying so, and a frame's page after the page.
  const char* const kForms[] = {".utf8.html",   ".cp1250.html", ".utf8-bom.html", ".utf16le.html", ".mhtml",
                                ".base64.mhtml", ".lf.mhtml",   ".utf8.mhtml",    ".iframe.mhtml"};
  for (const fs::path& original : originals) {
    int32_t wantCount = 0;
    const std::vector<Shown> want = Scan(original.string(), &wantCount);
    ASSERT_GT(wantCount, 0) << original;
    for (const char* form : kForms) {
      const fs::path page = pages / (original.stem().string() + form);
      SCOPED_TRACE(page.string());
      ASSERT_TRUE(fs::is_regular_file(page));
      int32_t count = 0;
      const std::vector<Shown> got = Scan(page.string(), &count);
      EXPECT_EQ(count, wantCount);
      ASSERT_EQ(got.size(), want.size());
      for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].answer, want[k].answer) << "record " << k + 1;
        EXPECT_EQ(got[k].title, want[k].title) << "record " << k + 1;
      }
    }
  }
  // No page is left without its original, so none goes unchecked.
  std::size_t pageCount = 0;
  for (const auto& entry : fs::directory_iterator(pages)) pageCount += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(pageCount, originals.size() * std::size(kForms));
}

}  // namespace
}  // namespace talvorix
