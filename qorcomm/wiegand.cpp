#include "wiegand.h"

#include <bit>

#include "qorcomm.h"

namespace qorcomm {
namespace {

// A frame of at most 44 bits fits one integer, bit 0 the most significant.
// Fields are then plain shifts and masks counted from the far end.
struct Layout {
    int bits;
    int first_data;  // index of the data field's first bit
    int data_bits;
    // Parity layouts: bit 0 is even parity over bits 1..even_last, the last bit
    // odd parity over even_last+1..bits-2. 0 for the layout with a check nibble.
    int even_last;
};

constexpr std::array<Layout, kCardTypeCount> kLayouts{{
    {26, 1, 24, 12},
    {36, 1, 34, 17},
    {44, 0, 40, 0},
    {34, 1, 32, 16},
}};

// The widest number code type 0 can hand back: 5 bytes.
constexpr int kMaxNumberBits = 40;

constexpr std::uint64_t Mask(int bits) { return (std::uint64_t{1} << bits) - 1; }

// Ones among frame bits first..last (transmission order, inclusive).
int OnesIn(std::uint64_t frame, const Layout& layout, int first, int last) {
    const std::uint64_t field = (frame >> (layout.bits - 1 - last)) & Mask(last - first + 1);
    return std::popcount(field);
}

std::uint64_t DataOf(std::uint64_t frame, const Layout& layout) {
    return (frame >> (layout.bits - layout.first_data - layout.data_bits)) & Mask(layout.data_bits);
}

bool ChecksHold(std::uint64_t frame, const Layout& layout) {
    if (layout.even_last == 0) {
        std::uint64_t data = DataOf(frame, layout);
        std::uint64_t folded = 0;
        for (int group = 0; group < layout.data_bits / 4; ++group, data >>= 4) {
            folded ^= data & 0xF;
        }
        return folded == (frame & 0xF);
    }
    const bool even_ok = OnesIn(frame, layout, 0, layout.even_last) % 2 == 0;
    const bool odd_ok = OnesIn(frame, layout, layout.even_last + 1, layout.bits - 1) % 2 == 1;
    return even_ok && odd_ok;
}

}  // namespace

int WiegandFrameBits(int card_type) {
    if (card_type < 0 || card_type >= kCardTypeCount) return 0;
    return kLayouts[static_cast<std::size_t>(card_type)].bits;
}

std::int32_t DecodeCardNumber(std::span<const std::uint8_t> frame, int bit_count, int card_type,
                              int code_type, CardNumberText& out) {
    if (card_type < 0 || card_type >= kCardTypeCount || code_type < 0 ||
        code_type >= kCodeTypeCount) {
        return QOR_E_ARGUMENT;
    }
    const Layout& layout = kLayouts[static_cast<std::size_t>(card_type)];
    const std::size_t byte_count = static_cast<std::size_t>(layout.bits + 7) / 8;
    if (bit_count != layout.bits || frame.size() != byte_count) return QOR_E_BAD_FRAME;

    std::uint64_t packed = 0;
    for (std::uint8_t byte : frame) packed = (packed << 8) | byte;
    const int pad_bits = static_cast<int>(byte_count * 8) - layout.bits;
    if ((packed & Mask(pad_bits)) != 0) return QOR_E_BAD_FRAME;
    const std::uint64_t whole = packed >> pad_bits;

    if (!ChecksHold(whole, layout)) return QOR_E_PARITY;

    std::uint64_t number = 0;
    if (code_type == 0) {
        if (layout.bits > kMaxNumberBits) return QOR_E_TOO_WIDE;
        number = whole;
    } else if (code_type == 1) {
        number = DataOf(whole, layout);
    } else {
        number = DataOf(whole, layout) & Mask(8 * code_type);  // low 2..5 bytes
    }

    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 9; i >= 0; --i, number >>= 4) {
        out[static_cast<std::size_t>(i)] = kDigits[number & 0xF];
    }
    out[10] = '\0';
    return QOR_OK;
}

}  // namespace qorcomm
