// End to end: talvorix-cli as a user runs it, over the sample reports and small crafted ones.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/cp1250.h"
#include "tests/cli/cli_process.h"

namespace talvorix {
namespace {

std::string Example(const char* name) { return std::string(TALVORIX_SOURCE_DIR) + "/examples/" + name; }

struct Record {
  std::string text;
  std::string answer;
  std::string title;
};

void ExpectRecords(const nlohmann::json& line, const std::vector<Record>& want) {
  ASSERT_EQ(line.at("count"), static_cast<int>(want.size()));
  ASSERT_EQ(line.at("records").size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const nlohmann::json& got = line.at("records").at(i);
    EXPECT_EQ(got.at("text"), want[i].text);
    EXPECT_EQ(got.at("answer"), want[i].answer);
    EXPECT_EQ(got.at("title"), want[i].title);
  }
}

const char* const kHall = " Csarnok feladvány ";
const char* const kHermit = " Remete feladány ";

TEST(CliJson, SampleReports) {
  struct Case {
    const char* file;
    std::vector<Record> records;
  };
  const Case kCases[] = {
      {"fordulo-112.html",
       {{"Látsz egy öreg parasztot, aki a mezőn így számolja lépéseit - 30 lépést tesz észak felé, majd "
         "megnézi iránytűjét, 90 fokkal jobbra fordul, és újabb 40 lépést tesz meg. Hány lépésre van a "
         "kiindulópontjától?",
         "50", kHall},
        {"Tudjuk, hogy a vásáron első ízben 3 kard és 2 pajzs 130 aranyért, kelt el, második alkalommal "
         "4 kard és 5 pajzs 220 aranyért. Mennyibe kerül egy kard?",
         "30", kHall},
        {"Egyszerű remete feladvány", "69", kHermit},
        {"Ez egy régi számsor. A számok: 1, 3, 7, 15, 31, 63. Mi következik, ha a szabály nem változik?",
         "127", kHall}}},
      {"fordulo-113.html",
       {{"Zuveghar professzor feljegyezte: napi fejadagként 1 zsák zab és napi 1 vödör víz mellett a "
         "szaporulat 15 milgand. Kétszeres zab esetén 2 zsák és a víz fejadagnál, 3 vödör, a szaporulat "
         "23 milgand. Ha az állatot 4 zsák zabbal eteti, és a víz fejadagnál 2 vödör, a milgandokkal, 24 "
         "lesz a szaporulat. Talán Zuveghar 5 zsák zab és 5 vödör víz mellett mennyi szaporulatot várhat?",
         "35", kHall},
        {"Ha 3 favágó 2 hét alatt 12 fát vág ki, akkor 5 favágó 4 hét alatt hány fát vág ki?", "40", kHall},
        {"Aladár törpe  :  H\nBendegúz törpe  :  H\nCsaba törpe  :  I\nDezső törpe  :  H\nElemér törpe  :  H\n",
         "44", kHermit}}},
      {"fordulo-114.html",
       {{"Az alomban minden kölyök felfalt 3 egeret, és minden kölyök megevett 2 egeret minden testvére "
         "után is, így összesen 27 egér fogyott. Hány kölyök van az alomban?",
         "3", kHall},
        {"Ez a számsor talán nem is szabályos. A számok: 3, 1, 4, 1, 5, 9. Folytasd, ha tudod!", "?",
         " Nem találtam megoldást "},
        {"Aba lovag  :  I  ,  H\nBors lovag  :  I  ,  H\nCsete lovag  :  I  ,  H\nDöme lovag  :  I  ,  H\n"
         "Ete lovag  :  I  ,  H\nNem egyértelmű megoldás!",
         "32,66", kHermit}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    const ProcessRun run = RunProcess({"--json", Example(c.file)});
    ASSERT_EQ(run.status, 0);
    const nlohmann::json line = nlohmann::json::parse(run.out);
    EXPECT_EQ(line.at("path"), Example(c.file));
    ExpectRecords(line, c.records);
  }
}

/// Writes a crafted report from UTF-8 lines (CR LF ends) into a fresh temporary file.
class CraftedReports : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("talvorix-cli-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const char* name, std::initializer_list<std::string_view> lines) {
    std::string bytes;
    for (std::string_view line : lines) bytes += Utf8ToCp1250(line).value() + "\r\n";
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  std::filesystem::path dir_;
};

constexpr std::string_view kHermitOpening[] = {
    "Rábukkansz a remete odújára.", "<BR> Üdvözöllek, ifjú galetki!",
    "A választ öt törpe ismeri: egy Aladár, egy Bendegúz, egy Csaba, egy Dezső és egy Elemér.<BR>"};

TEST_F(CraftedReports, UnsolvableHermitPuzzleDoesNotHideLaterRiddles) {
  const std::string path = Write(
      "mixed.html",
      {"<HTML><BODY>", "Egy ős!", "Kérdés:<BR>", "Ha 3 favágó 2 hét alatt 12 fát vág ki, akkor 5 favágó 4 hét "
       "alatt hány fát vág ki?<BR>", kHermitOpening[0], kHermitOpening[1], kHermitOpening[2],
       "Aladár törpe: Ez nem egy szám.", "A remete: semmi.<BR>", "Egy ős!", "Kérdés:<BR>",
       "Valami, ami nem rejtvény.<BR>", "</BODY></HTML>"});
  const ProcessRun run = RunProcess({"--json", path});
  ASSERT_EQ(run.status, 0);
  ExpectRecords(nlohmann::json::parse(run.out),
                {{"Ha 3 favágó 2 hét alatt 12 fát vág ki, akkor 5 favágó 4 hét alatt hány fát vág ki?", "40", kHall},
                 {"Valami, ami nem rejtvény.", "?", " Nem tudtam értelmezni "}});
}

// An answer too long for its field ends in an ellipsis, and the text carries it whole.
TEST_F(CraftedReports, LongTruthTellerAnswerIsKeptWhole) {
  const std::string path = Write(
      "four.html",
      {kHermitOpening[0], kHermitOpening[1], kHermitOpening[2],
       "Aladár törpe: A szám osztható hárommal. Bendegúz törpe és Csaba törpe között van igazmondó.",
       "Bendegúz törpe: A válasz 50-nél nagyobb. Bendegúz törpe igazat mond.",
       "Csaba törpe: A szám osztható kettővel. Csaba törpe igazat mond.",
       "Dezső törpe: A válasz 30-nál kisebb. Aladár törpe igazat mond.",
       "Elemér törpe: A szám nem osztható öttel. Aladár törpe igazat mond.",
       "A remete: A válasz 90-nél nagyobb.<BR>"});
  const ProcessRun run = RunProcess({"--json", path});
  ASSERT_EQ(run.status, 0);
  ExpectRecords(nlohmann::json::parse(run.out),
                {{"Aladár törpe  :  I  ,  I  ,  I  ,  H\nBendegúz törpe  :  I  ,  I  ,  H  ,  H\n"
                  "Csaba törpe  :  I  ,  H  ,  I  ,  H\nDezső törpe  :  I  ,  I  ,  I  ,  H\n"
                  "Elemér törpe  :  I  ,  I  ,  I  ,  H\nNem egyértelmű megoldás!\n"
                  "Megoldás : Nincs,Nincs,Nincs,Nincs",
                  "Nincs,Nincs,N…", kHermit}});
}

TEST_F(CraftedReports, CountsAndExitStatus) {
  const std::string empty = Write("empty.html", {});
  const std::string plain = Write("plain.html", {"<HTML>", "Csak egy átlagos nap.<BR>", "</HTML>"});
  const std::string missing = (dir_ / "missing.html").string();
  const ProcessRun run = RunProcess({"--json", empty, plain, missing});
  EXPECT_EQ(run.status, 2);
  std::vector<nlohmann::json> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(nlohmann::json::parse(run.out.substr(start, end - start)));
  ASSERT_EQ(lines.size(), 3u);
  const int wantCounts[] = {0, 0, -1};
  const std::string paths[] = {empty, plain, missing};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(paths[i]);
    EXPECT_EQ(lines[i].at("path"), paths[i]);
    EXPECT_EQ(lines[i].at("count"), wantCounts[i]);
    EXPECT_TRUE(lines[i].at("records").empty());
  }
}

// A folder among the reports is bad usage (it is watched, not read): nothing is printed.
TEST_F(CraftedReports, FolderIsBadUsage) {
  const std::string plain = Write("plain.html", {"<HTML>", "Csak egy átlagos nap.<BR>", "</HTML>"});
  const ProcessRun run = RunProcess({"--json", plain, dir_.string()});
  EXPECT_EQ(run.status, 64);
  EXPECT_EQ(run.out, "");
}

TEST(CliText, ShowsRecordsAsTheDialogDoes) {
  const ProcessRun run = RunProcess({Example("fordulo-113.html")});
  ASSERT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("[1/3] Csarnok feladvány \nZuveghar professzor"), std::string::npos);
  EXPECT_NE(run.out.find("\nMegoldás : 40\n"), std::string::npos);
  EXPECT_NE(run.out.find("[3/3] Remete feladány \nAladár törpe  :  H\n"), std::string::npos);
}

// The arguments are read in order: the first help, version or bad option decides, and
// after "--" every argument is a report. Errors go to standard error alone.
TEST(CliText, UsageAndNotices) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string outStart;
    std::string errStart;
  };
  const std::string report = Example("fordulo-112.html");
  const std::string folder = std::string(TALVORIX_SOURCE_DIR) + "/examples";
  const Case kCases[] = {
      {{}, 64, "", "talvorix-cli: no report given\n\nUsage: talvorix-cli"},
      {{"--bogus", report}, 64, "", "talvorix-cli: unknown option --bogus\n\nUsage: "},
      {{"--help"}, 0, "Usage: talvorix-cli", ""},
      {{"--version"}, 0, "talvorix-cli 0.93", ""},
      {{"--help", "--bogus"}, 0, "Usage: talvorix-cli", ""},
      {{"--bogus", "--help"}, 64, "", "talvorix-cli: unknown option --bogus\n\nUsage: "},
      {{report, "-h"}, 0, "Usage: talvorix-cli", ""},
      {{"--", "-h"}, 2, "", "talvorix-cli: -h: Nincs ilyen fájl\n"},
      {{"-x"}, 2, "", "talvorix-cli: -x: Nincs ilyen fájl\n"},
      {{"--watch", folder, "--watch", folder}, 64, "", "talvorix-cli: --watch takes one folder\n\nUsage: "},
      {{"--once", "--watch", folder, report}, 64, "",
       "talvorix-cli: --once goes with --watch, and --watch with no report\n\nUsage: "},
      // The folder is named, with no usage after it, and no report before it is read.
      {{report, folder}, 64, "",
       "talvorix-cli: " + folder + " is a folder, not a report; to watch it: talvorix-cli --watch " + folder + "\n"},
      {{"/nonexistent/report.html"}, 2, "", "talvorix-cli: /nonexistent/report.html: Nincs ilyen fájl\n"},
      {{"--", "/dev/null"}, 2, "", "talvorix-cli: /dev/null: Nincs ilyen fájl\n"},
      {{"/nonexistent/a.html", report}, 2, "==> /nonexistent/a.html <==\n\n==> ",
       "talvorix-cli: /nonexistent/a.html: Nincs ilyen fájl\n"},
  };
  ProcessOptions english;
  english.environment = {"LANG=C"};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.args.empty() ? "" : c.args.front() + " " + c.args.back());
    const ProcessRun run = RunProcess(c.args, english);
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(run.out.starts_with(c.outStart)) << run.out;
    EXPECT_TRUE(run.err.starts_with(c.errStart)) << run.err;
    if (c.errStart.find("\n\nUsage: ") == std::string::npos) {
      EXPECT_EQ(run.err, c.errStart);  // all of it, unless the usage follows
    }
  }
}

/// Whether `text` holds a control byte other than the line feeds that end its lines.
bool HoldsRawControlByte(std::string_view text) {
  for (const char c : text)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == '\x7f') return true;
  return false;
}

// File names may hold any byte: control bytes reach the terminal only as \xHH, in the
// headers and in the error lines alike; other bytes are shown as they are.
TEST_F(CraftedReports, ControlBytesInPathsAreShownEscaped) {
  struct Case {
    std::string name;
    std::string shown;
  };
  const Case kCases[] = {
      {"esc\x1b[2J.html", "esc\\x1b[2J.html"},
      {"title\x1b]0;pwned\x07.html", "title\\x1b]0;pwned\\x07.html"},
      {"del\x7f.html", "del\\x7f.html"},
      {"line\nfeed.html", "line\\x0afeed.html"},
      {"tab\tcr\r.html", "tab\\x09cr\\x0d.html"},
      {"back\\slash.html", "back\\slash.html"},
      {"latin\xE9 \xC3\xA9.html", "latin\xE9 \xC3\xA9.html"},
      {"csi\xC2\x9B" "2J \xC2\xA0\xC2.html", "csi\\xc2\\x9b2J \xC2\xA0\xC2.html"},  // UTF-8 C1, NBSP, lone C2
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.shown);
    const std::string report = Write(c.name.c_str(), {"Csak egy nap."});
    const std::string missing = (dir_ / ("missing-" + c.name)).string();
    const ProcessRun run = RunProcess({report, missing});
    EXPECT_EQ(run.status, 2);
    const std::string shownDir = dir_.string();
    EXPECT_EQ(run.out, "==> " + shownDir + "/" + c.shown + " <==\nNem találtam feladványt a fájlban\n\n==> " +
                           shownDir + "/missing-" + c.shown + " <==\n");
    EXPECT_EQ(run.err, "talvorix-cli: " + shownDir + "/missing-" + c.shown + ": Nincs ilyen fájl\n");
    EXPECT_FALSE(HoldsRawControlByte(run.out));
    EXPECT_FALSE(HoldsRawControlByte(run.err));

    // JSON escapes the C0 controls its own way (and, as JSON allows, leaves DEL as it is).
    const std::string json = RunProcess({"--json", report}).out;
    EXPECT_EQ(std::count_if(json.begin(), json.end(), [](char b) { return static_cast<unsigned char>(b) < 0x20; }),
              1);  // the line feed that ends the line
  }
  const ProcessRun option = RunProcess({"--\x1b[31m"});
  EXPECT_EQ(option.status, 64);
  EXPECT_TRUE(option.err.starts_with("talvorix-cli: unknown option --\\x1b[31m\n\nUsage")) << option.err;
}

/// Where a run's standard output goes in WriteErrorsEndWith74.
enum class Sink { kFullDevice, kClosedPipe };

/// Runs talvorix-cli with `args` to its end, its standard output going to `sink`.
ProcessRun RunCliInto(Sink sink, const std::vector<std::string>& args) {
  int descriptor = -1;
  if (sink == Sink::kFullDevice) {
    descriptor = open("/dev/full", O_WRONLY | O_CLOEXEC);
  } else {
    // The reader is gone before the program starts: every write meets a closed pipe.
    int pipeFds[2] = {-1, -1};
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return {-1, {}, {}};
    close(pipeFds[0]);
    descriptor = pipeFds[1];
  }
  if (descriptor < 0) return {-1, {}, {}};
  // Started with SIGPIPE ignored, the program sees EPIPE instead of being killed by it.
  ProcessOptions options;
  options.out = descriptor;
  options.ignoreSigpipe = sink == Sink::kClosedPipe;
  Process process(args, options);
  close(descriptor);
  const int status = process.started() ? process.Wait() : -1;
  return {status, {}, process.err()};
}

// Output that cannot be written is an error, whatever was being printed: the program
// says so on standard error and exits 74 (EX_IOERR), never 0.
TEST_F(CraftedReports, WriteErrorsEndWith74) {
  struct Case {
    const char* name;
    Sink sink;
    std::vector<std::string> args;
    std::string alsoOnStderr;
  };
  const std::string report = Example("fordulo-112.html");
  const std::string missing = (dir_ / "missing.html").string();
  const Case kCases[] = {
      {"text to a full disk", Sink::kFullDevice, {report}, ""},
      {"--json to a full disk", Sink::kFullDevice, {"--json", report}, ""},
      {"--help to a full disk", Sink::kFullDevice, {"--help"}, ""},
      {"--version to a full disk", Sink::kFullDevice, {"--version"}, ""},
      {"an unreadable report before a full disk", Sink::kFullDevice, {missing, report},
       "talvorix-cli: " + missing + ": Nincs ilyen fájl\n"},
      {"text to a pipe nobody reads", Sink::kClosedPipe, {report}, ""},
      {"--json to a pipe nobody reads", Sink::kClosedPipe, {"--json", report, report}, ""},
      {"--help to a pipe nobody reads", Sink::kClosedPipe, {"--help"}, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const ProcessRun run = RunCliInto(c.sink, c.args);
    EXPECT_EQ(run.status, 74);
    const std::string cause = c.sink == Sink::kFullDevice ? "No space left on device" : "Broken pipe";
    EXPECT_EQ(run.err, c.alsoOnStderr + "talvorix-cli: write error: " + cause + "\n");
  }
  // Nothing to write is no write error: an unreadable report alone still gives 2.
  EXPECT_EQ(RunCliInto(Sink::kFullDevice, {missing}).status, 2);
}

}  // namespace
}  // namespace talvorix

namespace talvorix {
namespace {

/// The kind a reader tells from a record's text (the titles do not tell the Hall kinds
/// apart); the CLI's "kind" comes from the solver that answered and must agree.
std::string KindOfText(const nlohmann::json& record) {
  const std::string text = record.at("text");
  if (record.at("title") == " Remete feladány ")
    return text == "Egyszerű remete feladvány" ? "hermit" : "truth-teller";
  if (text.find("számsor") != std::string::npos) return "sequence";
  if (text.find("alomban") != std::string::npos) return "litter";
  if (text.starts_with("Ha ")) return "proportion";
  if (text.find("Zuveghar professzor") != std::string::npos) return "ration";
  if (text.find("Tudjuk,") != std::string::npos) return "purchase";
  if (text.find("egy öreg paraszt") != std::string::npos) return "compass";
  return "unknown";
}

TEST(CliJson, KindAndSolvedOfEveryRecord) {
  std::vector<std::string> files;
  for (const char* folder : {"/examples", "/tests/scanner/saved_pages/saved"})
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TALVORIX_SOURCE_DIR) + folder))
      files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  std::set<std::string> kindsSeen;
  int unsolved = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const ProcessRun run = RunProcess({"--json", file});
    ASSERT_EQ(run.status, 0);
    const nlohmann::json line = nlohmann::json::parse(run.out);
    int k = 0;
    for (const nlohmann::json& record : line.at("records")) {
      SCOPED_TRACE(++k);
      EXPECT_EQ(record.at("kind"), KindOfText(record));
      // Unsolved: the answer is "?" (unreadable, or a sequence no rule fits).
      EXPECT_EQ(record.at("solved"), record.at("answer") != "?");
      kindsSeen.insert(record.at("kind").get<std::string>());
      if (!record.at("solved")) ++unsolved;
    }
  }
  EXPECT_EQ(kindsSeen, (std::set<std::string>{"compass", "purchase", "ration", "proportion", "litter", "sequence",
                                              "hermit", "truth-teller"}));
  EXPECT_GT(unsolved, 0);
}

TEST_F(CraftedReports, UnreadableHallRiddleIsNotSolved) {
  const std::string path = Write(
      "unreadable.html", {"<HTML><BODY>", "Egy ős!", "Kérdés:<BR>", "Valami, ami nem rejtvény.<BR>", "Egy ős!",
                          "Kérdés:<BR>", "Ha 3 favágó 0 hét alatt 12 fát vág ki, akkor 5 favágó 4 hét alatt hány fát "
                          "vág ki?<BR>", "</BODY></HTML>"});
  const ProcessRun run = RunProcess({"--json", path});
  ASSERT_EQ(run.status, 0);
  const nlohmann::json records = nlohmann::json::parse(run.out).at("records");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].at("kind"), "unknown");  // no kind's keywords
  EXPECT_EQ(records[0].at("solved"), false);
  EXPECT_EQ(records[0].at("title"), " Nem tudtam értelmezni ");
  EXPECT_EQ(records[1].at("kind"), "proportion");  // the kind whose solver could not read it
  EXPECT_EQ(records[1].at("solved"), false);
}

}  // namespace
}  // namespace talvorix
