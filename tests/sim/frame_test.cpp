// Frame bytes below were computed outside this code base, with Python's
// binascii.crc_hqx(data, 0xFFFF), which is CRC-16/CCITT-FALSE.
#include "frame.h"
#include "crc16.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace qorsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A read request for format 1, SEQ 0x2A.
const Bytes kRequest{0x02, 0x2A, 0x52, 0x01, 0x01, 0xC8, 0x9B, 0x03};

TEST(Crc16, CheckValueAndInitialValue) {
    constexpr std::string_view kCheck = "123456789";
    EXPECT_EQ(Crc16CcittFalse(
                  std::span(reinterpret_cast<const std::uint8_t*>(kCheck.data()), kCheck.size())),
              0x29B1);
    EXPECT_EQ(Crc16CcittFalse({}), 0xFFFF);
}

TEST(FrameEncoding, MatchesIndependentlyComputedBytes) {
    EXPECT_EQ(EncodeFrame({0x2A, 0x52, {0x01}}), kRequest);
    EXPECT_EQ(
        EncodeFrame({0x07, 0xD2, {0x00, 0x1A, 0x96, 0x1E, 0xA7, 0x00}}),
        (Bytes{0x02, 0x07, 0xD2, 0x06, 0x00, 0x1A, 0x96, 0x1E, 0xA7, 0x00, 0xCE, 0xC6, 0x03}));
    EXPECT_EQ(EncodeFrame({0xFF, 0xD2, {0x01}}),
              (Bytes{0x02, 0xFF, 0xD2, 0x01, 0x01, 0xE7, 0x87, 0x03}));
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes WithByteChanged(Bytes bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    return bytes;
}

struct StreamCase {
    const char* name;
    Bytes stream;
    std::size_t requestsFound;
    bool partialLeft;
};

class FrameReaderStream : public testing::TestWithParam<StreamCase> {};

// Fed in one go and byte by byte: where reads split the stream must not matter.
TEST_P(FrameReaderStream, FindsOnlyValidFrames) {
    const StreamCase& c = GetParam();
    for (const bool byteByByte : {false, true}) {
        SCOPED_TRACE(byteByByte ? "byte by byte" : "in one go");
        FrameReader reader;
        std::vector<Frame> found;
        auto drain = [&] {
            while (auto frame = reader.Next()) found.push_back(*frame);
        };
        if (byteByByte) {
            for (std::uint8_t byte : c.stream) {
                reader.Feed(std::span(&byte, 1));
                drain();
            }
        } else {
            reader.Feed(c.stream);
            drain();
        }
        EXPECT_EQ(found.size(), c.requestsFound);
        for (const Frame& frame : found) EXPECT_EQ(frame, (Frame{0x2A, 0x52, {0x01}}));
        EXPECT_EQ(reader.HoldsPartialFrame(), c.partialLeft);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, FrameReaderStream,
    testing::Values(
        StreamCase{"Alone", kRequest, 1, false},
        StreamCase{"TwoBackToBack", Concat({kRequest, kRequest}), 2, false},
        StreamCase{"AfterJunkWithEtx", Concat({{0x00, 0x03, 0xFF, 0x52}, kRequest}), 1, false},
        StreamCase{"AfterBadCrc", Concat({WithByteChanged(kRequest, 5, 0x00), kRequest}), 1, false},
        StreamCase{"AfterBadEtx", Concat({WithByteChanged(kRequest, 7, 0x04), kRequest}), 1, false},
        StreamCase{"AfterLenOver16", Concat({{0x02, 0x01, 0x52, 0x11}, kRequest}), 1, false},
        // The cut-off frame's LEN byte claims the start of the real one.
        StreamCase{"InsideCutOffFrame", Concat({{0x02, 0x05, 0x52}, kRequest}), 1, false},
        StreamCase{"CutOff", Bytes(kRequest.begin(), kRequest.end() - 1), 0, true},
        StreamCase{"JunkOnly", {0x00, 0x03, 0x52, 0x01}, 0, false}),
    [](const testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qorsim
