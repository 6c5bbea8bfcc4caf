#include "cli/output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/translate.h"
#include "core/cp1250.h"
#include "core/notices.h"

namespace talvorix {
namespace {

/// What `write` puts into a stream.
template <typename Write>
std::string Written(Write&& write) {
  std::FILE* stream = std::tmpfile();
  if (stream == nullptr) return "(no temporary file)";
  CheckedOutput checked(stream);
  EXPECT_TRUE(write(checked));
  EXPECT_TRUE(checked.Flush());
  std::rewind(stream);
  std::string out;
  for (int c; (c = std::fgetc(stream)) != EOF;) out.push_back(static_cast<char>(c));
  std::fclose(stream);
  return out;
}

ResultTable TableOf(int records) {
  ResultTable table;
  for (int i = 0; i < records; ++i)
    table.Append(RecordView{"sz\xF6veg \"" + std::to_string(i) + "\"\n\\", std::to_string(i), " C\xEDm "},
                 {static_cast<PuzzleKind>(i % 9), i % 2 == 0});
  return table;
}

/// A record for each byte, in each field alone and among other characters: fields
/// that the library must escape and fields that read the same without.
ResultTable EveryByte() {
  ResultTable table;
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    table.Append(RecordView{"a" + byte + "\xF5 z", byte, byte + byte});
  }
  return table;
}

TEST(CliOutput, WritingRecordByRecordGivesTheWholeDocument) {
  struct Case {
    const char* name;
    int records;
    bool unreadable;
    std::string path;
    bool everyByte = false;
  };
  const Case kCases[] = {
      {"unreadable", 0, true, "missing.html"},
      {"no records", 0, false, "empty.html"},
      {"one record", 1, false, "a \"b\"\\c.html"},
      {"many records", 50, false, "x\x01\xFF.html"},
      {"every byte in every field", 0, false, "b.html", true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ResultTable table = c.everyByte ? EveryByte() : TableOf(c.records);
    if (c.unreadable) table.SetUnreadable();
    const std::string json = FormatJsonLine(c.path, table);
    EXPECT_EQ(Written([&](CheckedOutput& out) { return WriteJsonLine(out, c.path, table); }), json + "\n");
    EXPECT_EQ(Written([&](CheckedOutput& out) { return WriteRecords(out, table); }), FormatRecords(table));

    // The pieces make one JSON document, the same as the table dumped whole.
    nlohmann::ordered_json records = nlohmann::ordered_json::array();
    for (int32_t k = 1; k <= table.count(); ++k) {
      const RecordView r = *table.View(k);
      const PuzzleOutcome outcome = table.Outcome(k);
      records.push_back({{"text", Cp1250ToUtf8(r.text)},
                         {"answer", Cp1250ToUtf8(r.answer)},
                         {"title", Cp1250ToUtf8(r.title)},
                         {"kind", std::string(KindName(outcome.kind))},
                         {"solved", outcome.solved}});
    }
    nlohmann::ordered_json whole;
    whole["path"] = c.path;
    whole["count"] = table.count();
    whole["records"] = records;
    EXPECT_EQ(json, whole.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  }
}

TEST(CliOutput, ControlCharactersOfAReportReachTheTerminalEscaped) {
  struct Case {
    const char* name;
    std::string field;  // Windows-1250
    std::string shown;  // UTF-8
  };
  const Case kCases[] = {
      {"plain text with accents", "Egy \xF5s \x96 50", "Egy \xC5\x91s \xE2\x80\x93 50"},
      {"a tab stays", "a\tb", "a\tb"},
      {"escape sequences", "\x1B]0;x\x07\x1B[31m", "\\x1b]0;x\\x07\\x1b[31m"},
      {"line feeds stay (a truth table's lines)", "A : H\nB : I", "A : H\nB : I"},
      {"carriage return and backspace", "50\r99\x08", "50\\x0d99\\x08"},
      {"DEL", "a\x7F", "a\\x7f"},
      {"undefined bytes decode to C1 controls", "\x81\x83\x88\x90\x98", "\\x81\\x83\\x88\\x90\\x98"},
      {"the rest of the high half stays", "\x80\x9B\xA0", "\xE2\x82\xAC\xE2\x80\xBA\xC2\xA0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ResultTable table;
    table.Append(RecordView{c.field, c.field, c.field});
    const std::string answerLabel = Cp1250ToUtf8(kAnswerLabel);
    EXPECT_EQ(FormatRecords(table), "[1/1]" + c.shown + "\n" + c.shown + "\n" + answerLabel + c.shown + "\n");
    // JSON keeps the text itself, escaped as JSON escapes it.
    EXPECT_EQ(nlohmann::json::parse(FormatJsonLine("p", table))["records"][0]["text"], Cp1250ToUtf8(c.field));
  }
}

// How the blocks of several reports follow one another in each layout; the records
// are WriteRecords' and the JSON lines WriteJsonLine's whatever the layout.
TEST(ReportPrinter, BlocksFollowOneAnotherAsTheLayoutSays) {
  const ResultTable one = TableOf(1);
  const ResultTable none = TableOf(0);
  const std::string a = FormatRecords(one);
  const std::string b = FormatRecords(none);
  struct Case {
    const char* name;
    ReportLayout layout;
    std::string want;
  };
  const Case kCases[] = {
      {"one report alone", {.json = false, .headers = false, .live = false}, a + b},
      {"several reports", {.json = false, .headers = true, .live = false},
       "==> a\\x1b.html <==\n" + a + "\n==> b.html <==\n" + b},
      {"--watch", {.json = false, .headers = true, .live = true},
       "==> a\\x1b.html <==\n" + a + "\n==> b.html <==\n" + b + "\n"},
      {"--json", {.json = true, .headers = true, .live = false},
       FormatJsonLine("a\x1b.html", one) + "\n" + FormatJsonLine("b.html", none) + "\n"},
      {"--json --watch", {.json = true, .headers = true, .live = true},
       FormatJsonLine("a\x1b.html", one) + "\n" + FormatJsonLine("b.html", none) + "\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Written([&](CheckedOutput& out) {
                ReportPrinter printer(out, c.layout);
                return printer.Print("a\x1b.html", one) && printer.Print("b.html", none);
              }),
              c.want);
  }
}

// A failed write is remembered with its cause, ends the writing of records at once,
// and nothing is written after it.
TEST(CheckedOutput, FirstFailureIsKeptAndStopsTheWriting) {
  struct Case {
    const char* name;
    const char* file;
    const char* mode;
    int error;
    bool failsAtWrite;  // else only at the flush, the bytes having gone to the buffer
  };
  const Case kCases[] = {
      {"a full device", "/dev/full", "w", ENOSPC, false},
      {"a stream open only for reading", "/dev/null", "r", EBADF, true},
  };
  const ResultTable table = TableOf(2000);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::FILE* stream = std::fopen(c.file, c.mode);
    ASSERT_NE(stream, nullptr);
    CheckedOutput out(stream);
    EXPECT_EQ(out.Write("a"), !c.failsAtWrite);
    EXPECT_FALSE(WriteRecords(out, table)) << "2000 records overflow any buffer";
    EXPECT_EQ(out.error(), c.error);
    EXPECT_FALSE(out.Write("b"));
    EXPECT_FALSE(WriteJsonLine(out, "p", table));
    EXPECT_FALSE(out.Flush());
    EXPECT_EQ(out.error(), c.error) << "the first cause is the one kept";
    std::fclose(stream);
  }
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  CheckedOutput fine(file);
  EXPECT_TRUE(fine.Write("x") && fine.Flush());
  EXPECT_EQ(fine.error(), 0);
  std::fclose(file);
}

}  // namespace
}  // namespace talvorix

namespace talvorix {
namespace {

// Messages are patterns with %s, as the catalog checks them (c-format); the values go in
// as they are, even when they hold a percent sign themselves.
TEST(CliMessages, FormatFillsEachPlaceholderInOrder) {
  struct Case {
    const char* pattern;
    std::vector<std::string_view> values;
    std::string want;
  };
  const Case kCases[] = {
      {"unknown option %s", {"--x"}, "unknown option --x"},
      {"%s mappa; a figyeléséhez: --watch %s", {"/a b", "/a b"}, "/a b mappa; a figyeléséhez: --watch /a b"},
      {"100%% of %s", {"%s"}, "100% of %s"},
      {"no value: %s.", {}, "no value: ."},
      {"ends in %", {"x"}, "ends in %"},
      {"other %d stays", {"x"}, "other %d stays"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.pattern);
    std::string got;
    switch (c.values.size()) {
      case 0: got = Format(c.pattern, {}); break;
      case 1: got = Format(c.pattern, {c.values[0]}); break;
      default: got = Format(c.pattern, {c.values[0], c.values[1]}); break;
    }
    EXPECT_EQ(got, c.want);
  }
}

}  // namespace
}  // namespace talvorix
