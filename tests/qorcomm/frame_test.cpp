// CRC, framing and the judgement of answers, on bytes alone, against frames
// worked out by make_vectors.py apart from this code.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "answer.h"
#include "crc16.h"
#include "frame.h"
#include "qorcomm.h"
#include "test_vectors.h"

namespace qorcomm {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& kRequest = vectors::kRequestFrame;
const Bytes& kCard26 = vectors::kCard26Frame;
const Bytes& kNoCard = vectors::kNoCardFrame;

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Make(std::uint8_t seq, std::uint8_t cmd, const Bytes& payload) {
    std::array<std::uint8_t, kMaxFrame> out{};
    const std::size_t size = BuildFrame(seq, cmd, payload, out);
    return {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(size)};
}

TEST(Crc, CheckValue) {
    constexpr std::string_view kText = "123456789";
    const Bytes text(kText.begin(), kText.end());
    EXPECT_EQ(Crc16CcittFalse(text), vectors::kCrcCheckValue);
}

TEST(Frame, BuildsTheRequestByteForByte) {
    std::array<std::uint8_t, kMaxFrame> out{};
    const std::size_t size = BuildReadRequest(1, 0, out);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(size)), kRequest);
    EXPECT_EQ(BuildFrame(1, 0x52, Bytes(kMaxPayload + 1), out), 0u);
}

TEST(Frame, ScansAValidFrameAfterSkippedBytes) {
    const Bytes bytes = Join({{0xFF, 0x03, 0x00}, kCard26, {0x02}});
    const ScanResult scan = ScanFrame(bytes);
    ASSERT_EQ(scan.status, ScanStatus::Valid);
    EXPECT_EQ(scan.skipped, 3u);
    EXPECT_EQ(scan.consumed, 3 + kCard26.size());
    EXPECT_EQ(scan.frame.seq, 0x01);
    EXPECT_EQ(scan.frame.cmd, 0xD2);
    const Bytes payload(scan.frame.Payload().begin(), scan.frame.Payload().end());
    EXPECT_EQ(payload, Bytes({0x00, 0x1A, 0x4B, 0x78, 0x07, 0xC0}));
}

TEST(Frame, JudgesBrokenAndIncompleteFrames) {
    Bytes badCrc = kCard26;
    badCrc[10] ^= 0x01;
    Bytes badEtx = kCard26;
    badEtx[12] = 0x04;  // the ETX of the 13-byte frame
    Bytes flippedPayload = kCard26;
    flippedPayload[6] ^= 0x80;
    const struct {
        const char* name;
        Bytes bytes;
        ScanStatus status;
    } kCases[] = {
        {"empty", {}, ScanStatus::NoFrame},
        {"no STX", {0x00, 0x03, 0xD2, 0xFF}, ScanStatus::NoFrame},
        {"STX only", {0x02}, ScanStatus::Partial},
        {"header only", {0x02, 0x01, 0xD2, 0x06}, ScanStatus::Partial},
        {"one byte short", Bytes(kCard26.begin(), kCard26.end() - 1), ScanStatus::Partial},
        // LEN over 16 is judged as soon as LEN is there.
        {"LEN 17", {0x02, 0x01, 0xD2, 0x11}, ScanStatus::Invalid},
        {"LEN 255", {0x02, 0x01, 0xD2, 0xFF}, ScanStatus::Invalid},
        {"CRC mismatch", badCrc, ScanStatus::Invalid},
        {"payload bit flipped", flippedPayload, ScanStatus::Invalid},
        {"last byte not ETX", badEtx, ScanStatus::Invalid},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ScanFrame(c.bytes).status, c.status) << c.name;
    }
}

std::int32_t Judge(std::uint8_t seq, const Bytes& bytes) {
    AnswerParser parser(seq);
    parser.Feed(bytes);
    return parser.Result().code;
}

TEST(Answer, HandsOverTheCardFrame) {
    AnswerParser parser(1);
    // Byte by byte, as a slow line delivers it.
    for (std::uint8_t byte : kCard26) parser.Feed({&byte, 1});
    const CardAnswer answer = parser.Result();
    ASSERT_EQ(answer.code, QOR_OK);
    EXPECT_EQ(answer.bitCount, 26);
    EXPECT_EQ(Bytes(answer.Bits().begin(), answer.Bits().end()), Bytes({0x4B, 0x78, 0x07, 0xC0}));
}

TEST(Answer, SkipsAnswersToEarlierRequests) {
    const Bytes late = Make(0, 0xD2, {0x00, 26, 0x7F, 0xFF, 0xFF, 0xC0});
    EXPECT_EQ(Judge(1, Join({late, kCard26})), QOR_OK);
    EXPECT_EQ(Judge(1, Join({late, late})), QOR_E_TIMEOUT);
    EXPECT_EQ(Judge(2, kCard26), QOR_E_TIMEOUT);
}

TEST(Answer, JudgesWhatArrives) {
    const struct {
        const char* name;
        Bytes bytes;
        std::int32_t code;
    } kCases[] = {
        {"nothing", {}, QOR_E_TIMEOUT},
        {"stray bytes only", {0x55, 0xAA, 0x00}, QOR_E_PARTIAL},
        {"start of a frame", {0x02, 0x01, 0xD2}, QOR_E_PARTIAL},
        {"late answer, then a start", Join({Make(0, 0xD2, {0x01}), {0x02, 0x01}}), QOR_E_PARTIAL},
        {"no card", kNoCard, QOR_E_NO_CARD},
        {"bad frame ends the wait", Join({{0x02, 0x01, 0xD2, 0x11}, kCard26}), QOR_E_BAD_FRAME},
        {"request's own CMD", Make(1, 0x52, {0x00, 26, 0x4B, 0x78, 0x07, 0xC0}), QOR_E_BAD_FRAME},
        {"other CMD", Make(1, 0xD3, {0x01}), QOR_E_BAD_FRAME},
        {"empty payload", Make(1, 0xD2, {}), QOR_E_BAD_FRAME},
        {"format not supported", Make(1, 0xD2, {0x02}), QOR_E_BAD_FRAME},
        {"unknown status", Make(1, 0xD2, {0x03}), QOR_E_BAD_FRAME},
        {"no card, extra byte", Make(1, 0xD2, {0x01, 0x00}), QOR_E_BAD_FRAME},
        {"card, no bit count", Make(1, 0xD2, {0x00}), QOR_E_BAD_FRAME},
        {"card, bits short", Make(1, 0xD2, {0x00, 26, 0x4B, 0x78, 0x07}), QOR_E_BAD_FRAME},
        {"card, bits long", Make(1, 0xD2, {0x00, 26, 0x4B, 0x78, 0x07, 0xC0, 0x00}),
         QOR_E_BAD_FRAME},
        {"card, 112 bits", Make(1, 0xD2, Join({{0x00, 112}, Bytes(14)})), QOR_OK},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Judge(1, c.bytes), c.code) << c.name;
    }
}

TEST(Answer, CopesWithFloodsLongerThanItsBuffer) {
    EXPECT_EQ(Judge(1, Join({Bytes(10000, 0xFF), kCard26})), QOR_OK);
    // A run of STXs reads as a frame with LEN 2 whose CRC fails.
    EXPECT_EQ(Judge(1, Join({Bytes(10000, 0x02), kCard26})), QOR_E_BAD_FRAME);
}

}  // namespace
}  // namespace qorcomm
