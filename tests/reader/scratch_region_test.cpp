#include "scratch_region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The whole region is the library's to write; one byte more must stop the
// program at once rather than land on something else.
TEST(ScratchRegionDeathTest, TakesItsWholeSizeAndFaultsOneBytePast) {
    const qor::ScratchRegion region(11 + 4096);
    const auto bytes = region.Bytes();
    ASSERT_GE(bytes.size(), 11u + 4096u);
    EXPECT_TRUE(std::ranges::all_of(bytes, [](unsigned char b) { return b == 0; }));
    std::memset(bytes.data(), 0xEE, bytes.size());
    EXPECT_DEATH(std::memset(bytes.data(), 0xEE, bytes.size() + 1), "");
}

}  // namespace
