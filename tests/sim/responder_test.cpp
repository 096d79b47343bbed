// Whole answers are compared with bytes computed outside this code base
// (Python's binascii.crc_hqx for the CRC); faulty answers are judged with the
// simulator's own FrameReader, whose checks the frame tests pin down.
#include "responder.h"
#include "frame.h"

#include <gtest/gtest.h>

#include <bit>
#include <optional>
#include <vector>

#include "test_vectors.h"

namespace qorsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kCard = 0x5A1B2C3D4E;

Frame ReadRequest(std::uint8_t seq, std::uint8_t format) { return {seq, kCmdReadCard, {format}}; }

std::optional<Frame> Parse(const Bytes& bytes) {
    FrameReader reader;
    reader.Feed(bytes);
    return reader.Next();
}

TEST(ResponderAnswers, CarryTheStatusAndFrame) {
    Responder withCard({kCard, {}, 1});
    EXPECT_EQ(
        withCard.Answer(ReadRequest(0x07, 0))->bytes,
        (Bytes{0x02, 0x07, 0xD2, 0x06, 0x00, 0x1A, 0x96, 0x1E, 0xA7, 0x00, 0xCE, 0xC6, 0x03}));
    EXPECT_EQ(withCard.Answer(ReadRequest(0x05, 7))->bytes,
              (Bytes{0x02, 0x05, 0xD2, 0x01, 0x02, 0x20, 0x02, 0x03}));
    EXPECT_EQ(withCard.Answer(ReadRequest(0x10, 0xFF))->bytes,
              (Bytes{0x02, 0x10, 0xD2, 0x01, 0x02, 0x87, 0xE0, 0x03}));

    Responder noCard({std::nullopt, {}, 1});
    EXPECT_EQ(noCard.Answer(ReadRequest(0xFF, 0))->bytes,
              (Bytes{0x02, 0xFF, 0xD2, 0x01, 0x01, 0xE7, 0x87, 0x03}));
}

TEST(ResponderAnswers, IgnoresWhatIsNotAReadRequestWithoutCountingIt) {
    Responder responder({kCard, {Fault::Silent}, 2});
    EXPECT_FALSE(responder.Answer({1, 0x53, {0x00}}));
    EXPECT_FALSE(responder.Answer({1, kCmdReadCard, {}}));
    EXPECT_FALSE(responder.Answer({1, kCmdReadCard, {0x00, 0x00}}));
    EXPECT_FALSE(responder.Answer({1, 0xD2, {0x00, 0x1A, 0x96, 0x1E, 0xA7, 0x00}}));

    const std::optional<Reply> first = responder.Answer(ReadRequest(2, 0));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->requestNumber, 1u);
    EXPECT_FALSE(first->fault);
}

TEST(ResponderFaults, EveryNthRequestTakesTheKindsInTurn) {
    Responder responder({kCard, {Fault::Partial, Fault::Garbled, Fault::Silent}, 3});
    std::vector<std::optional<Fault>> seen;
    for (std::uint8_t seq = 1; seq <= 12; ++seq)
        seen.push_back(responder.Answer(ReadRequest(seq, 1))->fault);

    const std::vector<std::optional<Fault>> expected{
        std::nullopt, std::nullopt, Fault::Partial, std::nullopt, std::nullopt, Fault::Garbled,
        std::nullopt, std::nullopt, Fault::Silent,  std::nullopt, std::nullopt, Fault::Partial};
    EXPECT_EQ(seen, expected);
}

// One fault per responder, so each answer can be set against the clean one
// for the same request.
class ResponderFaultShape : public testing::TestWithParam<std::uint8_t> {
protected:
    Bytes Answer(std::optional<Fault> fault) const {
        ReaderConfig config{kCard, {}, 1};
        if (fault) config.faults.push_back(*fault);
        Responder responder(config);
        return responder.Answer(ReadRequest(0x33, GetParam()))->bytes;
    }
};

TEST_P(ResponderFaultShape, SilentSendsNothing) { EXPECT_TRUE(Answer(Fault::Silent).empty()); }

TEST_P(ResponderFaultShape, GarbledKeepsTheFramingButFailsTheCrc) {
    const Bytes clean = Answer(std::nullopt);
    const Bytes garbled = Answer(Fault::Garbled);
    ASSERT_EQ(garbled.size(), clean.size());
    EXPECT_EQ(garbled.front(), kStx);
    EXPECT_EQ(garbled[3], clean[3]);
    EXPECT_EQ(garbled.back(), kEtx);
    EXPECT_NE(garbled, clean);
    EXPECT_FALSE(Parse(garbled));
}

TEST_P(ResponderFaultShape, PartialIsTheStartOfTheAnswerOnly) {
    const Bytes clean = Answer(std::nullopt);
    const Bytes partial = Answer(Fault::Partial);
    ASSERT_GE(partial.size(), 1u);
    ASSERT_LT(partial.size(), clean.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), clean.begin()));
}

TEST_P(ResponderFaultShape, ParityFlipsTheLastBitOfAValidAnswer) {
    const std::optional<Frame> clean = Parse(Answer(std::nullopt));
    const std::optional<Frame> flipped = Parse(Answer(Fault::Parity));
    ASSERT_TRUE(clean && flipped);
    ASSERT_EQ(flipped->payload.size(), clean->payload.size());
    EXPECT_EQ(flipped->payload[1], clean->payload[1]);

    // Bit k of the card frame sits in payload byte 2 + k / 8, MSB first.
    const unsigned last = clean->payload[1] - 1u;
    for (std::size_t i = 0; i < clean->payload.size(); ++i) {
        const auto diff = static_cast<std::uint8_t>(clean->payload[i] ^ flipped->payload[i]);
        const std::uint8_t expected = i == 2 + last / 8 ? 0x80 >> (last % 8) : 0;
        EXPECT_EQ(diff, expected) << "payload byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ResponderFaultShape,
                         testing::Range<std::uint8_t>(0, vectors::kCardTypeCount));

TEST(ResponderFaults, ParityWithoutACardFrameLeavesTheAnswerAlone) {
    Responder noCard({std::nullopt, {Fault::Parity}, 1});
    const std::optional<Reply> reply = noCard.Answer(ReadRequest(0xFF, 0));
    EXPECT_FALSE(reply->fault);
    EXPECT_EQ(reply->bytes, (Bytes{0x02, 0xFF, 0xD2, 0x01, 0x01, 0xE7, 0x87, 0x03}));
}

}  // namespace
}  // namespace qorsim
