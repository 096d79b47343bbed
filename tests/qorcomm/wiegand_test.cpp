// Wiegand decoding, against the vectors make_vectors.py works out bit by
// bit from the format tables, apart from this code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qorcomm.h"
#include "test_vectors.h"
#include "wiegand.h"

namespace qorcomm {
namespace {

using Bytes = std::vector<std::uint8_t>;

using vectors::kFrameBits;
using vectors::kWiegand;

// Untouched output shows as this sentinel.
CardNumberText Sentinel() {
    CardNumberText text;
    text.fill('#');
    return text;
}

std::int32_t Decode(const Bytes& frame, int cardType, int codeType, CardNumberText& out) {
    return DecodeCardNumber(frame, kFrameBits[cardType], cardType, codeType, out);
}

TEST(Wiegand, DecodesEveryFormatByEveryCodeType) {
    for (const vectors::Wiegand& v : kWiegand) {
        for (int codeType = 0; codeType < vectors::kCodeTypeCount; ++codeType) {
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
    for (const vectors::Wiegand& v : kWiegand) {
        for (int bit = 0; bit < kFrameBits[v.cardType]; ++bit) {
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
        {"card type past the last", card26, 26, vectors::kCardTypeCount, 1, QOR_E_ARGUMENT},
        {"code type -1", card26, 26, 0, -1, QOR_E_ARGUMENT},
        {"code type past the last", card26, 26, 0, vectors::kCodeTypeCount, QOR_E_ARGUMENT},
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
