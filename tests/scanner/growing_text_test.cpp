// The gathered text's storage: content, terminator and reuse across growth.
#include "scanner/growing_text.h"

#include <gtest/gtest.h>

#include <string>

namespace talvorix {
namespace {

TEST(GrowingText, KeepsEveryByteAndTheTerminatorAcrossGrowth) {
  GrowingText text;
  EXPECT_STREQ(text.data(), "");
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    const std::string piece = std::to_string(i) + (i % 7 == 0 ? std::string(1, '\0') : "") + ' ';
    text.Append(piece);
    expected += piece;
    ASSERT_EQ(text.size(), expected.size());
  }
  EXPECT_EQ(text.view(), expected);
  EXPECT_EQ(text.data()[text.size()], '\0');
}

TEST(GrowingText, ClearStartsAnEmptyTextThatStillTerminates) {
  GrowingText text;
  text.Append(std::string(1000, 'x'));
  text.Clear();
  EXPECT_EQ(text.size(), 0u);
  EXPECT_STREQ(text.data(), "");
  text.Append("ab");
  text.Append('c');
  EXPECT_STREQ(text.data(), "abc");
}

}  // namespace
}  // namespace talvorix
