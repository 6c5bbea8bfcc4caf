// The scan loop watched through recording solvers: which puzzle texts it gathers
// and hands over, and which records it keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cp1250.h"
#include "scanner/scan_turn_report.h"
#include "tests/core/win1250.h"

namespace talvorix {
namespace {

using test::Win1250;

/// Report bytes from UTF-8 lines, each ended by a line feed.
std::string Report(std::initializer_list<std::string_view> lines) {
  std::string bytes;
  for (std::string_view line : lines) bytes += Win1250(line) + "\n";
  return bytes;
}

struct Recorder {
  std::vector<std::string> calls;  // "hall:" or "hermit:" and the text handed over

  PuzzleSolvers Solvers() {
    auto record = [this](const char* kind, bool solved) {
      return [this, kind, solved](std::string_view text, PuzzleResult* result, PuzzleOutcome*) {
        const std::string gathered(text);
        calls.push_back(kind + gathered);
        SetField(result->text, kind + gathered);
        return solved && gathered.find("NOPE") == std::string::npos;
      };
    };
    return {record("hall:", true), record("hermit:", true)};
  }
};

struct Case {
  const char* name;
  std::string report;
  std::vector<std::string> calls;  // UTF-8
  std::vector<std::string> kept;   // UTF-8 texts of the kept records
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> kCases = {
      {"empty report", "", {}, {}},
      {"no phrase", Report({"<HTML><BODY>", "Csend van.<BR>", "</BODY>"}), {}, {}},
      {"Hall puzzle from the first <BR> line after the phrase to the next",
       Report({"Egy ős! Hangja zeng:<BR>", "Halld!<BR>", "Mennyi 2 meg 2?", "Felelj!<BR>", "vége<BR>"}),
       {"hall:Halld!<BR> Mennyi 2 meg 2? Felelj!<BR> "},
       {"hall:Halld!<BR> Mennyi 2 meg 2? Felelj!<BR> "}},
      {"phrase broken across two lines is found in window mode",
       Report({"Egy ős", "materializálódott! Szól:", "a<BR>", "b<BR>"}),
       {"hall:a<BR> b<BR> "},
       {"hall:a<BR> b<BR> "}},
      {"phrase broken across two lines is lost once a trigger was seen",
       Report({"Egy ős!", "x<BR>", "y<BR>", "Egy ős", "materializálódott!", "z<BR>", "w<BR>"}),
       {"hall:x<BR> y<BR> "},
       {"hall:x<BR> y<BR> "}},
      {"closing line with an ancestor phrase arms the next puzzle",
       Report({"Egy ős!", "a<BR>", "b<BR> Egy ősöd!", "c<BR>", "d<BR>"}),
       {"hall:a<BR> b<BR> Egy ősöd! ", "hall:c<BR> d<BR> "},
       {"hall:a<BR> b<BR> Egy ősöd! ", "hall:c<BR> d<BR> "}},
      {"lower-case tag never closes; the open puzzle is dropped at the end",
       Report({"Egy ős!", "a<BR>", "b<br>", "c<br>"}), {}, {}},
      {"hermit puzzle started in window mode takes the previous line",
       Report({"Erdő szélén jársz.", "Rábukkansz a remete odújára.", "<BR> Üdvözöllek, ifjú galetki!",
               "A választ öt törpe<BR>", "szöveg", "vége<BR>", "utána<BR>"}),
       {"hermit:Erdő szélén jársz. Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! "
        "A választ öt törpe<BR> szöveg vége<BR> "},
       {"hermit:Erdő szélén jársz. Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! "
        "A választ öt törpe<BR> szöveg vége<BR> "}},
      {"hermit start on the first line begins with a blank",
       Report({"Rábukkansz a remete odújára.", "<BR> Üdvözöllek, ifjú galetki!", "x<BR>", "y<BR>"}),
       {"hermit: Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! x<BR> y<BR> "},
       {"hermit: Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! x<BR> y<BR> "}},
      {"greeting broken after its tag is found in the gathered text",
       Report({"Rábukkansz a remete odújára.", "<BR>", "Üdvözöllek, ifjú galetki!", "x<BR>", "y<BR>"}),
       {"hermit: Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! x<BR> y<BR> "},
       {"hermit: Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! x<BR> y<BR> "}},
      {"puzzles are kept in the order of their closing lines",
       Report({"Egy ős!", "h1<BR>", "h1 vége<BR>", "Rábukkansz a remete odújára.",
               "<BR> Üdvözöllek, ifjú galetki!", "r<BR>", "r vége<BR>", "halvány szellemalak", "h2<BR>",
               "h2 vége<BR>"}),
       {"hall:h1<BR> h1 vége<BR> ", "hermit:Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! r<BR> r vége<BR> ",
        "hall:h2<BR> h2 vége<BR> "},
       {"hall:h1<BR> h1 vége<BR> ", "hermit:Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! r<BR> r vége<BR> ",
        "hall:h2<BR> h2 vége<BR> "}},
      {"a hermit puzzle that cannot be solved is dropped and the scan goes on",
       Report({"Egy ős!", "h1<BR>", "h1 vége<BR>", "Rábukkansz a remete odújára.",
               "<BR> Üdvözöllek, ifjú galetki!", "NOPE<BR>", "r vége<BR>", "Egy ős!", "h2<BR>", "h2 vége<BR>"}),
       {"hall:h1<BR> h1 vége<BR> ", "hermit:Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! NOPE<BR> r vége<BR> ",
        "hall:h2<BR> h2 vége<BR> "},
       {"hall:h1<BR> h1 vége<BR> ", "hall:h2<BR> h2 vége<BR> "}},
      {"control-Z ends the report",
       Report({"Egy ős!", "a<BR>", "b<BR>"}) + "\x1A" + Report({"Egy ős!", "c<BR>", "d<BR>"}),
       {"hall:a<BR> b<BR> "},
       {"hall:a<BR> b<BR> "}},
      {"a trailing line feed appends one blank to an open puzzle",
       Report({"Rábukkansz a remete odújára.", "<BR> Üdvözöllek, ifjú galetki!", "x<BR>"}), {}, {}},
      {"a line's text ends at its first NUL",
       std::string("Egy \0", 5) + Win1250("ős!\nEgy ős!\na<BR>\nb") + std::string("\0<BR>\nc<BR>\n", 11),
       {"hall:a<BR> b c<BR> "},
       {"hall:a<BR> b c<BR> "}},
      {"a hermit start inside a Hall puzzle shares its one gathered text",
       Report({"Egy ős!", "a<BR>", "Rábukkansz a remete odújára.", "b<BR>", "c"}),
       {"hall:Rábukkansz a remete odújára. Rábukkansz a remete odújára. b<BR> b<BR> "},
       {"hall:Rábukkansz a remete odújára. Rábukkansz a remete odújára. b<BR> b<BR> "}},
      // How the two kinds take turns at their one gathered text.
      {"an ancestor phrase inside a Hall puzzle arms nothing after it",
       Report({"Egy ős!", "a<BR>", "Egy ősöd!", "b<BR>", "c<BR>", "d<BR>"}),
       {"hall:a<BR> Egy ősöd! b<BR> "},
       {"hall:a<BR> Egy ősöd! b<BR> "}},
      {"<BR> lines before the greeting do not close a hermit puzzle",
       Report({"Rábukkansz a remete odújára.", "a<BR>", "b<BR>", "<BR> Üdvözöllek, ifjú galetki!", "c<BR>",
               "d<BR>", "e<BR>"}),
       {"hermit: Rábukkansz a remete odújára. a<BR> b<BR> <BR> Üdvözöllek, ifjú galetki! c<BR> d<BR> "},
       {"hermit: Rábukkansz a remete odújára. a<BR> b<BR> <BR> Üdvözöllek, ifjú galetki! c<BR> d<BR> "}},
      {"a start phrase on the closing line replaces the text handed over",
       Report({"Rábukkansz a remete odújára.", "<BR> Üdvözöllek, ifjú galetki!", "x<BR>",
               "Rábukkansz a remete odújára. y<BR>", "z<BR>", "w<BR>"}),
       {"hermit:Rábukkansz a remete odújára. y<BR> "},
       {"hermit:Rábukkansz a remete odújára. y<BR> "}},
      {"a Hall puzzle started inside a hermit puzzle takes the text; the hermit's starts again after it",
       Report({"Egy ős!", "Rábukkansz a remete odújára.", "a<BR>", "b<BR>", "<BR> Üdvözöllek, ifjú galetki!",
               "c<BR>", "d<BR>"}),
       {"hall:a<BR> b<BR> b<BR> ", "hermit:<BR> Üdvözöllek, ifjú galetki! c<BR> d<BR> "},
       {"hall:a<BR> b<BR> b<BR> ", "hermit:<BR> Üdvözöllek, ifjú galetki! c<BR> d<BR> "}},
      {"a hermit close hands over the Hall text that took its place, before the Hall puzzle takes the line",
       Report({"Rábukkansz a remete odújára.", "<BR> Üdvözöllek, ifjú galetki!", "Egy ős!", "a<BR>", "b<BR>",
               "c<BR>"}),
       {"hermit:a<BR> b<BR> ", "hall:b<BR> "},
       {"hermit:a<BR> b<BR> ", "hall:b<BR> "}},
      {"the greeting in a Hall text closes a hermit puzzle that never started, with an empty text",
       Report({"Egy ős!", "x<BR>", "Üdvözöllek, ifjú galetki!", "y", "z<BR>", "w<BR>", "v<BR>"}),
       {"hall:x<BR> Üdvözöllek, ifjú galetki! y z<BR> ", "hermit:"},
       {"hall:x<BR> Üdvözöllek, ifjú galetki! y z<BR> ", "hermit:"}},
  };
  return kCases;
}

TEST(ScanLoop, GathersAndKeepsPuzzles) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    Recorder recorder;
    const ResultTable table = ScanTurnReportText(c.report, recorder.Solvers());
    std::vector<std::string> calls;
    for (const std::string& call : recorder.calls) calls.push_back(Cp1250ToUtf8(call));
    EXPECT_EQ(calls, c.calls);
    std::vector<std::string> kept;
    for (int32_t k = 1; k <= table.count(); ++k) kept.push_back(Cp1250ToUtf8(table.View(k)->text));
    EXPECT_EQ(kept, c.kept);
    EXPECT_EQ(table.count(), static_cast<int32_t>(c.kept.size()));
  }
}

// Window mode keeps 298 characters of a line, single-line mode all 299 of a read.
TEST(ScanLoop, LineLimitsDependOnTheMode) {
  struct LimitCase {
    const char* name;
    std::string report;
    int32_t count;
  };
  const std::string phrase = Win1250("Egy ős!");
  const LimitCase kCases[] = {
      {"phrase ending at character 298 of the first line",
       std::string(298 - phrase.size(), 'x') + phrase + "\na<BR>\nb<BR>\n", 1},
      {"phrase ending at character 299 is cut off in window mode",
       std::string(299 - phrase.size(), 'x') + phrase + "\na<BR>\nb<BR>\n", 0},
      {"tag ending at character 299 in single-line mode",
       phrase + "\n" + std::string(295, 'x') + "<BR>\nb<BR>\n", 1},
      {"tag split by the 299-character read",
       phrase + "\n" + std::string(296, 'x') + "<BR>\nb<BR>\n", 0},
  };
  for (const LimitCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Recorder recorder;
    EXPECT_EQ(ScanTurnReportText(c.report, recorder.Solvers()).count(), c.count);
  }
}

TEST(ScanTurnReport, PathsThatAreNotReadableReportsGiveMinusOne) {
  for (const char* path : {"/nonexistent/report.html", "/tmp", "/dev/null", ""}) {
    SCOPED_TRACE(path);
    ResultTable table;
    PuzzleResult r;
    table.Append(r);
    EXPECT_EQ(ScanTurnReport(path, &table), -1);
    EXPECT_EQ(table.count(), -1);
    EXPECT_FALSE(table.View(1));
  }
}

}  // namespace
}  // namespace talvorix
