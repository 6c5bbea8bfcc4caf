// Both command-line programs speak the user's language: Hungarian when the locale asks
// for it, English otherwise; the exit status and the report's notices never change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

namespace talvorix {
namespace {

/// Options that start `program` in exactly the environment `base` plus `locale` (and a
/// PATH).
ProcessOptions InEnvironment(const std::string& program, std::vector<std::string> base,
                             const std::vector<std::string>& locale) {
  ProcessOptions options;
  options.program = program;
  options.environment = std::move(base);
  options.environment.push_back("PATH=/usr/bin:/bin");
  options.environment.insert(options.environment.end(), locale.begin(), locale.end());
  return options;
}

/// A temporary home and runtime folder (no dialog ever runs there), and the
/// hu_HU.UTF-8 locale compiled into a folder of the test's own (LOCPATH), so that the
/// test needs no locale generated system-wide.
class LocaleTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = std::filesystem::temp_directory_path() / ("talvorix-locale-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "home");
    std::filesystem::create_directories(root_ / "run");
    std::filesystem::create_directories(root_ / "locales");
    ::chmod((root_ / "run").c_str(), 0700);
    const std::string localedef =
        "localedef -i hu_HU -f UTF-8 " + (root_ / "locales" / "hu_HU.UTF-8").string() + " >/dev/null 2>&1";
    localeMade_ = std::system(localedef.c_str()) == 0;
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(root_); }

  static std::vector<std::string> Base() {
    return {"HOME=" + (root_ / "home").string(), "XDG_RUNTIME_DIR=" + (root_ / "run").string(),
            "LOCPATH=" + (root_ / "locales").string()};
  }

  static inline std::filesystem::path root_;
  static inline bool localeMade_ = false;
};

TEST_F(LocaleTable, MessagesFollowTheLocale) {
  struct Locale {
    const char* name;
    std::vector<std::string> env;
    bool hungarian;
  };
  const Locale kLocales[] = {
      {"hu_HU.UTF-8", {"LANG=hu_HU.UTF-8"}, true},
      // Works without any locale generated: glibc's built-in C.UTF-8 and LANGUAGE.
      {"LANGUAGE=hu", {"LANG=C.UTF-8", "LANGUAGE=hu"}, true},
      {"LC_ALL=hu_HU.UTF-8 over LANG=C", {"LANG=C", "LC_ALL=hu_HU.UTF-8"}, true},
      {"C", {"LANG=C"}, false},
      // LANGUAGE is not heeded in the C locale.
      {"C with LANGUAGE=hu", {"LANG=C", "LANGUAGE=hu"}, false},
      {"unset", {}, false},
  };
  const std::string cli = TALVORIX_CLI;
  const std::string send = TALVORIX_SEND;
  const std::string missing = (root_ / "missing.html").string();
  const std::string folder = root_.string();
  struct Case {
    const char* name;
    std::string program;
    std::vector<std::string> args;
    int status;
    std::string english;    // a piece of the output in English
    std::string hungarian;  // and in Hungarian
  };
  const Case kCases[] = {
      {"cli -h", cli, {"-h"}, 0, "Usage: talvorix-cli", "Használat: talvorix-cli"},
      {"cli --help", cli, {"--help"}, 0, "Exit status: 0 when", "Kilépési kód: 0, ha"},
      {"cli unknown option", cli, {"--nope"}, 64, "talvorix-cli: unknown option --nope\n\nUsage:",
       "talvorix-cli: ismeretlen kapcsoló: --nope\n\nHasználat:"},
      {"cli no report", cli, {}, 64, "talvorix-cli: no report given", "talvorix-cli: nincs megadva forduló"},
      // The notice is the report's own text, the same in every language.
      {"cli missing file", cli, {missing}, 2, "talvorix-cli: " + missing + ": Nincs ilyen fájl\n",
       "talvorix-cli: " + missing + ": Nincs ilyen fájl\n"},
      {"cli folder", cli, {folder}, 64,
       "talvorix-cli: " + folder + " is a folder, not a report; to watch it: talvorix-cli --watch " + folder,
       "talvorix-cli: " + folder + " mappa, nem forduló; a figyeléséhez: talvorix-cli --watch " + folder},
      {"send -h", send, {"-h"}, 0, "Usage: talvorix-send PATH", "Használat: talvorix-send ÚTVONAL"},
      {"send bad usage", send, {"one", "two"}, 64, "Usage: talvorix-send", "Használat: talvorix-send"},
      {"send unknown option", send, {"--nope"}, 64, "talvorix-send: unknown option --nope\n\nUsage:",
       "talvorix-send: ismeretlen kapcsoló: --nope\n\nHasználat:"},
      {"send no dialog", send, {missing}, 1, "talvorix-send: no Talvorix dialog is running (",
       "talvorix-send: nem fut Talvorix ablak ("},
      {"send folder, no dialog", send, {folder}, 1, "talvorix-send: no Talvorix dialog is running (",
       "talvorix-send: nem fut Talvorix ablak ("},
  };
  for (const Locale& locale : kLocales) {
    SCOPED_TRACE(locale.name);
    if (!locale.env.empty() && locale.env.back().find("hu_HU") != std::string::npos && !localeMade_) {
      ADD_FAILURE() << "localedef could not make hu_HU.UTF-8 (Debian package: locales)";
      continue;
    }
    for (const Case& c : kCases) {
      SCOPED_TRACE(c.name);
      ProcessOptions options = InEnvironment(c.program, Base(), locale.env);
      options.errToOut = true;
      const ProcessRun run = RunProcess(c.args, options);
      EXPECT_EQ(run.status, c.status);
      const std::string& want = locale.hungarian ? c.hungarian : c.english;
      const std::string& other = locale.hungarian ? c.english : c.hungarian;
      EXPECT_NE(run.out.find(want), std::string::npos) << run.out;
      if (want != other) {
        EXPECT_EQ(run.out.find(other), std::string::npos) << run.out;
      }
    }
  }
}

// --watch says on standard error which folder it watches and that none of its
// reports is there yet; standard output stays for reports.
TEST_F(LocaleTable, WatchSaysWhatItWatches) {
  const std::string empty = (root_ / "home").string();
  struct Row {
    std::vector<std::string> env;
    std::string want;
  };
  const Row kRows[] = {
      {{"LANG=C"}, "Watching folder: " + empty + "\nNo report in this folder yet\n"},
      {{"LANG=C.UTF-8", "LANGUAGE=hu"}, "Figyelt mappa: " + empty + "\nMég nincs forduló ebben a mappában\n"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.env.back());
    Process cli({"--watch", empty}, InEnvironment(TALVORIX_CLI, Base(), row.env));
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.Wait(std::chrono::seconds(1)), -1);  // still watching
    EXPECT_EQ(cli.err(), row.want);
    EXPECT_EQ(cli.out(), "");
  }
}

}  // namespace
}  // namespace talvorix
