#include "wiegand.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>

namespace qorsim {

namespace {

std::uint64_t LowBits(std::uint64_t value, unsigned count) {
    return value & ((std::uint64_t{1} << count) - 1);
}

// Frame bits first..last in transmission order, 0 first, both included.
struct Span {
    unsigned first = 0;
    unsigned last = 0;
    unsigned width = 0;  // 0 for a span the format does not have
};

constexpr Span Bits(unsigned first, unsigned last) { return {first, last, last - first + 1}; }

enum class CheckKind { EvenOddParity, XorNibble };

// The reader's side of the formats, written from PROTOCOL.md apart from the
// library's decoder on purpose: each side checks the other, so a misreading
// of the table shows up as a failed test instead of agreeing with itself.
// Keep the two tables separate.
struct Format {
    unsigned bits;
    Span data;
    CheckKind check;
    Span evenOver;     // the first bit makes the ones here, itself included, even
    Span oddOver;      // the last bit makes the ones here, itself included, odd
    Span checkNibble;  // the XOR of the data's 4-bit groups
};

// Indexed by CardFormat.
constexpr auto kFormats = std::to_array<Format>({
    {26, Bits(1, 24), CheckKind::EvenOddParity, Bits(1, 12), Bits(13, 24), {}},
    {36, Bits(1, 34), CheckKind::EvenOddParity, Bits(1, 17), Bits(18, 34), {}},
    {44, Bits(0, 39), CheckKind::XorNibble, {}, {}, Bits(40, 43)},
    {34, Bits(1, 32), CheckKind::EvenOddParity, Bits(1, 16), Bits(17, 32), {}},
});

constexpr bool FitsTheFrame(const Format& format) {
    const bool dataFits = format.data.width <= kCardIdBits && format.data.last < format.bits;
    if (format.check == CheckKind::XorNibble) {
        return dataFits && format.data.width % 4 == 0 && format.checkNibble.width == 4 &&
               format.checkNibble.first == format.data.last + 1 &&
               format.checkNibble.last == format.bits - 1;
    }
    return dataFits && format.data.first == 1 && format.data.last == format.bits - 2 &&
           format.evenOver.first == 1 && format.oddOver.first == format.evenOver.last + 1 &&
           format.oddOver.last == format.bits - 2;
}
static_assert(std::ranges::all_of(kFormats, FitsTheFrame));

// Puts `value`'s low span.width bits at `span` of a `bits`-bit frame.
std::uint64_t Place(std::uint64_t value, unsigned bits, Span span) {
    return LowBits(value, span.width) << (bits - 1 - span.last);
}

std::uint64_t Take(std::uint64_t frame, unsigned bits, Span span) {
    return LowBits(frame >> (bits - 1 - span.last), span.width);
}

std::uint64_t Parity(std::uint64_t value) {
    return static_cast<std::uint64_t>(std::popcount(value) & 1);
}

WiegandFrame Encode(const Format& format, std::uint64_t cardId) {
    const unsigned bits = format.bits;
    std::uint64_t frame = Place(cardId, bits, format.data);
    if (format.check == CheckKind::XorNibble) {
        const std::uint64_t data = Take(frame, bits, format.data);
        std::uint64_t check = 0;
        for (unsigned shift = 0; shift < format.data.width; shift += 4)
            check ^= (data >> shift) & 0xF;
        frame |= Place(check, bits, format.checkNibble);
    } else {
        frame |= Place(Parity(Take(frame, bits, format.evenOver)), bits, Bits(0, 0));
        frame |=
            Place(Parity(Take(frame, bits, format.oddOver)) ^ 1, bits, Bits(bits - 1, bits - 1));
    }
    return {bits, frame};
}

}  // namespace

std::size_t CardFormatCount() { return kFormats.size(); }

std::optional<CardFormat> CardFormatFromByte(std::uint8_t byte) {
    if (byte >= kFormats.size()) return std::nullopt;
    return static_cast<CardFormat>(byte);
}

WiegandFrame EncodeWiegand(CardFormat format, std::uint64_t cardId) {
    const auto row = static_cast<std::size_t>(format);
    assert(row < kFormats.size() && "CardFormat out of range");
    return Encode(kFormats[row], cardId);
}

WiegandFrame WithBitFlipped(WiegandFrame frame, unsigned position) {
    assert(position < frame.bitCount);
    frame.bits ^= std::uint64_t{1} << (frame.bitCount - 1 - position);
    return frame;
}

std::vector<std::uint8_t> PackBits(const WiegandFrame& frame) {
    const unsigned byteCount = (frame.bitCount + 7) / 8;
    const std::uint64_t leftAligned = frame.bits << (byteCount * 8 - frame.bitCount);
    std::vector<std::uint8_t> bytes(byteCount);
    for (unsigned i = 0; i < byteCount; ++i)
        bytes[i] = static_cast<std::uint8_t>(leftAligned >> ((byteCount - 1 - i) * 8));
    return bytes;
}

}  // namespace qorsim
