// Single-file saves: which files are one, which part is the page, and how its transfer
// encoding is undone. Every case is read with the file in pieces of 1, 2, 3 and 7 bytes
// and whole, and handed out in reads of the same sizes.
#include "scanner/single_file_save.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/core/win1250.h"

namespace talvorix {
namespace {

using test::Win1250;

constexpr std::string_view kHead =
    "MIME-Version: 1.0\r\nContent-Type: multipart/related; type=\"text/html\"; boundary=\"B-1\"\r\n\r\n";

/// A single-file save of one part with `partHeaders` (each line ending in CR LF) and `body`.
std::string Save(std::string_view partHeaders, std::string_view body) {
  return std::string(kHead) + "--B-1\r\n" + std::string(partHeaders) + "\r\n" + std::string(body) + "\r\n--B-1--\r\n";
}

std::string Qp(std::string_view body) {
  return Save("Content-Type: text/html\r\nContent-Transfer-Encoding: quoted-printable\r\n", body);
}

std::string Base64(std::string_view body) {
  return Save("Content-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n", body);
}

struct Case {
  const char* name;
  std::string bytes;
  std::optional<std::string> want;  // nullopt: not a single-file save
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> kCases = {
      // Quoted-printable.
      {"soft line break", Qp("ab=\r\ncd"), "abcd"},
      {"soft line break after LF alone", Qp("ab=\ncd"), "abcd"},
      {"hard line break kept", Qp("ab\r\ncd"), "ab\r\ncd"},
      {"upper-case hex", Qp("=C3=A9=3D"), "\xC3\xA9="},
      {"lower-case hex", Qp("=c3=a9=3d"), "\xC3\xA9="},
      {"=ZZ kept as it is", Qp("a=ZZb"), "a=ZZb"},
      {"=4 then no second digit", Qp("a=4xb"), "a=4xb"},
      {"= at the very end of the file", std::string(kHead) + "--B-1\r\nContent-Type: text/html\r\n"
                                        "Content-Transfer-Encoding: quoted-printable\r\n\r\nabc=", "abc="},
      {"=4 at the very end of the file", std::string(kHead) + "--B-1\r\nContent-Type: text/html\r\n"
                                         "Content-Transfer-Encoding: quoted-printable\r\n\r\nabc=4", "abc=4"},
      {"= at the part's end", Qp("abc="), "abc="},
      {"= and CR at the part's end", Qp("abc=\r"), "abc=\r"},

      // Base64.
      {"base64 with stray blanks and no padding", Base64("SGVs bG8\r\n gd29y\tbGQ"), "Hello world"},
      {"base64 with padding", Base64("SGk=\r\n"), "Hi"},
      {"base64 of one byte", Base64("QQ=="), "A"},
      {"base64 cut inside a group", Base64("SGVsb"), "Hel"},

      // As it is.
      {"8bit", Save("Content-Type: text/html\r\nContent-Transfer-Encoding: 8bit\r\n", "a=3Db\xE9"), "a=3Db\xE9"},
      {"no transfer encoding", Save("Content-Type: text/html\r\n", "a=3Db"), "a=3Db"},

      // Where the page is.
      {"the boundary in the text without its leading --",
       Qp("B-1 at the start\r\nand B-1 inside\r\n-B-1\r\n--B-1x is no boundary"),
       "B-1 at the start\r\nand B-1 inside\r\n-B-1\r\n--B-1x is no boundary"},
      {"headers folded over several lines",
       "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n"
       "\tboundary=\"B-1\"\r\n\r\n--B-1\r\nContent-Type:\r\n text/html;\r\n  charset=utf-8\r\n"
       "Content-Transfer-Encoding:\r\n\tquoted-printable\r\n\r\na=3Db\r\n--B-1--\r\n",
       "a=b"},
      {"header names in any case, an unquoted boundary",
       "mime-version: 1.0\r\nCONTENT-TYPE: Multipart/Related; BOUNDARY=B-1\r\n\r\n--B-1\r\n"
       "content-type: TEXT/HTML\r\ncontent-transfer-encoding: Quoted-Printable\r\n\r\na=3Db\r\n--B-1--\r\n",
       "a=b"},
      {"LF line ends",
       "MIME-Version: 1.0\nContent-Type: multipart/related; boundary=\"B-1\"\n\n--B-1\n"
       "Content-Type: text/html\nContent-Transfer-Encoding: quoted-printable\n\na=\nb\nc\n--B-1--\n",
       "ab\nc"},
      {"the first text/html part",
       std::string(kHead) + "--B-1\r\nContent-Type: text/css\r\n\r\np{}\r\n--B-1\r\nContent-Type: text/html\r\n\r\n"
                            "first\r\n--B-1\r\nContent-Type: text/html\r\n\r\nsecond\r\n--B-1--\r\n",
       "first"},
      {"a part cut short by the end of the file",
       std::string(kHead) + "--B-1\r\nContent-Type: text/html\r\n\r\nabc", "abc"},
      {"a part whose headers the end of the file cuts", std::string(kHead) + "--B-1\r\nContent-Type: text/html\r\n",
       ""},
      {"a MIME header with no body", "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=B-1\r\n", ""},
      {"no text/html part", std::string(kHead) + "--B-1\r\nContent-Type: image/png\r\n\r\nxyz\r\n--B-1--\r\n", ""},
      {"a boundary that never appears", std::string(kHead) + "--B-2\r\nContent-Type: text/html\r\n\r\nabc\r\n", ""},
      {"an empty page", Qp(""), ""},

      // Not single-file saves: read as any report.
      {"a page", "<html><body>MIME-Version: 1.0<BR>", std::nullopt},
      {"no MIME-Version", "Content-Type: multipart/related; boundary=B-1\r\n\r\n--B-1\r\n", std::nullopt},
      {"another multipart type", "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=B-1\r\n\r\n",
       std::nullopt},
      {"no boundary", "MIME-Version: 1.0\r\nContent-Type: multipart/related\r\n\r\n--B-1\r\n", std::nullopt},
      {"empty", "", std::nullopt},
  };
  return kCases;
}

TEST(SingleFileSave, FindsAndDecodesThePage) {
  for (const Case& c : Cases()) {
    for (const std::size_t piece : {1, 2, 3, 7, 1 << 20}) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      MemoryBytes file(c.bytes, piece);
      EXPECT_EQ(DecodeSingleFilePage(file, piece), c.want);
    }
  }
}

// The decoding window (64 KiB of the file) cuts an escape or a soft line break; the
// saved-page reader's look-ahead reads past its block and comes back.
TEST(SingleFileSave, EscapesCutByTheWindow) {
  for (std::size_t pad = (1 << 16) - 4; pad <= (1 << 16) + 1; ++pad) {
    for (const std::string_view tail : {"=\r\nb", "=41b", "=4", "="}) {
      const std::string body = std::string(pad, 'a') + std::string(tail);
      const std::string save = Qp(body);
      // The window starts at the body, so its end falls among the tail's bytes.
      std::string want = std::string(pad, 'a');
      want += tail == "=\r\nb" ? "b" : tail == "=41b" ? "Ab" : std::string(tail);
      SCOPED_TRACE(std::to_string(pad) + " bytes, then " + std::string(tail));
      MemoryBytes file(save, 4093);
      EXPECT_EQ(DecodeSingleFilePage(file, 1000), want);
    }
  }
  // A line-break tag whose blanks run past the reader's block and look-ahead.
  const std::string page = "a<br" + std::string(100'000, ' ') + "/>b";
  const std::string save = Base64([&] {
    std::string encoded;
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < page.size(); i += 3) {
      const std::string_view group = std::string_view(page).substr(i, 3);
      uint32_t bits = 0;
      for (std::size_t k = 0; k < 3; ++k) bits = (bits << 8) | (k < group.size() ? static_cast<unsigned char>(group[k]) : 0);
      for (std::size_t k = 0; k <= group.size(); ++k) encoded += kLetters[(bits >> (18 - 6 * k)) & 0x3F];
      if (i % 57 == 54) encoded += "\r\n";
    }
    return encoded;
  }());
  MemoryBytes file(save);
  EXPECT_EQ(NormaliseSingleFileSave(file, 777), "a<BR>b");
}

// The part's charset comes before the detection: bytes that would pass for another
// encoding are read in the one named.
TEST(SingleFileSave, TheCharsetNamedIsHonoured) {
  struct Row {
    const char* name;
    std::string charset;
    std::string body;
    std::string want;
  };
  const Row kRows[] = {
      {"utf-8 with stray bytes", "utf-8", "=C5=91s =E9 =E9 =E9<br>", Win1250("ős ? ? ?<BR>")},
      {"windows-1250 that looks like UTF-8", "windows-1250", "=C3=A9<br>", "\xC3\xA9<BR>"},
      {"iso-8859-2: the letters placed apart", "\"ISO-8859-2\"", "=A9=B9=A6=B6=AB=BB=AC=BC=A1=B1=A5=B5 =F5=FB",
       Win1250("ŠšŚśŤťŹźĄąĽľ őű")},
      {"an unknown charset: detected", "koi8-r", "=C5=91s", Win1250("ős")},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string save =
        Save("Content-Type: text/html; charset=" + row.charset + "\r\nContent-Transfer-Encoding: quoted-printable\r\n",
             row.body);
    MemoryBytes file(save);
    EXPECT_EQ(NormaliseSingleFileSave(file), row.want);
  }
}

}  // namespace
}  // namespace talvorix
