#include "wiegand.h"

#include <bit>
#include <cassert>

namespace qorsim {

namespace {

std::uint64_t lowBits(std::uint64_t value, unsigned count) {
    return value & ((std::uint64_t{1} << count) - 1);
}

std::uint64_t oddOnes(std::uint64_t value) {
    return static_cast<std::uint64_t>(std::popcount(value) & 1);
}

// A parity bit, the data, a parity bit. The leading even parity covers the
// first `evenCovers` data bits sent, i.e. the high ones, the trailing odd
// parity the rest.
WiegandFrame parityFramed(std::uint64_t cardId, unsigned dataBits, unsigned evenCovers) {
    const std::uint64_t data = lowBits(cardId, dataBits);
    const unsigned oddCovers = dataBits - evenCovers;
    const std::uint64_t even = oddOnes(data >> oddCovers);
    const std::uint64_t odd = oddOnes(lowBits(data, oddCovers)) ^ 1;
    return {dataBits + 2, (even << (dataBits + 1)) | (data << 1) | odd};
}

// All 40 ID bits, then the XOR of their ten nibbles as a check.
WiegandFrame checkNibbleFramed(std::uint64_t cardId) {
    const std::uint64_t data = lowBits(cardId, kCardIdBits);
    std::uint64_t check = 0;
    for (unsigned shift = 0; shift < kCardIdBits; shift += 4) check ^= (data >> shift) & 0xF;
    return {kCardIdBits + 4, (data << 4) | check};
}

}  // namespace

std::optional<CardFormat> cardFormatFromByte(std::uint8_t byte) {
    if (byte > static_cast<std::uint8_t>(CardFormat::Bits34)) return std::nullopt;
    return static_cast<CardFormat>(byte);
}

WiegandFrame encodeWiegand(CardFormat format, std::uint64_t cardId) {
    switch (format) {
        case CardFormat::Bits26: return parityFramed(cardId, 24, 12);
        case CardFormat::Bits36: return parityFramed(cardId, 34, 17);
        case CardFormat::Bits44: return checkNibbleFramed(cardId);
        case CardFormat::Bits34: return parityFramed(cardId, 32, 16);
    }
    assert(false && "CardFormat out of range");
    return {};
}

WiegandFrame withBitFlipped(WiegandFrame frame, unsigned position) {
    assert(position < frame.bitCount);
    frame.bits ^= std::uint64_t{1} << (frame.bitCount - 1 - position);
    return frame;
}

std::vector<std::uint8_t> packBits(const WiegandFrame& frame) {
    const unsigned byteCount = (frame.bitCount + 7) / 8;
    const std::uint64_t leftAligned = frame.bits << (byteCount * 8 - frame.bitCount);
    std::vector<std::uint8_t> bytes(byteCount);
    for (unsigned i = 0; i < byteCount; ++i)
        bytes[i] = static_cast<std::uint8_t>(leftAligned >> ((byteCount - 1 - i) * 8));
    return bytes;
}

}  // namespace qorsim
