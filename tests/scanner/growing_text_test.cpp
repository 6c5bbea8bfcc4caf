// The gathered text's storage: content and reuse across growth.
#include "scanner/growing_text.h"

#include <gtest/gtest.h>

#include <string>

namespace talvorix {
namespace {

TEST(GrowingText, KeepsEveryByteAcrossGrowth) {
  GrowingText text;
  EXPECT_EQ(text.view(), "");
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    const std::string piece = std::to_string(i) + (i % 7 == 0 ? std::string(1, '\0') : "") + ' ';
    text.Append(piece);
    expected += piece;
    ASSERT_EQ(text.size(), expected.size());
  }
  EXPECT_EQ(text.view(), expected);
}

TEST(GrowingText, ClearStartsAnEmptyText) {
  GrowingText text;
  text.Append(std::string(1000, 'x'));
  text.Clear();
  EXPECT_EQ(text.size(), 0u);
  EXPECT_EQ(text.view(), "");
  text.Append("ab");
  text.Append('c');
  EXPECT_EQ(text.view(), "abc");
}

}  // namespace
}  // namespace talvorix
