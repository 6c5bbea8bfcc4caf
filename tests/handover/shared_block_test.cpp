// The shared block's path: the bytes before its NUL.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

#include "handover/handover.h"

namespace talvorix {
namespace {

TEST(SharedBlockPath, UpToTheFirstNul) {
  struct Case {
    const char* name;
    std::string bytes;  // the block's start; the rest of its kSharedPathSize bytes are NUL
    std::string want;
  };
  const Case kCases[] = {
      {"a path", "C:\\fordulo.html", "C:\\fordulo.html"},
      {"empty block", "", ""},
      {"an older, longer path after the NUL", std::string("C:\\a.html\0C:\\longer.html", 24), "C:\\a.html"},
      {"no NUL at all: every byte", std::string(kSharedPathSize, 'p'), std::string(kSharedPathSize, 'p')},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::array<char, kSharedPathSize> block{};
    c.bytes.copy(block.data(), block.size());
    EXPECT_EQ(c.want, SharedBlockPath(block));
  }
}

}  // namespace
}  // namespace talvorix
