// End to end: every single file that Chromium saved from a sample report (and the forms
// made from it, tests/scanner/saved_pages/saved/*.mhtml) gives, through
// `talvorix-cli --json`, the count, answers and titles of the report the game sent.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

namespace talvorix {
namespace {

namespace fs = std::filesystem;

/// The JSON that the CLI prints for `path`; null when it prints none that parses.
nlohmann::json CliJson(const fs::path& path) {
  return nlohmann::json::parse(RunProcess({"--json", path.string()}).out, nullptr, false);
}

TEST(CliSingleFile, AnswersAsTheReportTheGameSent) {
  const fs::path source = TALVORIX_SOURCE_DIR;
  std::vector<fs::path> originals;
  for (const fs::path& folder : {source / "examples", source / "tests/scanner/saved_pages/originals"})
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".html") originals.push_back(entry.path());
  ASSERT_FALSE(originals.empty());
  const char* const kForms[] = {".mhtml", ".base64.mhtml", ".lf.mhtml", ".utf8.mhtml", ".iframe.mhtml"};
  for (const fs::path& original : originals) {
    const nlohmann::json want = CliJson(original);
    ASSERT_TRUE(want.is_object()) << original;
    ASSERT_GT(want.at("count").get<int>(), 0) << original;
    for (const char* form : kForms) {
      const fs::path page = source / "tests/scanner/saved_pages/saved" / (original.stem().string() + form);
      SCOPED_TRACE(page.string());
      ASSERT_TRUE(fs::is_regular_file(page));
      const nlohmann::json got = CliJson(page);
      ASSERT_TRUE(got.is_object());
      EXPECT_EQ(got.at("count"), want.at("count"));
      ASSERT_EQ(got.at("records").size(), want.at("records").size());
      for (std::size_t k = 0; k < got.at("records").size(); ++k) {
        EXPECT_EQ(got["records"][k].at("answer"), want["records"][k].at("answer")) << "record " << k + 1;
        EXPECT_EQ(got["records"][k].at("title"), want["records"][k].at("title")) << "record " << k + 1;
      }
    }
  }
}

}  // namespace
}  // namespace talvorix
