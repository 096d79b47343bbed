// Checks a Wiegand frame of one of the four card types and extracts the card
// number from it by code type (see PROTOCOL.md, "Wiegand formats").
#ifndef QORCOMM_WIEGAND_H
#define QORCOMM_WIEGAND_H

#include <array>
#include <cstdint>
#include <span>

namespace qorcomm {

inline constexpr int kCardTypeCount = 4;  // 0: 26 bits, 1: 36, 2: 44, 3: 34
inline constexpr int kCodeTypeCount = 6;

// 10 uppercase hex digits and a NUL: exactly what goes into the caller's sn.
using CardNumberText = std::array<char, 11>;

// The frame length in bits of `card_type`, or 0 when it is out of range.
int WiegandFrameBits(int cardType);

// Decodes the `bit_count`-bit frame in `frame` (bit 0 in the most
// significant bit of frame[0]) as `card_type` and writes the number picked
// by `code_type` into `out`. Returns QOR_OK; QOR_E_ARGUMENT for a card or
// code type out of range; QOR_E_BAD_FRAME when `bit_count` is not the card
// type's, `frame` is not exactly ceil(bit_count / 8) bytes or its unused low
// bits are not zero; QOR_E_PARITY; QOR_E_TOO_WIDE. `out` is written only on
// QOR_OK.
std::int32_t DecodeCardNumber(std::span<const std::uint8_t> frame, int bitCount, int cardType,
                              int codeType, CardNumberText& out);

}  // namespace qorcomm

#endif  // QORCOMM_WIEGAND_H
