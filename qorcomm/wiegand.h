// Checks a Wiegand frame of a card type of the formats' table (wiegand.cpp,
// which PROTOCOL.md's lists are checked against) and extracts the card
// number from it by code type.
#ifndef QORCOMM_WIEGAND_H
#define QORCOMM_WIEGAND_H

#include <array>
#include <cstdint>
#include <span>

namespace qorcomm {

// The whole frame, the data bits, the data's low 2, 3, 4 or 5 bytes.
inline constexpr int kCodeTypeCount = 6;

// 10 uppercase hex digits and a NUL: exactly what goes into the caller's sn.
using CardNumberText = std::array<char, 11>;

// Whether `cardType` is a row of the table and `codeType` a code type.
bool KnownTypes(int cardType, int codeType);

// Decodes the `bitCount`-bit frame in `frame` (bit 0 in the most
// significant bit of frame[0]) as `cardType` and writes the number picked
// by `codeType` into `out`. Returns QOR_OK; QOR_E_ARGUMENT for a card or
// code type out of range; QOR_E_BAD_FRAME when `bitCount` is not the card
// type's, `frame` is not exactly ceil(bitCount / 8) bytes or its unused low
// bits are not zero; QOR_E_PARITY; QOR_E_TOO_WIDE. `out` is written only on
// QOR_OK.
std::int32_t DecodeCardNumber(std::span<const std::uint8_t> frame, int bitCount, int cardType,
                              int codeType, CardNumberText& out);

}  // namespace qorcomm

#endif  // QORCOMM_WIEGAND_H
