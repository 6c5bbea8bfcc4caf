// Saved pages read in the game's form: which bytes count as Unicode, how they become
// Windows-1250, which line-break tags are respelt, and that the game's own reports are
// never changed. Every case is also read in small pieces, so that characters and tags
// cut by the reader's blocks are covered.
#include "scanner/saved_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1250.h"
#include "scanner/saved_page_reader.h"
#include "tests/core/win1250.h"

namespace talvorix {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using test::Win1250;

std::string Utf8(std::u8string_view text) { return std::string(reinterpret_cast<const char*>(text.data()), text.size()); }

/// UTF-16 bytes of `text` after a byte order mark.
std::string Utf16(std::u32string_view text, bool bigEndian = false) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  const auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  };
  for (const char32_t c : text) {
    if (c < 0x10000) {
      unit(c);
    } else {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

const std::string kBom = "\xEF\xBB\xBF";

/// The report in the game's form, its bytes taken `piece` at a time and handed out in
/// reads of `readSize`.
std::string ReadInPieces(std::string_view bytes, std::size_t piece, std::size_t readSize) {
  MemoryBytes source(bytes, piece);
  return NormaliseSavedPage(source, readSize);
}

std::string ReadFile(const std::string& relative) {
  std::ifstream in(std::string(TALVORIX_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Counts the reads that reach the bytes.
class CountedBytes final : public RandomAccessBytes {
 public:
  explicit CountedBytes(RandomAccessBytes& bytes) : bytes_(bytes) {}
  std::size_t ReadAt(uint64_t offset, std::span<char> buffer) override {
    ++reads;
    return bytes_.ReadAt(offset, buffer);
  }
  std::optional<uint64_t> SizeLimit() const override { return bytes_.SizeLimit(); }
  int reads = 0;

 private:
  RandomAccessBytes& bytes_;
};

struct Case {
  const char* name;
  std::string bytes;
  std::string want;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> kCases = {
      // Read as they are.
      {"empty", "", ""},
      {"pure ASCII", "<P>Hello<BR>\r\n", "<P>Hello<BR>\r\n"},
      {"Windows-1250 with accents", Win1250("Egy ős! Kérdés:<BR>\r\n"), Win1250("Egy ős! Kérdés:<BR>\r\n")},
      {"Windows-1250 whose bytes form one UTF-8 character among ill-formed ones",
       Win1250("Ă© és ő<BR>"), Win1250("Ă© és ő<BR>")},
      {"overlong two-byte form", "\xC0\xBC" + Utf8(u8"é<BR>"), "\xC0\xBC" + Utf8(u8"é<BR>")},
      {"overlong three-byte form", "\xE0\x80\xBC" + Utf8(u8"é<BR>"), "\xE0\x80\xBC" + Utf8(u8"é<BR>")},
      {"overlong four-byte form", "\xF0\x80\x80\xBC" + Utf8(u8"é<BR>"), "\xF0\x80\x80\xBC" + Utf8(u8"é<BR>")},
      {"encoded surrogate", "\xED\xA0\x80" + Utf8(u8"é<BR>"), "\xED\xA0\x80" + Utf8(u8"é<BR>")},
      {"past U+10FFFF", "\xF4\x90\x80\x80" + Utf8(u8"é<BR>"), "\xF4\x90\x80\x80" + Utf8(u8"é<BR>")},
      {"a byte order mark cut short", "\xEF\xBB<br>", "\xEF\xBB<BR>"},

      // Unicode: transcoded to Windows-1250.
      {"UTF-8", Utf8(u8"Egy ős! Kérdés:<BR>\r\n"), Win1250("Egy ős! Kérdés:<BR>\r\n")},
      {"Windows-1250 that is well-formed UTF-8 throughout", Win1250("Ă©"), Win1250("é")},
      {"UTF-8 cut at the end", Utf8(u8"Üdv<BR>") + "\xC3", Win1250("Üdv<BR>?")},
      {"UTF-8 with a byte order mark", kBom + Utf8(u8"ős<BR>"), Win1250("ős<BR>")},
      {"a byte order mark alone", kBom, ""},
      {"pure ASCII after a byte order mark", kBom + "a<BR>", "a<BR>"},
      {"characters the code page lacks", Utf8(u8"õ€\u00A0\u0081 漢 🙂"), "?\x80\xA0\x81 ? ?"},
      {"ill-formed bytes after a byte order mark", kBom + Win1250("ős<BR>"), "?s<BR>"},
      {"each maximal ill-formed sequence is one replacement",
       kBom + "\xE1\x80x\xC0\xAF\xED\xA0\x80\xF4\x90\xF0\x9F\x98", "?x????????"},
      {"a character cut by the end of a marked report", kBom + "a\xF0\x9F\x98", "a?"},
      {"UTF-16 little-endian", Utf16(U"Egy ős!<BR>\r\n"), Win1250("Egy ős!<BR>\r\n")},
      {"UTF-16 big-endian", Utf16(U"Egy ős!<BR>\r\n", true), Win1250("Egy ős!<BR>\r\n")},
      {"UTF-16 surrogate pair", Utf16(U"a🙂b"), "a?b"},
      {"UTF-16 lone surrogates", Utf16(U"a") + "\x00\xD8" "b\x00" "\x00\xDC"s, "a?b?"},
      {"UTF-16 of odd length", Utf16(U"ab") + "c", "ab?"},
      {"UTF-16 ending inside a surrogate pair", Utf16(U"a") + "\x3D\xD8\x00"s, "a??"},
      {"UTF-16 with NUL and control-Z units", Utf16(U"a\0b\x1A" U"c"sv), "a\0b\x1A" "c"s},

      // Line-break tags.
      {"<BR> and <br> both present: untouched", "a<br>b<BR>c<br/>", "a<br>b<BR>c<br/>"},
      {"<br/>", "a<br/>b", "a<BR>b"},
      {"<br />", "a<br />b", "a<BR>b"},
      {"<Br>", "a<Br>b", "a<BR>b"},
      {"<BR >", "a<BR >b", "a<BR>b"},
      {"<br\\n>", "a<br\n>b", "a<BR>b"},
      {"every blank on both sides of the slash", "<bR \t\r\n/\r\n \t>", "<BR>"},
      {"<bra> untouched", "a<bra>b<br>", "a<bra>b<BR>"},
      {"<br class=\"x\"> untouched", "a<br class=\"x\">b<br>", "a<br class=\"x\">b<BR>"},
      {"two slashes, or a slash first, make no tag", "<br//><b/r><br>", "<br//><b/r><BR>"},
      {"a tag right after an unfinished one", "<<br <br>", "<<br <BR>"},
      {"a tag that the report ends inside", "a<br> <br /", "a<BR> <br /"},
      {"Windows-1250 with lower-case tags", Win1250("Egy ős!<br>\r\nKérdés<br />"), Win1250("Egy ős!<BR>\r\nKérdés<BR>")},
      {"UTF-8 with lower-case tags", Utf8(u8"Egy ős!<br>\r\n</p><p>Kérdés<br>"),
       Win1250("Egy ős!<BR>\r\n</p><p>Kérdés<BR>")},
      {"UTF-8 with both spellings keeps its tags", Utf8(u8"ős<br>ő<BR>"), Win1250("ős<br>ő<BR>")},
      {"UTF-16 with lower-case tags", Utf16(U"ős<br \r\n/>x<Br>"), Win1250("ős<BR>x<BR>")},
      {"UTF-16 where a wide character breaks a tag", Utf16(U"<bű><br\u00A0>"), Win1250(u8"<bű><br\u00A0>")},
  };
  return kCases;
}

TEST(SavedPage, ReadsEachFormInTheGameForm) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NormaliseSavedPage(c.bytes), c.want);
  }
}

TEST(SavedPage, ReadsTheSameInAnyPieces) {
  for (const Case& c : Cases()) {
    for (const std::size_t piece : {1, 2, 3, 5}) {
      for (const std::size_t readSize : {1, 3, 1 << 16}) {
        SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece) + ", reads of " +
                     std::to_string(readSize));
        EXPECT_EQ(ReadInPieces(c.bytes, piece, readSize), c.want);
      }
    }
  }
}

/// UTF-16 bytes without a byte order mark.
std::string Utf16WithoutMark(std::u32string_view text, bool bigEndian) { return Utf16(text, bigEndian).substr(2); }

// How a page is recognised when one byte or one tag is out of place: a stray byte in a
// UTF-8 page, a download cut inside its last character, UTF-16 saved without a byte
// order mark, a "<BR>" written inside a comment. A page in the game's own form is not
// taken for any of them.
TEST(SavedPage, ToleratesWhatIsOutOfPlace) {
  std::string many;  // a hundred two-byte characters
  for (int i = 0; i < 100; ++i) many += Utf8(u8"ő");
  const std::string manyCp1250(100, Win1250("ő")[0]);
  const std::string game = ReadFile("examples/fordulo-112.html");
  ASSERT_FALSE(game.empty());
  const Case kRows[] = {
      {"UTF-8 cut inside its last character", Utf8(u8"Üdv, ős!<br>") + "\xC5", Win1250("Üdv, ős!<BR>") + "?"},
      {"one stray byte among a hundred UTF-8 characters", many + "\xE9<br>" + Utf8(u8"é"),
       manyCp1250 + "?<BR>" + Win1250("é")},
      {"a stray byte early, the characters after the first 4 KB", "\xE9" + std::string(5000, 'a') + many,
       "?" + std::string(5000, 'a') + manyCp1250},
      {"a <BR> inside a comment", "a<br>b<!-- <BR> -->c<br />", "a<BR>b<!-- <BR> -->c<BR>"},
      {"UTF-16LE without a byte order mark", Utf16WithoutMark(U"Egy ős! Kérdés:<br>\r\n", false),
       Win1250("Egy ős! Kérdés:<BR>\r\n")},
      {"UTF-16BE without a byte order mark", Utf16WithoutMark(U"Egy ős! Kérdés:<br>\r\n", true),
       Win1250("Egy ős! Kérdés:<BR>\r\n")},
      {"a page in the game's own form", game, game},
  };
  for (const Case& row : kRows) {
    for (const std::size_t piece : {1, 3, 1 << 16}) {
      SCOPED_TRACE(std::string(row.name) + ", pieces of " + std::to_string(piece));
      EXPECT_EQ(ReadInPieces(row.bytes, piece, 1 << 16), row.want);
    }
  }
}

// The game's own report is read exactly as it is, and its form is settled once its
// accented letters outnumber what the rest of the report could turn: the rest is not
// read twice.
TEST(SavedPage, SettlesTheGameFormEarly) {
  const std::string sample = ReadFile("examples/fordulo-112.html");
  ASSERT_FALSE(sample.empty());
  std::string report;
  while (report.size() < (1u << 22)) report += sample;
  MemoryBytes bytes(report);
  CountedBytes source(bytes);
  EXPECT_TRUE(DetectSavedPage(source).AsIs());
  EXPECT_LE(source.reads, 8) << "of " << report.size() / (1 << 16) << " blocks";
}

// Where the first pass must read everything: a late ill-formed byte keeps a report in
// the game's form, a late "<BR>" keeps its tags.
TEST(SavedPage, DecidesOnTheWholeReport) {
  struct Row {
    const char* name;
    std::string tail;
    SavedPageForm want;
  };
  const std::string start = Utf8(u8"ős<br>");
  const Row kRows[] = {
      {"UTF-8 to the end", "", {PageEncoding::kUtf8, 0, true}},
      {"an ill-formed byte at the end", "\xF5", {PageEncoding::kAsIs, 0, true}},
      {"a <BR> at the end", "<BR>", {PageEncoding::kUtf8, 0, false}},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    std::string report = start + std::string(3 << 16, 'x') + row.tail;
    MemoryBytes source(report, 1 << 16);
    EXPECT_EQ(DetectSavedPage(source), row.want);
  }
}

// Tags and characters where the reader's 64 KiB block ends, and blanks that run on
// past it and past the look-ahead.
TEST(SavedPage, TagsAndCharactersCutByTheBlock) {
  struct Row {
    const char* name;
    std::string bytes;
    std::string want;
  };
  std::vector<Row> rows;
  for (const std::size_t before : {65533u, 65534u, 65535u, 65536u}) {
    const std::string pad(before, 'a');
    rows.push_back({"<br /> at the block's end", pad + "<br />", pad + "<BR>"});
    rows.push_back({"a character at the block's end", pad + Utf8(u8"ő🙂ő<BR>"), pad + Win1250("ő?ő<BR>")});
    rows.push_back({"UTF-8 and <br /> at the block's end", pad + Utf8(u8"ő<br />"), pad + Win1250("ő<BR>")});
  }
  const std::string blanks(100'000, ' ');
  rows.push_back({"blanks past the look-ahead, then >", "a<br" + blanks + "/" + blanks + ">b", "a<BR>b"});
  rows.push_back({"blanks past the look-ahead, then no >", "a<br" + blanks + "x<br>", "a<br" + blanks + "x<BR>"});
  rows.push_back({"UTF-16 blanks past the block", Utf16(U"a<br" + std::u32string(70'000, U'\t') + U">b"), "a<BR>b"});
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + ", " + std::to_string(row.bytes.size()) + " bytes");
    EXPECT_EQ(NormaliseSavedPage(row.bytes), row.want);
    EXPECT_EQ(ReadInPieces(row.bytes, 4093, 1000), row.want);
  }
}

// Every byte of the code page comes back from its Unicode character: nothing is lost
// between Windows-1250, UTF-8 and UTF-16.
TEST(SavedPage, EveryWindows1250ByteSurvivesTheRoundTrip) {
  std::string every;
  std::u32string wide;
  for (int i = 0; i < 256; ++i) {
    const auto byte = static_cast<unsigned char>(i);
    every.push_back(static_cast<char>(byte));
    wide.push_back(byte < 0x80 ? char32_t{byte} : cp1250_detail::kHighHalf[byte - 0x80]);
  }
  const std::string utf8 = Cp1250ToUtf8(every);
  EXPECT_EQ(NormaliseSavedPage(kBom + utf8), every);
  EXPECT_EQ(NormaliseSavedPage(utf8), every);
  EXPECT_EQ(NormaliseSavedPage(Utf16(wide)), every);
  EXPECT_EQ(NormaliseSavedPage(Utf16(wide, true)), every);
}

}  // namespace
}  // namespace talvorix
