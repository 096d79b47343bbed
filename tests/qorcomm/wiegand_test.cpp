// Wiegand decoding. The vectors are printed by make_vectors.py, which works
// the frames out bit by bit from the format tables, apart from this code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qorcomm.h"
#include "wiegand.h"

namespace qorcomm {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Vector {
    std::uint64_t cardId;
    int cardType;
    Bytes frame;
    std::string numbers[kCodeTypeCount];  // by code type; "TOO_WIDE" for that failure
};

const Vector kVectors[] = {
    {0x0000000000,
     0,
     {0x00, 0x00, 0x00, 0x40},
     {"0000000001", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0x0000000000,
     1,
     {0x00, 0x00, 0x00, 0x00, 0x10},
     {"0000000001", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0x0000000000,
     2,
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {"TOO_WIDE", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0x0000000000,
     3,
     {0x00, 0x00, 0x00, 0x00, 0x40},
     {"0000000001", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0xFFFFFFFFFF,
     0,
     {0x7F, 0xFF, 0xFF, 0xC0},
     {"0001FFFFFF", "0000FFFFFF", "000000FFFF", "0000FFFFFF", "0000FFFFFF", "0000FFFFFF"}},
    {0xFFFFFFFFFF,
     1,
     {0xFF, 0xFF, 0xFF, 0xFF, 0xE0},
     {"0FFFFFFFFE", "03FFFFFFFF", "000000FFFF", "0000FFFFFF", "00FFFFFFFF", "03FFFFFFFF"}},
    {0xFFFFFFFFFF,
     2,
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00},
     {"TOO_WIDE", "FFFFFFFFFF", "000000FFFF", "0000FFFFFF", "00FFFFFFFF", "FFFFFFFFFF"}},
    {0xFFFFFFFFFF,
     3,
     {0x7F, 0xFF, 0xFF, 0xFF, 0xC0},
     {"01FFFFFFFF", "00FFFFFFFF", "000000FFFF", "0000FFFFFF", "00FFFFFFFF", "00FFFFFFFF"}},
    {0x5A3C96F00F,
     0,
     {0x4B, 0x78, 0x07, 0xC0},
     {"00012DE01F", "000096F00F", "000000F00F", "000096F00F", "000096F00F", "000096F00F"}},
    {0x5A3C96F00F,
     1,
     {0xC7, 0x92, 0xDE, 0x01, 0xF0},
     {"0C792DE01F", "023C96F00F", "000000F00F", "000096F00F", "003C96F00F", "023C96F00F"}},
    {0x5A3C96F00F,
     2,
     {0x5A, 0x3C, 0x96, 0xF0, 0x0F, 0xF0},
     {"TOO_WIDE", "5A3C96F00F", "000000F00F", "000096F00F", "003C96F00F", "5A3C96F00F"}},
    {0x5A3C96F00F,
     3,
     {0x1E, 0x4B, 0x78, 0x07, 0xC0},
     {"00792DE01F", "003C96F00F", "000000F00F", "000096F00F", "003C96F00F", "003C96F00F"}},
};

constexpr int kBits[] = {26, 36, 44, 34};

// Untouched output shows as this sentinel.
CardNumberText Sentinel() {
    CardNumberText text;
    text.fill('#');
    return text;
}

std::int32_t Decode(const Bytes& frame, int cardType, int codeType, CardNumberText& out) {
    return DecodeCardNumber(frame, kBits[cardType], cardType, codeType, out);
}

TEST(Wiegand, DecodesEveryFormatByEveryCodeType) {
    for (const Vector& v : kVectors) {
        for (int codeType = 0; codeType < kCodeTypeCount; ++codeType) {
            SCOPED_TRACE(testing::Message() << std::hex << v.cardId << " card type " << v.cardType
                                            << " code type " << codeType);
            CardNumberText out = Sentinel();
            const std::int32_t result = Decode(v.frame, v.cardType, codeType, out);
            if (v.numbers[codeType] == "TOO_WIDE") {
                EXPECT_EQ(result, QOR_E_TOO_WIDE);
                EXPECT_EQ(out, Sentinel());
            } else {
                ASSERT_EQ(result, QOR_OK);
                EXPECT_EQ(std::string(out.data()), v.numbers[codeType]);
                EXPECT_EQ(out[10], '\0');
            }
        }
    }
}

TEST(Wiegand, RefusesEveryFlippedBit) {
    // Every single-bit error in any of these frames breaks a parity or the
    // check nibble: each bit is covered by exactly one check.
    for (const Vector& v : kVectors) {
        for (int bit = 0; bit < kBits[v.cardType]; ++bit) {
            Bytes frame = v.frame;
            frame[static_cast<std::size_t>(bit / 8)] ^=
                static_cast<std::uint8_t>(0x80 >> (bit % 8));
            CardNumberText out = Sentinel();
            EXPECT_EQ(Decode(frame, v.cardType, 1, out), QOR_E_PARITY)
                << "card type " << v.cardType << " bit " << bit;
            EXPECT_EQ(out, Sentinel());
        }
    }
}

TEST(Wiegand, RefusesFramesThatDoNotFitTheFormat) {
    const Bytes card26 = {0x4B, 0x78, 0x07, 0xC0};
    const struct {
        const char* name;
        Bytes frame;
        int bitCount;
        int cardType;
        int codeType;
        std::int32_t code;
    } kCases[] = {
        {"pad bit set", {0x4B, 0x78, 0x07, 0xC1}, 26, 0, 1, QOR_E_BAD_FRAME},
        {"34 bits for the 26-bit format",
         {0x1E, 0x4B, 0x78, 0x07, 0xC0},
         34,
         0,
         1,
         QOR_E_BAD_FRAME},
        {"26 bits for the 44-bit format", card26, 26, 2, 1, QOR_E_BAD_FRAME},
        {"byte missing", {0x4B, 0x78, 0x07}, 26, 0, 1, QOR_E_BAD_FRAME},
        {"byte too many", {0x4B, 0x78, 0x07, 0xC0, 0x00}, 26, 0, 1, QOR_E_BAD_FRAME},
        {"empty", {}, 0, 0, 1, QOR_E_BAD_FRAME},
        {"card type -1", card26, 26, -1, 1, QOR_E_ARGUMENT},
        {"card type 4", card26, 26, 4, 1, QOR_E_ARGUMENT},
        {"code type -1", card26, 26, 0, -1, QOR_E_ARGUMENT},
        {"code type 6", card26, 26, 0, 6, QOR_E_ARGUMENT},
    };
    for (const auto& c : kCases) {
        CardNumberText out = Sentinel();
        EXPECT_EQ(DecodeCardNumber(c.frame, c.bitCount, c.cardType, c.codeType, out), c.code)
            << c.name;
        EXPECT_EQ(out, Sentinel()) << c.name;
    }
}

}  // namespace
}  // namespace qorcomm
