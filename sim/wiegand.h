#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qorsim {

// A Wiegand format a read request can ask for, by its byte on the wire: the
// row of that number in the table in wiegand.cpp, which alone says how many
// there are and what each is.
enum class CardFormat : std::uint8_t {};

// How many formats there are: the bytes 0 to CardFormatCount() - 1.
std::size_t CardFormatCount();
std::optional<CardFormat> CardFormatFromByte(std::uint8_t byte);

inline constexpr unsigned kCardIdBits = 40;
inline constexpr std::uint64_t kCardIdMask = (std::uint64_t{1} << kCardIdBits) - 1;

struct WiegandFrame {
    unsigned bitCount = 0;
    // The frame read as one number: bit 0, the first sent, is the most
    // significant of the bitCount low bits.
    std::uint64_t bits = 0;

    bool operator==(const WiegandFrame&) const = default;
};

// The frame a reader sends for a card with this 40-bit ID; bits above the
// 40th are ignored.
WiegandFrame EncodeWiegand(CardFormat format, std::uint64_t cardId);

// `position` counts in transmission order, 0 first, and must be below
// frame.bitCount.
WiegandFrame WithBitFlipped(WiegandFrame frame, unsigned position);

// The frame as the read-card answer carries it: bit 0 in the most significant
// bit of the first byte, unused low bits of the last byte zero.
std::vector<std::uint8_t> PackBits(const WiegandFrame& frame);

}  // namespace qorsim
