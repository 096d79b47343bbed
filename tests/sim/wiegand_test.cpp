// Expected frames were built bit by bit as lists (parity counted over the
// list slices, the check nibble XORed per bit column) and packed by hand,
// not with the shift arithmetic of the encoder.
#include "wiegand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qorsim {
namespace {

struct Vector {
    CardFormat format;
    std::uint64_t cardId;
    unsigned bitCount;
    std::vector<std::uint8_t> packed;
};

class WiegandEncoding : public testing::TestWithParam<Vector> {};

TEST_P(WiegandEncoding, MatchesIndependentlyBuiltFrame) {
    const Vector& v = GetParam();
    const WiegandFrame frame = EncodeWiegand(v.format, v.cardId);
    EXPECT_EQ(frame.bitCount, v.bitCount);
    EXPECT_EQ(PackBits(frame), v.packed);
}

INSTANTIATE_TEST_SUITE_P(
    AllFormats, WiegandEncoding,
    testing::Values(
        // All-zero data: even parities 0, odd parities 1, check nibble 0.
        Vector{CardFormat::Bits26, 0, 26, {0x00, 0x00, 0x00, 0x40}},
        Vector{CardFormat::Bits36, 0, 36, {0x00, 0x00, 0x00, 0x00, 0x10}},
        Vector{CardFormat::Bits44, 0, 44, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        Vector{CardFormat::Bits34, 0, 34, {0x00, 0x00, 0x00, 0x00, 0x40}},
        // All ones: over halves of 12 and 16 bits the even parity is 0 and the
        // odd one 1, over halves of 17 the other way round; ten 0xF nibbles
        // XOR to 0.
        Vector{CardFormat::Bits26, 0xFFFFFFFFFF, 26, {0x7F, 0xFF, 0xFF, 0xC0}},
        Vector{CardFormat::Bits36, 0xFFFFFFFFFF, 36, {0xFF, 0xFF, 0xFF, 0xFF, 0xE0}},
        Vector{CardFormat::Bits44, 0xFFFFFFFFFF, 44, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}},
        Vector{CardFormat::Bits34, 0xFFFFFFFFFF, 34, {0x7F, 0xFF, 0xFF, 0xFF, 0xC0}},
        // Mixed: the formats keep different low bits of the ID.
        Vector{CardFormat::Bits26, 0x5A1B2C3D4E, 26, {0x96, 0x1E, 0xA7, 0x00}},
        Vector{CardFormat::Bits36, 0x5A1B2C3D4E, 36, {0x43, 0x65, 0x87, 0xA9, 0xC0}},
        Vector{CardFormat::Bits44, 0x5A1B2C3D4E, 44, {0x5A, 0x1B, 0x2C, 0x3D, 0x4E, 0xF0}},
        Vector{CardFormat::Bits34, 0x5A1B2C3D4E, 34, {0x8D, 0x96, 0x1E, 0xA7, 0x00}},
        // The demo card, whose top byte is zero.
        Vector{CardFormat::Bits26, 0x00A1B2C3D4, 26, {0x59, 0x61, 0xEA, 0x40}},
        Vector{CardFormat::Bits36, 0x00A1B2C3D4, 36, {0x94, 0x36, 0x58, 0x7A, 0x90}},
        Vector{CardFormat::Bits44, 0x00A1B2C3D4, 44, {0x00, 0xA1, 0xB2, 0xC3, 0xD4, 0x40}},
        Vector{CardFormat::Bits34, 0x00A1B2C3D4, 34, {0xD0, 0xD9, 0x61, 0xEA, 0x40}}),
    [](const testing::TestParamInfo<Vector>& info) {
        char name[32];
        std::snprintf(name, sizeof name, "Bits%u_%010llX", info.param.bitCount,
                      static_cast<unsigned long long>(info.param.cardId));
        return std::string(name);
    });

}  // namespace
}  // namespace qorsim
