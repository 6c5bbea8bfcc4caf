#include "hall/riddle_reader.h"

#include <gtest/gtest.h>

namespace talvorix {
namespace {

TEST(ReadIntegerAt, AcceptsZeroOnlyRightAtThePosition) {
  struct Case { std::string_view text; std::size_t pos; bool read; int32_t value; };
  const Case kCases[] = {
      {"x 42 y", 2, true, 42}, {"x 42", 1, true, 42},      {"-12abc", 0, true, -12},
      {"007", 0, true, 7},     {"0", 0, true, 0},          {" 0", 0, false, 0},
      {"-0", 0, false, 0},     {"abc", 0, false, 0},       {"12", 2, false, 0},
      {"5", 9, false, 0},      {"4294967297", 0, true, 1}, {"-2147483648", 0, true, INT32_MIN},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    int32_t value = 12345;
    EXPECT_EQ(ReadIntegerAt(c.text, c.pos, &value), c.read);
    EXPECT_EQ(value, c.read ? c.value : 12345);
  }
}

}  // namespace
}  // namespace talvorix
