#include "core/cp1250.h"

#include <gtest/gtest.h>

#include <string>

namespace talvorix {
namespace {

using namespace literals;

TEST(Cp1250, LiteralsBecomeSingleBytes) {
  constexpr auto kGreeting = Cp1250(u8"<BR> Üdvözöllek, ifjú galetki!");
  static_assert(kGreeting.view().size() == 30);
  EXPECT_EQ(kGreeting.view(), "<BR> \xDC" "dv\xF6z\xF6llek, ifj\xFA galetki!");
  EXPECT_EQ(u8"őű ŐŰ…"_cp1250, "\xF5\xFB \xD5\xDB\x85");
}

// Every byte decodes to one character, and encoding that character gives the byte back.
TEST(Cp1250, EveryByteRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1250ToUtf8(byte);
    EXPECT_EQ(Utf8ToCp1250(utf8), byte);
  }
}

TEST(Cp1250, DecodesToUtf8) {
  struct Case {
    std::string_view cp1250;
    std::string_view utf8;
  };
  const Case kCases[] = {
      {"plain ASCII", "plain ASCII"},
      {"\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB", "áéíóöőúüű"},
      {"\xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB", "ÁÉÍÓÖŐÚÜŰ"},
      {"\x80\x85\x8A\x9E", "€…Šž"},
      // The five bytes the code page leaves undefined keep their C1 control.
      {"\x81\x83\x88\x90\x98", "\u0081\u0083\u0088\u0090\u0098"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Cp1250ToUtf8(c.cp1250), c.utf8);
  }
}

TEST(Cp1250, RefusesWhatTheCodePageLacks) {
  const std::string_view kBad[] = {"日本", "\xC3", "\xE2\x82", "\xFF", "\xF0\x9F\x98\x80", "\x80"};
  for (std::string_view utf8 : kBad) {
    SCOPED_TRACE(utf8);
    EXPECT_EQ(Utf8ToCp1250(utf8), std::nullopt);
  }
}

}  // namespace
}  // namespace talvorix
