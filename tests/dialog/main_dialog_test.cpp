// The dialog logic driven through a recording view: exact control texts, in order.
#include "dialog/main_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/cp1250.h"
#include "tests/core/win1250.h"
#include "tests/scanner/report_fixtures.h"

namespace talvorix {
namespace {

struct RecordingView : DialogView {
  std::vector<std::string> calls;  // "id=text" in UTF-8, "front", "end=N"
  void SetControlText(int controlId, std::string_view cp1250) override {
    calls.push_back(std::to_string(controlId) + "=" + Cp1250ToUtf8(cp1250));
  }
  void BringToForeground() override { calls.push_back("front"); }
  void EndDialog(int result) override { calls.push_back("end=" + std::to_string(result)); }
  void CopyText(std::string_view cp1250) override { calls.push_back("copy=" + Cp1250ToUtf8(cp1250)); }
};

PuzzleResult Record(const std::string& text, const std::string& answer, const std::string& title) {
  PuzzleResult r;
  SetField(r.text, test::Win1250(text));
  SetField(r.answer, answer);
  SetField(r.title, test::Win1250(title));
  return r;
}

/// A scan that yields `count` records named r1, r2, ... (or -1 / 0).
ReportScan Records(int32_t count) {
  return [count](ResultTable* table) {
    if (count < 0) {
      table->SetUnreadable();
      return -1;
    }
    for (int32_t i = 1; i <= count; ++i)
      table->Append(Record("r" + std::to_string(i), std::to_string(10 * i), " Csarnok feladvány "));
    return count;
  };
}

std::vector<std::string> Shown(int k, int n) {
  return {"1006=" + std::to_string(10 * k), "1004=r" + std::to_string(k), "1008= Csarnok feladvány ",
          "1007=" + std::to_string(k) + "/" + std::to_string(n)};
}

const std::vector<std::string> kNoFile = {"1006=", "1004=Nincs ilyen fájl", "1008= Feladvány ", "1007="};
const std::vector<std::string> kNoPuzzle = {"1006=", "1004=Nem találtam feladványt a fájlban",
                                            "1008= Feladvány ", "1007="};

struct Fixture {
  RecordingView view;
  MainDialog dialog{view, ""};
};

/// Presses the buttons: '<' for OnPrevious, '>' for OnNext.
void Press(MainDialog& dialog, std::string_view buttons) {
  for (char button : buttons) {
    if (button == '<') {
      dialog.OnPrevious();
    } else {
      dialog.OnNext();
    }
  }
}

TEST(MainDialog, ButtonsWrapRound) {
  struct Case {
    int32_t count;
    std::string_view presses;
    int32_t wantIndex;
  };
  const Case kCases[] = {
      {3, ">>>", 1},  // ">" from 3 shows 1/3
      {3, "<", 3},    // "<" from 1 shows 3/3
      {3, "><", 1},   // "<" from 2 shows 1/3
      {3, "<<<", 1},
      {1, ">", 1},
      {1, "<", 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.count) + " " + std::string(c.presses));
    Fixture f;
    f.dialog.OnDrop(Records(c.count));
    f.view.calls.clear();
    Press(f.dialog, c.presses);
    EXPECT_EQ(f.dialog.currentIndex(), c.wantIndex);
    ASSERT_EQ(f.view.calls.size(), 4 * c.presses.size());
    const std::vector<std::string> last(f.view.calls.end() - 4, f.view.calls.end());
    EXPECT_EQ(last, Shown(c.wantIndex, c.count));
  }
}

TEST(MainDialog, ButtonsDoNothingWithoutRecords) {
  for (int32_t count : {0, -1}) {
    SCOPED_TRACE(count);
    Fixture f;
    f.dialog.OnDrop(Records(count));
    f.view.calls.clear();
    Press(f.dialog, "><");
    EXPECT_TRUE(f.view.calls.empty());
  }
}

TEST(MainDialog, LoadsShowFirstRecordOrNotice) {
  struct Case {
    const char* name;
    int32_t count;
    std::vector<std::string> want;
  };
  const Case kCases[] = {
      {"records", 2, {"front", "1006=10", "1004=r1", "1008= Csarnok feladvány ", "1007=1/2"}},
      {"no puzzle", 0, {"front", kNoPuzzle[0], kNoPuzzle[1], kNoPuzzle[2], kNoPuzzle[3]}},
      // A report that cannot be opened says so, rather than leaving stale texts.
      {"no file", -1, {"front", kNoFile[0], kNoFile[1], kNoFile[2], kNoFile[3]}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.dialog.OnDrop(Records(3));
    f.view.calls.clear();
    f.dialog.OnDrop(Records(c.count));
    EXPECT_EQ(f.view.calls, c.want);
    EXPECT_EQ(f.dialog.table().count(), c.count);
  }
}

TEST(MainDialog, CommandLinePath) {
  struct Case {
    const char* name;
    std::string path;
    std::vector<std::string> want;
  };
  const Case kCases[] = {
      {"empty leaves the template as it is", "", {}},
      {"missing file", "/nonexistent/report.html", kNoFile},
      {"too long is refused", std::string(260, 'a'), kNoFile},
      {"a directory is no report", "/", kNoFile},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RecordingView view;
    MainDialog dialog(view, c.path);
    dialog.OnInit();
    EXPECT_EQ(view.calls, c.want);
  }
}

TEST(MainDialog, CommandLineReportIsReadAndShown) {
  RecordingView view;
  MainDialog dialog(view, std::string(TALVORIX_SOURCE_DIR) + "/examples/fordulo-113.html");
  dialog.OnInit();
  ASSERT_EQ(view.calls.size(), 4u);
  EXPECT_EQ(view.calls[0], "1006=35");
  EXPECT_EQ(view.calls[3], "1007=1/3");
  dialog.OnPrevious();
  EXPECT_EQ(view.calls.back(), "1007=3/3");
  EXPECT_EQ(view.calls[view.calls.size() - 2], "1008= Remete feladány ");
}

// The dialog reads reports up to 64 MiB; a larger one shows at once as a file that cannot
// be read, whichever way it arrives.
TEST(MainDialog, ReportsOverTheSizeLimitShowAsUnreadable) {
  const std::string riddle = test::Win1250(u8"\r\nEgy ős!\r\nKérdés:<BR>\r\nMennyi 2 meg 2?<BR>\r\n");
  struct Case {
    const char* name;
    uint64_t size;
    bool shown;
  };
  const Case kCases[] = {
      {"at the limit, its riddle in the last bytes", kDialogReportLimit, true},
      {"one byte over the limit", kDialogReportLimit + 1, false},
      {"16 GiB", uint64_t{16} << 30, false},
  };
  TempDir dir;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / "report.html";
    std::ofstream(path, std::ios::binary | std::ios::trunc);
    std::filesystem::resize_file(path, c.size - riddle.size());
    std::ofstream(path, std::ios::binary | std::ios::app) << riddle;
    ASSERT_EQ(std::filesystem::file_size(path), c.size);

    Fixture f;
    const auto started = std::chrono::steady_clock::now();
    f.dialog.OnHandedOverPath(path);
    EXPECT_EQ(f.dialog.table().count(), c.shown ? 1 : -1);
    if (!c.shown) {
      EXPECT_EQ(f.view.calls, kNoFile);
      EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    }
    RecordingView view;
    MainDialog fromCommandLine(view, path);
    fromCommandLine.OnInit();
    EXPECT_EQ(fromCommandLine.table().count(), c.shown ? 1 : -1);
  }
}

TEST(MainDialog, HandedOverPathReplacesTheTable) {
  Fixture f;
  f.dialog.OnDrop(Records(3));
  f.dialog.OnNext();
  f.view.calls.clear();
  f.dialog.OnHandedOverPath("/nonexistent/second.html");
  EXPECT_EQ(f.view.calls, kNoFile);  // no "front": only a drop brings the dialog forward
  EXPECT_EQ(f.dialog.table().count(), -1);
  EXPECT_EQ(f.dialog.lastReportPath(), "/nonexistent/second.html");
}

TEST(CommandLine, TailAndPath) {
  struct Case {
    std::string_view commandLine;
    std::string_view tail;
    std::string_view path;
  };
  const Case kCases[] = {
      {"talvorix.exe report.html", "report.html", "report.html"},
      {"\"C:\\Program Files\\talvorix.exe\"  \t\"C:\\a b\\r.html\"", "\"C:\\a b\\r.html\"", "C:\\a b\\r.html"},
      {"talvorix.exe", "", ""},
      {"talvorix.exe r.html  ", "r.html  ", "r.html  "},  // trailing blanks stay part of the path
      {"talvorix.exe \"a\"b\"", "\"a\"b\"", "a\"b"},
      {"talvorix.exe \"", "\"", "\""},
      {"\"unclosed name", "", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.commandLine);
    EXPECT_EQ(CommandLineTail(c.commandLine), c.tail);
    EXPECT_EQ(CommandLinePath(c.tail), c.path);
  }
}

}  // namespace
}  // namespace talvorix

namespace talvorix {
namespace {

// The last report loaded by path is remembered for the choosers, whichever way it came;
// a report read from a scan (no path) leaves the one before.
TEST(MainDialog, RemembersTheLastReportPath) {
  const std::string first = std::string(TALVORIX_SOURCE_DIR) + "/examples/fordulo-113.html";
  const std::string second = std::string(TALVORIX_SOURCE_DIR) + "/examples/fordulo-112.html";
  RecordingView view;
  MainDialog dialog(view, first);
  EXPECT_EQ(dialog.lastReportPath(), "");
  struct Step {
    const char* name;
    std::function<void()> act;
    std::string want;
  };
  const Step kSteps[] = {
      {"command line", [&] { dialog.OnInit(); }, first},
      {"file chooser", [&] { dialog.OnOpenFile(second); }, second},
      {"drop of a scan", [&] { dialog.OnDrop(Records(2)); }, second},
      {"drop of a path", [&] { dialog.OnDrop(first); }, first},
      {"hand-over", [&] { dialog.OnHandedOverPath(second); }, second},
      {"a missing file", [&] { dialog.OnOpenFile(first + ".gone"); }, first + ".gone"},
  };
  for (const Step& step : kSteps) {
    SCOPED_TRACE(step.name);
    step.act();
    EXPECT_EQ(dialog.lastReportPath(), step.want);
  }
}

}  // namespace
}  // namespace talvorix
