// talvorix-cli --watch as a user runs it: reports saved into a real folder while it runs.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

extern char** environ;

namespace talvorix {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

std::string Example(const char* name) { return std::string(TALVORIX_SOURCE_DIR) + "/examples/" + name; }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

/// talvorix-cli with these arguments, its standard output going to a file.
class Watcher {
 public:
  Watcher(const std::vector<std::string>& args, const fs::path& out) {
    std::vector<std::string> all = {TALVORIX_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Watcher() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool started() const { return pid_ > 0; }
  /// The exit status once it has ended within `limit`; -1 when it still runs.
  int Wait(milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(milliseconds(20));
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
};

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
  const fs::path out = dir_ / "out.txt";
  Watcher cli({"--watch", saves().string()}, out);
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
  const fs::path out = dir_ / "out.json";
  Watcher cli({"--json", "--once", "--watch", saves().string()}, out);
  ASSERT_TRUE(cli.started());
  EXPECT_EQ(cli.Wait(milliseconds(5000)), 0);
  const std::string text = ReadAll(out);
  ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  const nlohmann::json line = nlohmann::json::parse(text);
  EXPECT_EQ(line.at("path"), (saves() / "uj.HTML").string());
  EXPECT_EQ(line.at("count"), 4);
}

TEST_F(CliWatch, OnceWaitsForTheFirstSave) {
  const fs::path out = dir_ / "out.json";
  Watcher cli({"--once", "--json", "--watch", saves().string()}, out);
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
    Watcher cli(c.args, dir_ / "out.txt");
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.Wait(milliseconds(5000)), c.status);
  }
}

}  // namespace
}  // namespace talvorix
