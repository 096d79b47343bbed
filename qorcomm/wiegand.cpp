#include "wiegand.h"

#include <algorithm>
#include <bit>

#include "qorcomm.h"

namespace qorcomm {
namespace {

// Frame bits first..last in transmission order, 0 first, both included.
struct Span {
    int first = 0;
    int last = -1;

    constexpr int Width() const { return last - first + 1; }
    constexpr bool operator==(const Span&) const = default;
};

enum class CheckKind {
    // The first bit is even parity over `evenOver`, the last odd parity over
    // `oddOver`: the ones among a parity bit and its span are even (odd).
    EvenOddParity,
    // `checkNibble` holds the XOR of the data field's 4-bit groups.
    XorNibble,
};

// One row per card type, in card-type order. This is the formats' one home:
// the documents' lists of them are checked against it
// (tests/docs/check_formats.py).
struct Format {
    int bits;
    Span data;
    CheckKind check;
    Span evenOver;
    Span oddOver;
    Span checkNibble;
};

constexpr auto kFormats = std::to_array<Format>({
    {26, {1, 24}, CheckKind::EvenOddParity, {1, 12}, {13, 24}, {}},
    {36, {1, 34}, CheckKind::EvenOddParity, {1, 17}, {18, 34}, {}},
    {44, {0, 39}, CheckKind::XorNibble, {}, {}, {40, 43}},
    {34, {1, 32}, CheckKind::EvenOddParity, {1, 16}, {17, 32}, {}},
});

// The widest number code type 0 can hand back: 5 bytes.
constexpr int kMaxNumberBits = 40;

// The spans must tile the frame exactly as the check kind says, and the
// frame must fit one integer for the shifts below.
constexpr bool SpansAgree(const Format& format) {
    if (format.bits > 64 || format.data.Width() > kMaxNumberBits) return false;
    switch (format.check) {
        case CheckKind::EvenOddParity:
            return format.data == Span{1, format.bits - 2} && format.evenOver.first == 1 &&
                   format.oddOver.first == format.evenOver.last + 1 &&
                   format.oddOver.last == format.bits - 2 && format.checkNibble.Width() == 0;
        case CheckKind::XorNibble:
            return format.data.first == 0 && format.data.Width() % 4 == 0 &&
                   format.checkNibble == Span{format.data.last + 1, format.bits - 1} &&
                   format.checkNibble.Width() == 4 && format.evenOver.Width() == 0 &&
                   format.oddOver.Width() == 0;
    }
    return false;
}
static_assert(std::all_of(kFormats.begin(), kFormats.end(), SpansAgree));

constexpr std::uint64_t Mask(int bits) { return (std::uint64_t{1} << bits) - 1; }

// `frame` holds the whole frame, bit 0 the most significant of its low
// format.bits bits.
std::uint64_t Field(std::uint64_t frame, const Format& format, Span span) {
    return (frame >> (format.bits - 1 - span.last)) & Mask(span.Width());
}

bool ChecksHold(std::uint64_t frame, const Format& format) {
    if (format.check == CheckKind::XorNibble) {
        std::uint64_t data = Field(frame, format, format.data);
        std::uint64_t folded = 0;
        for (int group = 0; group < format.data.Width() / 4; ++group, data >>= 4) {
            folded ^= data & 0xF;
        }
        return folded == Field(frame, format, format.checkNibble);
    }
    const int evenOnes = std::popcount(Field(frame, format, {0, format.evenOver.last}));
    const int oddOnes =
        std::popcount(Field(frame, format, {format.oddOver.first, format.bits - 1}));
    return evenOnes % 2 == 0 && oddOnes % 2 == 1;
}

}  // namespace

bool KnownTypes(int cardType, int codeType) {
    return cardType >= 0 && static_cast<std::size_t>(cardType) < kFormats.size() && codeType >= 0 &&
           codeType < kCodeTypeCount;
}

std::int32_t DecodeCardNumber(std::span<const std::uint8_t> frame, int bitCount, int cardType,
                              int codeType, CardNumberText& out) {
    if (!KnownTypes(cardType, codeType)) return QOR_E_ARGUMENT;
    const Format& format = kFormats[static_cast<std::size_t>(cardType)];
    const std::size_t byteCount = static_cast<std::size_t>(format.bits + 7) / 8;
    if (bitCount != format.bits || frame.size() != byteCount) return QOR_E_BAD_FRAME;

    std::uint64_t packed = 0;
    for (std::uint8_t byte : frame) packed = (packed << 8) | byte;
    const int padBits = static_cast<int>(byteCount * 8) - format.bits;
    if ((packed & Mask(padBits)) != 0) return QOR_E_BAD_FRAME;
    const std::uint64_t whole = packed >> padBits;

    if (!ChecksHold(whole, format)) return QOR_E_PARITY;

    std::uint64_t number = 0;
    if (codeType == 0) {
        if (format.bits > kMaxNumberBits) return QOR_E_TOO_WIDE;
        number = whole;
    } else if (codeType == 1) {
        number = Field(whole, format, format.data);
    } else {
        number = Field(whole, format, format.data) & Mask(8 * codeType);  // low 2..5 bytes
    }

    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 9; i >= 0; --i, number >>= 4) {
        out[static_cast<std::size_t>(i)] = kDigits[number & 0xF];
    }
    out[10] = '\0';
    return QOR_OK;
}

}  // namespace qorcomm
