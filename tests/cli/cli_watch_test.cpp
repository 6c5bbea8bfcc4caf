// talvorix-cli --watch as a user runs it: reports saved into a real folder while it runs.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"

namespace talvorix {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

std::string Example(const char* name) { return std::string(TALVORIX_SOURCE_DIR) + "/examples/" + name; }

std::string ReadAll(const fs::path& path) { return ReadWholeFile(path); }

/// talvorix-cli with these arguments, its standard output going to a descriptor of ours.
ProcessOptions OutputTo(int descriptor) {
  ProcessOptions options;
  options.out = descriptor;
  return options;
}

class CliWatch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("talvorix-cli-watch-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "saves");
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path saves() const { return dir_ / "saves"; }
  fs::path dir_;
};

/// Waits until the file holds `n` lines that start with `prefix`, for at most 5 s.
bool WaitForLines(const fs::path& file, const std::string& prefix, std::size_t n) {
  for (int i = 0; i < 250; ++i) {
    std::size_t found = 0;
    const std::string text = ReadAll(file);
    for (std::size_t at = 0; (at = text.find(prefix, at)) != std::string::npos; at += prefix.size())
      if (at == 0 || text[at - 1] == '\n') ++found;
    if (found >= n) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return false;
}

TEST_F(CliWatch, TwoSavesPrintTwoBlocksInOrder) {
  Process cli({"--watch", saves().string()});
  const fs::path out = cli.outPath();
  ASSERT_TRUE(cli.started());
  std::this_thread::sleep_for(milliseconds(300));
  fs::copy_file(Example("fordulo-113.html"), saves() / "elso.html");
  ASSERT_TRUE(WaitForLines(out, "==> ", 1)) << ReadAll(out);
  fs::copy_file(Example("fordulo-112.html"), saves() / "masodik.htm");
  ASSERT_TRUE(WaitForLines(out, "==> ", 2)) << ReadAll(out);
  const std::string text = ReadAll(out);
  const std::size_t first = text.find("==> " + (saves() / "elso.html").string() + " <==\n[1/3]");
  const std::size_t second = text.find("==> " + (saves() / "masodik.htm").string() + " <==\n[1/4]");
  EXPECT_NE(first, std::string::npos) << text;
  EXPECT_NE(second, std::string::npos) << text;
  EXPECT_LT(first, second);
  EXPECT_EQ(cli.Wait(milliseconds(0)), -1);  // still watching
}

TEST_F(CliWatch, JsonLinesAndOnce) {
  fs::copy_file(Example("fordulo-113.html"), saves() / "regi.html");
  fs::last_write_time(saves() / "regi.html", fs::file_time_type::clock::now() - std::chrono::hours(1));
  fs::copy_file(Example("fordulo-112.html"), saves() / "uj.HTML");
  fs::copy_file(Example("fordulo-113.html"), saves() / "jegyzet.txt");  // newest, but no report
  Process cli({"--json", "--once", "--watch", saves().string()});
  const fs::path out = cli.outPath();
  ASSERT_TRUE(cli.started());
  EXPECT_EQ(cli.Wait(milliseconds(5000)), 0);
  const std::string text = ReadAll(out);
  ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  const nlohmann::json line = nlohmann::json::parse(text);
  EXPECT_EQ(line.at("path"), (saves() / "uj.HTML").string());
  EXPECT_EQ(line.at("count"), 4);
}

TEST_F(CliWatch, OnceWaitsForTheFirstSave) {
  Process cli({"--once", "--json", "--watch", saves().string()});
  const fs::path out = cli.outPath();
  ASSERT_TRUE(cli.started());
  EXPECT_EQ(cli.Wait(milliseconds(600)), -1);
  fs::copy_file(Example("fordulo-113.html"), saves() / "elso.html");
  EXPECT_EQ(cli.Wait(milliseconds(5000)), 0);
  EXPECT_EQ(nlohmann::json::parse(ReadAll(out)).at("count"), 3);
}

TEST_F(CliWatch, BadUse) {
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case kCases[] = {
      {{"--watch", (dir_ / "nincs").string()}, 2},                        // no such folder
      {{"--watch", Example("fordulo-113.html")}, 2},                      // a file is no folder
      {{"--watch"}, 64},                                                  // no folder given
      {{"--once", Example("fordulo-113.html")}, 64},                      // --once without --watch
      {{"--watch", saves().string(), Example("fordulo-113.html")}, 64},  // reports besides
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.args.back());
    Process cli(c.args);
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.Wait(milliseconds(5000)), c.status);
  }
}

/// Whether the file can be opened for reading.
bool Opens(const fs::path& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return false;
  close(descriptor);
  return true;
}

/// Makes `path` a report that is there but cannot be opened: a file nobody may read,
/// or, for root (who reads it all the same), a link to a write-only kernel attribute,
/// which is a regular file of 4096 bytes that no one can open for reading. False when
/// neither works here.
bool MakeUnreadableReport(const fs::path& path) {
  fs::copy_file(Example("fordulo-112.html"), path);
  fs::permissions(path, fs::perms::none);
  if (!Opens(path)) return true;
  fs::remove(path);
  for (const char* attribute : {"/sys/bus/pci/rescan", "/sys/class/zram-control/hot_remove"}) {
    std::error_code error;
    fs::create_symlink(attribute, path, error);
    if (!error && fs::is_regular_file(path, error) && fs::file_size(path, error) > 0 && !Opens(path)) return true;
    fs::remove(path, error);
  }
  return false;
}

// --watch prints each report as batch mode prints it among several reports: the same
// header and records, or the same JSON line, a text block then closed by an empty line.
// A report that cannot be read (after the watch's 3 s of retries) gets batch mode's
// notice on standard error, and only its header on standard output.
TEST_F(CliWatch, PrintsTheBlocksOfBatchMode) {
  struct Case {
    std::string name;    // of the report in the watched folder
    std::string source;  // the report copied there; empty: one that cannot be opened
  };
  const std::string saved = std::string(TALVORIX_SOURCE_DIR) + "/tests/scanner/saved_pages/saved/";
  const fs::path plain = dir_ / "plain.html";
  std::ofstream(plain, std::ios::binary) << "<HTML>\r\nCsak egy nap.<BR>\r\n</HTML>\r\n";
  const Case kCases[] = {
      {"fordulo-112.html", Example("fordulo-112.html")},
      {"fordulo-114.HTM", Example("fordulo-114.html")},  // unsolved riddles
      {"nap.html", plain.string()},                       // no riddle
      {"esc\x1b[2J.html", Example("fordulo-113.html")},  // a control byte in the header
      {"mentett.mhtml", saved + "fordulo-113.base64.mhtml"},
      {"zarolt.html", ""},
  };
  ProcessOptions english;
  english.environment = {"LANG=C"};
  bool unreadableSkipped = false;
  for (const Case& c : kCases) {
    for (const bool json : {false, true}) {
      SCOPED_TRACE(c.name + (json ? " --json" : ""));
      fs::remove_all(saves());
      fs::create_directories(saves());
      const fs::path report = saves() / c.name;
      if (c.source.empty()) {
        if (!MakeUnreadableReport(report)) {
          unreadableSkipped = true;  // root, with no write-only kernel attribute to link to
          continue;
        }
      } else {
        fs::copy_file(c.source, report);
      }
      const std::vector<std::string> mode = json ? std::vector<std::string>{"--json"} : std::vector<std::string>{};
      std::vector<std::string> watchArgs = mode;
      watchArgs.insert(watchArgs.end(), {"--once", "--watch", saves().string()});
      Process watch(watchArgs, english);
      ASSERT_TRUE(watch.started());
      const int watchStatus = watch.Wait(milliseconds(8000));
      // Batch mode prints a header only among several reports: the report twice.
      std::vector<std::string> batchArgs = mode;
      batchArgs.insert(batchArgs.end(), {report.string(), report.string()});
      const ProcessRun batch = RunProcess(batchArgs, english);

      EXPECT_EQ(watchStatus, batch.status);
      EXPECT_EQ(watchStatus, c.source.empty() ? 2 : 0);
      const std::string out = watch.out();
      ASSERT_FALSE(out.empty());
      if (json) {
        EXPECT_EQ(batch.out, out + out);
      } else {
        // The block twice, an empty line between: the watch's block, then the block again.
        EXPECT_EQ(batch.out, out + out.substr(0, out.size() - 1));
        EXPECT_TRUE(out.ends_with("\n\n")) << out;
      }
      const std::string notice = c.source.empty() && !json
                                     ? "talvorix-cli: " + (saves() / "zarolt.html").string() + ": Nincs ilyen fájl\n"
                                     : "";
      EXPECT_EQ(batch.err, notice + notice);
      EXPECT_EQ(watch.err(), "Watching folder: " + saves().string() + "\n" + notice);
      EXPECT_EQ(out.find("Nincs ilyen"), std::string::npos) << out;
    }
  }
  if (unreadableSkipped) GTEST_SKIP() << "the unreadable row: no file that cannot be opened could be made here";
}

/// Appends bytes to a file, as a browser writing a save does.
void Append(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << bytes;
}

// Saves that are not finished, or not yet begun, are never printed: the first line
// printed is that of the whole report.
TEST_F(CliWatch, OnlyFinishedSavesArePrinted) {
  const std::string report = ReadAll(Example("fordulo-113.html"));  // three riddles
  ASSERT_GT(report.size(), 1000u);
  struct Case {
    const char* name;
    bool presentAtStart;  // the unfinished save is there before the watch starts
    std::size_t firstPart;  // bytes written at once; the rest follows in pieces
  };
  const Case kCases[] = {
      {"half-written when the watch starts", true, report.size() / 3},
      {"an empty placeholder when the watch starts", true, 0},
      {"an empty placeholder made while watching", false, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(saves());
    fs::create_directories(saves());
    const fs::path save = saves() / "fordulo.html";
    if (c.presentAtStart) Append(save, report.substr(0, c.firstPart));
    Process cli({"--once", "--json", "--watch", saves().string()});
    const fs::path out = cli.outPath();
    ASSERT_TRUE(cli.started());
    if (!c.presentAtStart) {
      std::this_thread::sleep_for(milliseconds(100));
      Append(save, report.substr(0, c.firstPart));
    }
    // The placeholder stays empty for longer than a save takes to settle.
    if (c.firstPart == 0) {
      EXPECT_EQ(cli.Wait(milliseconds(800)), -1);
    }
    const std::size_t rest = report.size() - c.firstPart;
    for (std::size_t at = c.firstPart, piece = rest / 4 + 1; at < report.size(); at += piece) {
      std::this_thread::sleep_for(milliseconds(100));
      Append(save, report.substr(at, piece));
    }
    EXPECT_EQ(cli.Wait(milliseconds(5000)), 0);
    const std::string text = ReadAll(out);
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(nlohmann::json::parse(text).at("count"), 3) << text;
  }
}

// A report whose time stamp lies ahead (copied with its date, a clock set back) hides
// no later save.
TEST_F(CliWatch, AFutureDatedReportHidesNoLaterSave) {
  fs::copy_file(Example("fordulo-113.html"), saves() / "jovo.html");
  fs::last_write_time(saves() / "jovo.html", fs::file_time_type::clock::now() + std::chrono::hours(24));
  Process cli({"--json", "--watch", saves().string()});
  const fs::path out = cli.outPath();
  ASSERT_TRUE(cli.started());
  ASSERT_TRUE(WaitForLines(out, "{", 1)) << ReadAll(out);
  fs::copy_file(Example("fordulo-112.html"), saves() / "most.html");
  ASSERT_TRUE(WaitForLines(out, "{", 2)) << ReadAll(out);
  const std::string text = ReadAll(out);
  EXPECT_NE(text.find("most.html\",\"count\":4"), std::string::npos) << text;
}

// Output that cannot be written ends the watch with 74, also when nothing is being
// written at the moment its reader goes.
TEST_F(CliWatch, OutputFailuresEndTheWatch) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  sigaction(SIGPIPE, &ignore, &before);  // inherited: writes then fail with EPIPE
  fs::copy_file(Example("fordulo-113.html"), saves() / "elso.html");
  {
    SCOPED_TRACE("a full device");
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    Process cli({"--once", "--watch", saves().string()}, OutputTo(full));
    close(full);
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.Wait(milliseconds(5000)), 74);
  }
  for (const bool writing : {true, false}) {
    SCOPED_TRACE(writing ? "the reader gone before a report is printed" : "the reader gone while idle");
    int pipe[2];
    ASSERT_EQ(pipe2(pipe, O_CLOEXEC), 0);
    Process cli({"--watch", saves().string()}, OutputTo(pipe[1]));
    close(pipe[1]);
    ASSERT_TRUE(cli.started());
    if (!writing) {
      char byte;
      ASSERT_GT(read(pipe[0], &byte, 1), 0);  // the first report has been printed
    }
    close(pipe[0]);
    if (writing) fs::copy_file(Example("fordulo-112.html"), saves() / "masodik.html");
    EXPECT_EQ(cli.Wait(milliseconds(5000)), 74);
  }
  sigaction(SIGPIPE, &before, nullptr);
}

}  // namespace
}  // namespace talvorix
