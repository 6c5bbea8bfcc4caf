#include "scanner/cp1250.h"

#include <gtest/gtest.h>

namespace talvorix {
namespace {

TEST(Cp1250, LiteralsBecomeSingleBytes) {
  constexpr auto kGreeting = Cp1250(u8"<BR> Üdvözöllek, ifjú galetki!");
  static_assert(kGreeting.view().size() == 30);
  EXPECT_EQ(std::string_view(kGreeting).substr(5, 3), "\xDC" "dv");
}

}  // namespace
}  // namespace talvorix
