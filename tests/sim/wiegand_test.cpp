// The expected frames are make_vectors.py's, built bit by bit as lists
// (parity counted over list slices, the check nibble XORed per bit column),
// not with the shift arithmetic of the encoder.
#include "wiegand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "test_vectors.h"

namespace qorsim {
namespace {

class WiegandEncoding : public testing::TestWithParam<vectors::Wiegand> {};

TEST_P(WiegandEncoding, MatchesIndependentlyBuiltFrame) {
    const vectors::Wiegand& v = GetParam();
    const WiegandFrame frame = EncodeWiegand(static_cast<CardFormat>(v.cardType), v.cardId);
    EXPECT_EQ(frame.bitCount, static_cast<unsigned>(vectors::kFrameBits[v.cardType]));
    EXPECT_EQ(PackBits(frame), v.frame);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, WiegandEncoding, testing::ValuesIn(vectors::kWiegand),
                         [](const testing::TestParamInfo<vectors::Wiegand>& info) {
                             char name[32];
                             std::snprintf(name, sizeof name, "Bits%d_%010llX",
                                           vectors::kFrameBits[info.param.cardType],
                                           static_cast<unsigned long long>(info.param.cardId));
                             return std::string(name);
                         });

}  // namespace
}  // namespace qorsim
