// Made by make_vectors.py from the protocol's tables; do not edit:
//     python3 tests/qorcomm/make_vectors.py |
//       clang-format --assume-filename=test_vectors.h > tests/qorcomm/test_vectors.h
#ifndef QORCOMM_TESTS_TEST_VECTORS_H
#define QORCOMM_TESTS_TEST_VECTORS_H

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vectors {

using Bytes = std::vector<std::uint8_t>;

// The frame length of each card type, in card-type order.
inline constexpr std::array<int, 4> kFrameBits = {26, 36, 44, 34};
// Card types run from 0 to kCardTypeCount - 1, code types likewise: each
// count is also the first type past the last.
inline constexpr int kCardTypeCount = static_cast<int>(kFrameBits.size());
inline constexpr int kCodeTypeCount = 6;

struct Wiegand {
    std::uint64_t cardId;
    int cardType;
    Bytes frame;  // bit 0 in the most significant bit of the first byte
    // By code type; "TOO_WIDE" where the code type refuses the frame.
    std::array<std::string_view, kCodeTypeCount> numbers;
};

inline const std::vector<Wiegand> kWiegand = {
    {0x0000000000,
     0,
     {0x00, 0x00, 0x00, 0x40},
     {"0000000001", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0x0000000000,
     1,
     {0x00, 0x00, 0x00, 0x00, 0x10},
     {"0000000001", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0x0000000000,
     2,
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {"TOO_WIDE", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0x0000000000,
     3,
     {0x00, 0x00, 0x00, 0x00, 0x40},
     {"0000000001", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"}},
    {0xFFFFFFFFFF,
     0,
     {0x7F, 0xFF, 0xFF, 0xC0},
     {"0001FFFFFF", "0000FFFFFF", "000000FFFF", "0000FFFFFF", "0000FFFFFF", "0000FFFFFF"}},
    {0xFFFFFFFFFF,
     1,
     {0xFF, 0xFF, 0xFF, 0xFF, 0xE0},
     {"0FFFFFFFFE", "03FFFFFFFF", "000000FFFF", "0000FFFFFF", "00FFFFFFFF", "03FFFFFFFF"}},
    {0xFFFFFFFFFF,
     2,
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00},
     {"TOO_WIDE", "FFFFFFFFFF", "000000FFFF", "0000FFFFFF", "00FFFFFFFF", "FFFFFFFFFF"}},
    {0xFFFFFFFFFF,
     3,
     {0x7F, 0xFF, 0xFF, 0xFF, 0xC0},
     {"01FFFFFFFF", "00FFFFFFFF", "000000FFFF", "0000FFFFFF", "00FFFFFFFF", "00FFFFFFFF"}},
    {0x5A3C96F00F,
     0,
     {0x4B, 0x78, 0x07, 0xC0},
     {"00012DE01F", "000096F00F", "000000F00F", "000096F00F", "000096F00F", "000096F00F"}},
    {0x5A3C96F00F,
     1,
     {0xC7, 0x92, 0xDE, 0x01, 0xF0},
     {"0C792DE01F", "023C96F00F", "000000F00F", "000096F00F", "003C96F00F", "023C96F00F"}},
    {0x5A3C96F00F,
     2,
     {0x5A, 0x3C, 0x96, 0xF0, 0x0F, 0xF0},
     {"TOO_WIDE", "5A3C96F00F", "000000F00F", "000096F00F", "003C96F00F", "5A3C96F00F"}},
    {0x5A3C96F00F,
     3,
     {0x1E, 0x4B, 0x78, 0x07, 0xC0},
     {"00792DE01F", "003C96F00F", "000000F00F", "000096F00F", "003C96F00F", "003C96F00F"}},
    {0x5A1B2C3D4E,
     0,
     {0x96, 0x1E, 0xA7, 0x00},
     {"0002587A9C", "00002C3D4E", "0000003D4E", "00002C3D4E", "00002C3D4E", "00002C3D4E"}},
    {0x5A1B2C3D4E,
     1,
     {0x43, 0x65, 0x87, 0xA9, 0xC0},
     {"0436587A9C", "021B2C3D4E", "0000003D4E", "00002C3D4E", "001B2C3D4E", "021B2C3D4E"}},
    {0x5A1B2C3D4E,
     2,
     {0x5A, 0x1B, 0x2C, 0x3D, 0x4E, 0xF0},
     {"TOO_WIDE", "5A1B2C3D4E", "0000003D4E", "00002C3D4E", "001B2C3D4E", "5A1B2C3D4E"}},
    {0x5A1B2C3D4E,
     3,
     {0x8D, 0x96, 0x1E, 0xA7, 0x00},
     {"0236587A9C", "001B2C3D4E", "0000003D4E", "00002C3D4E", "001B2C3D4E", "001B2C3D4E"}},
    {0x00A1B2C3D4,
     0,
     {0x59, 0x61, 0xEA, 0x40},
     {"00016587A9", "0000B2C3D4", "000000C3D4", "0000B2C3D4", "0000B2C3D4", "0000B2C3D4"}},
    {0x00A1B2C3D4,
     1,
     {0x94, 0x36, 0x58, 0x7A, 0x90},
     {"09436587A9", "00A1B2C3D4", "000000C3D4", "0000B2C3D4", "00A1B2C3D4", "00A1B2C3D4"}},
    {0x00A1B2C3D4,
     2,
     {0x00, 0xA1, 0xB2, 0xC3, 0xD4, 0x40},
     {"TOO_WIDE", "00A1B2C3D4", "000000C3D4", "0000B2C3D4", "00A1B2C3D4", "00A1B2C3D4"}},
    {0x00A1B2C3D4,
     3,
     {0xD0, 0xD9, 0x61, 0xEA, 0x40},
     {"03436587A9", "00A1B2C3D4", "000000C3D4", "0000B2C3D4", "00A1B2C3D4", "00A1B2C3D4"}},
};

// The number kWiegand gives for a card, or an empty text for one it lacks.
inline std::string_view Number(std::uint64_t cardId, int cardType, int codeType) {
    for (const Wiegand& v : kWiegand)
        if (v.cardId == cardId && v.cardType == cardType) return v.numbers[codeType];
    return {};
}

// Card 0x5A3C96F00F as status-0 answer payloads: 26 and 44 bits.
inline constexpr std::uint64_t kCardId = 0x5A3C96F00F;
inline const Bytes kCard26Payload = {0x00, 0x1A, 0x4B, 0x78, 0x07, 0xC0};
inline const Bytes kCard44Payload = {0x00, 0x2C, 0x5A, 0x3C, 0x96, 0xF0, 0x0F, 0xF0};

// CRC-16/CCITT-FALSE of "123456789".
inline constexpr std::uint16_t kCrcCheckValue = 0x29B1;
// Read-card request, SEQ 1, card type 0.
inline const Bytes kRequestFrame = {0x02, 0x01, 0x52, 0x01, 0x00, 0xF1, 0xEB, 0x03};
// Its answer: status 0, the 26-bit frame of kCardId.
inline const Bytes kCard26Frame = {0x02, 0x01, 0xD2, 0x06, 0x00, 0x1A, 0x4B,
                                   0x78, 0x07, 0xC0, 0xE8, 0x32, 0x03};
// Its answer: status 1, no card.
inline const Bytes kNoCardFrame = {0x02, 0x01, 0xD2, 0x01, 0x01, 0xDA, 0x90, 0x03};

}  // namespace vectors

#endif  // QORCOMM_TESTS_TEST_VECTORS_H
